// The picture codecs on forged data: bounded in memory and in time.
#include "core/PictureCodecs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace folivo {
namespace {

TEST(PictureCodecs, ForgedJbig2SymbolDictionaryStopsAtTheMemoryBound)
{
    // 35 bytes (a fuzzer's finding) whose symbol dictionary asks for over a million growing
    // symbols; jbig2dec decodes each one, so only the allocation bound ends it.
    const std::string data("\x78\x11\x00\x00\x00\x2f\x00\xff\xff\xff\xff\xff\xff\xff\xff\x00\x00"
                           "\x2f\xff\x7f\xff\xff\xff\x07\xff\x02\x00\x00\x15\x00\x06\x2c\x02\x15\x3b",
                           35);
    const auto start = std::chrono::steady_clock::now();
    const auto picture = DecodeJbig2(data, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(picture.has_value());
    // About a second; under the bound of all codecs it ran for twenty-five.
    EXPECT_LT(seconds, 8.0);
}

}  // namespace
}  // namespace folivo
