// Feeds arbitrary bytes to every stream decoder the reader uses: ASCII85, inflating, LZW, and a
// CCITT picture carried to the raster decoder in its temporary TIFF wrapper. The raw bytes also
// go to the raster decoder as a file of their own, so that damaged JPEG and TIFF files are met.
#include <stdlib.h>  // mkdtemp

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/Decodenow.h"
#include "core/RasterImage.h"
#include "document/PdfDocument.h"
#include "syntax/StreamFilters.h"

namespace {

// Far below the reader's limits, so that one input stays quick; the cut-off paths are the same.
constexpr size_t OutputLimit = size_t{16} << 20;

// Temporary files of this fuzzing process (libFuzzer may run several jobs at once).
std::string& TemporaryFolder()
{
    static std::string folder;
    return folder;
}

void RemoveTemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(TemporaryFolder(), ignored);
}

void DecodeAsPictureFile(std::string_view bytes, const std::string& path)
{
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    folivo::RasterImage image{};
    folivo::OpenDib(image, path.c_str());
    folivo::deldib(image);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/folivo-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    TemporaryFolder() = std::string(pattern) + "/";
    std::atexit(RemoveTemporaryFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    folivo::DecodeAscii85(bytes);
    folivo::Inflate(bytes, OutputLimit);
    folivo::DecodeLzw(bytes, OutputLimit);

    // The first four bytes give the picture's width and height (12 bits each, so that one
    // picture stays small); the reader hands over only pictures wider and higher than 1.
    if (size >= 4) {
        const int32_t width = (data[0] | data[1] << 8) & 0xFFF;
        const int32_t height = (data[2] | data[3] << 8) & 0xFFF;
        if (width > 1 && height > 1) {
            DecodeAsPictureFile(folivo::CcittTiffWrapper(width, height, bytes.substr(4)),
                                TemporaryFolder() + "ccitt.tif");
        }
    }
    DecodeAsPictureFile(bytes, TemporaryFolder() + "picture");
    return 0;
}
