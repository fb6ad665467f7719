// Inflating, ASCII85 decoding and filter chains.
#include <gtest/gtest.h>
#include <zlib.h>

#include "syntax/FilterChain.h"
#include "syntax/StreamFilters.h"

namespace folivo {
namespace {

std::string Deflate(const std::string& text)
{
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

TEST(Inflate, WholeBrokenOffAndDamagedData)
{
    const std::string text(100000, 'x');
    EXPECT_EQ(Inflate(Deflate(text)), text);
    EXPECT_EQ(Inflate(Deflate("")), "");
    // Without its checksum the data still gives its bytes.
    const std::string compressed = Deflate("q 1 0 0 1 0 0 cm Q");
    EXPECT_EQ(Inflate(compressed.substr(0, compressed.size() - 4)), "q 1 0 0 1 0 0 cm Q");
    EXPECT_FALSE(Inflate("not zlib at all"));
    EXPECT_FALSE(Inflate(""));
}

TEST(Inflate, StopsAtTheLimit)
{
    const std::string bomb = Deflate(std::string(1 << 20, '\0'));
    EXPECT_FALSE(Inflate(bomb, 1000));
    EXPECT_EQ(Inflate(bomb, 1 << 20)->size(), size_t{1} << 20);  // ends exactly at the limit
    EXPECT_FALSE(Inflate(bomb, (1 << 20) - 1));
}

TEST(Ascii85, GroupsZerosAndEndMarker)
{
    EXPECT_EQ(DecodeAscii85("z~>"), std::string(4, '\0'));
    EXPECT_EQ(DecodeAscii85("87cURD]i,\"Ebo80~>\r\n"), "Hello World!");
    // Seven digit characters: one full group and a final group of two digits give 5 bytes.
    EXPECT_EQ(DecodeAscii85("87cUR D]~>").size(), 5u);
    EXPECT_EQ(DecodeAscii85("87cURD]i,\"Ebo80").substr(0, 5), "Hello");
    // "z" inside a group is the digit 89; blanks between digits are skipped.
    EXPECT_EQ(DecodeAscii85("!!!!z\n!!!!!"), std::string("\0\0\0Y\0\0\0\0", 8));
    EXPECT_EQ(DecodeAscii85("s8W-!"), "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(DecodeAscii85("~>"), "");
    EXPECT_EQ(DecodeAscii85("!"), "");  // a single digit gives nothing
}

// Decoders stop at their limit, and tell an output that was cut from one that fits.
TEST(StreamLimits, DecodersStopAtTheLimit)
{
    const std::string zeros(1 << 20, '\0');
    bool tooLarge = false;
    EXPECT_FALSE(Inflate(Deflate(zeros), 1000, &tooLarge));
    EXPECT_TRUE(tooLarge);
    tooLarge = false;
    EXPECT_FALSE(Inflate("not zlib at all", 1000, &tooLarge));
    EXPECT_FALSE(tooLarge);  // damaged, not too large
    EXPECT_EQ(Inflate(Deflate(zeros), zeros.size(), &tooLarge)->size(), zeros.size());
    EXPECT_FALSE(tooLarge);

    const std::string manyZ(1000, 'z');
    EXPECT_EQ(DecodeAscii85(manyZ, 4000).size(), 4000u);
    EXPECT_GT(DecodeAscii85(manyZ, 100).size(), 100u);
    EXPECT_LE(DecodeAscii85(manyZ, 100).size(), 104u);
}

TEST(FilterChain, IdentityCryptFilterPassesTheBytesAndUnknownFiltersFail)
{
    const std::string text = "0 0 1 rg 10 10 50 50 re f";
    const auto steps = [](std::vector<std::string> names) {
        std::vector<StreamFilterStep> chain;
        for (std::string& name : names) chain.push_back({std::move(name), {}});
        return chain;
    };
    EXPECT_EQ(UndoFilterChain(Deflate(text), steps({"/Crypt", "/FlateDecode"}), 1000), text);
    EXPECT_EQ(UndoFilterChain(text, steps({"/Crypt"}), 1000), text);
    EXPECT_EQ(UndoFilterChain(text, steps({"/Sparkle"}), 1000), std::nullopt);
}

}  // namespace
}  // namespace folivo
