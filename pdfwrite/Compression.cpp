#include "pdfwrite/Compression.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace folivo {

std::string Compress(std::string_view data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), level) != Z_OK)
        return {};
    compressed.resize(size);
    return compressed;
}

std::vector<std::string> CompressEach(const std::vector<std::string_view>& blocks, int level)
{
    std::vector<std::string> compressed(blocks.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < blocks.size();) compressed[i] = Compress(blocks[i], level);
    };
    const size_t helpers = std::min<size_t>(std::max(std::thread::hardware_concurrency(), 1u) - 1, blocks.size() / 2);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < std::min<size_t>(helpers, 7); ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer helpers; this thread does the rest
        }
    }
    work();
    for (std::thread& thread : threads) thread.join();
    return compressed;
}

}  // namespace folivo
