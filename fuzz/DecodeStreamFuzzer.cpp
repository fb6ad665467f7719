// Feeds arbitrary bytes to every stream decoder the reader uses: ASCII85, ASCIIHex, RunLength,
// inflating, LZW, the JBIG2 and JPEG 2000 libraries, the sample unpacking of pictures, and a
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
#include "core/PictureCodecs.h"
#include "core/PictureSamples.h"
#include "core/RasterImage.h"
#include "core/TiffFile.h"
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
    folivo::DecodeAsciiHex(bytes, OutputLimit);
    folivo::DecodeRunLength(bytes, OutputLimit);
    folivo::InflatePrefix(bytes, 4096);
    folivo::DecodeJbig2(bytes, {});
    folivo::DecodeJpx(bytes);

    // The first eight bytes describe samples that the rest holds: width and height (10 bits
    // each), bits, components, colour space, hival; /Decode inverts every other input.
    if (size >= 8) {
        folivo::SampleFormat format;
        format.width = (data[0] | data[1] << 8) & 0x3FF;
        format.height = (data[2] | data[3] << 8) & 0x3FF;
        format.bitsPerComponent = data[4] & 0x1F;
        format.components = data[5] & 0x3F;
        format.colours = static_cast<folivo::SampleColours>(data[6] % 6);
        format.stencil = data[6] >= 0xF0;
        format.hival = data[7];
        format.baseColours = static_cast<folivo::SampleColours>(data[5] % 6);
        format.baseComponents = data[4] >> 3;
        format.lookup = std::string(bytes.substr(8, 64));
        if (data[7] & 1) format.decode.assign(static_cast<size_t>(2 * format.components), 0.0);
        folivo::RasterImage image{};
        folivo::SamplesToRaster(format, bytes.substr(8), image);
        folivo::deldib(image);
    }

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
