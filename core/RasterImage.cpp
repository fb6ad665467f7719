#include "core/RasterImage.h"

#include "core/JpegFile.h"
#include "core/TiffFile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace folivo {
namespace {

bool SupportedDepth(int32_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32:
        return true;
    default:
        return false;
    }
}

void SetDefaultPalette(RasterImage& image)
{
    if (image.bitsPerPixel > 8) return;
    const int count = 1 << image.bitsPerPixel;
    image.paletteCount = static_cast<uint16_t>(count);
    for (int i = 0; i < count; ++i) {
        const uint32_t level = static_cast<uint32_t>(i * 255 / (count - 1));
        image.palette[i] = (level << 16) | (level << 8) | level;
    }
}

// Pixel memory starts with a count of the records that share it; the pixels follow, aligned as
// malloc aligns.
struct PixelHeader {
    alignas(std::max_align_t) int64_t owners;
};

PixelHeader* HeaderOf(uint8_t* pixels) { return reinterpret_cast<PixelHeader*>(pixels - sizeof(PixelHeader)); }

enum class FileKind { Unknown, Jpeg, Tiff };

FileKind KindOf(const char* fileName)
{
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return FileKind::Unknown;
    unsigned char magic[4] = {};
    const size_t got = std::fread(magic, 1, sizeof magic, file);
    std::fclose(file);
    if (got < 4) return FileKind::Unknown;
    if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return FileKind::Jpeg;
    // Classic and big TIFF, either byte order.
    if (magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0)
        return FileKind::Tiff;
    if (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43))
        return FileKind::Tiff;
    return FileKind::Unknown;
}

}  // namespace

int64_t RasterRowBytes(int32_t width, int32_t bitsPerPixel)
{
    if (width <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32) return 0;
    const int64_t rowBytes = (int64_t{width} * bitsPerPixel + 31) / 32 * 4;
    return rowBytes <= RasterImageMaxPixelBytes ? rowBytes : 0;
}

bool newdib(RasterImage& image, int32_t width, int32_t height, int32_t bitsPerPixel, int, int)
{
    std::memset(&image, 0, sizeof image);
    if (height <= 0 || !SupportedDepth(bitsPerPixel)) return false;
    const int64_t rowBytes = RasterRowBytes(width, bitsPerPixel);
    if (rowBytes == 0 || rowBytes > RasterImageMaxPixelBytes / height) return false;

    // calloc: large blocks come as untouched zero pages, so a forged size that fails on its
    // first row costs neither time nor memory.
    auto* block = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(rowBytes * height) + sizeof(PixelHeader), 1));
    if (!block) return false;
    reinterpret_cast<PixelHeader*>(block)->owners = 1;
    uint8_t* const pixels = block + sizeof(PixelHeader);
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    image.bytesPerRow = static_cast<int32_t>(rowBytes);
    image.pixels = pixels;
    SetDefaultPalette(image);
    return true;
}

void OpenDib(RasterImage& image, const char* fileName, int, UserInterfacePort*)
{
    std::memset(&image, 0, sizeof image);
    if (!fileName) return;
    switch (KindOf(fileName)) {
    case FileKind::Jpeg:
        ReadJpegFile(fileName, image);
        break;
    case FileKind::Tiff:
        ReadTiffFile(fileName, image);
        break;
    case FileKind::Unknown:
        break;
    }
    if (!image.pixels) std::memset(&image, 0, sizeof image);
}

void sharedib(const RasterImage& source, RasterImage& image)
{
    if (&source == &image) return;
    std::memcpy(&image, &source, sizeof image);
    if (image.pixels) ++HeaderOf(image.pixels)->owners;
}

bool sampledib(const RasterImage& source, int64_t maxPixels, RasterImage& sampled)
{
    std::memset(&sampled, 0, sizeof sampled);
    const int32_t bits = source.bitsPerPixel;
    if (!source.pixels || source.width <= 0 || source.height <= 0 || maxPixels <= 0 || !SupportedDepth(bits) ||
        int64_t{source.bytesPerRow} * 8 < int64_t{source.width} * bits)
        return false;
    const double factor = std::min(1.0, std::sqrt(static_cast<double>(maxPixels) / source.width / source.height));
    const auto width = std::max<int32_t>(1, static_cast<int32_t>(source.width * factor));
    const auto height = std::max<int32_t>(1, static_cast<int32_t>(source.height * factor));
    if (!newdib(sampled, width, height, bits)) return false;
    sampled.paletteCount = source.paletteCount;
    std::memcpy(sampled.palette, source.palette, sizeof sampled.palette);
    const int32_t bytes = bits / 8;
    const int mask = (1 << std::min(bits, 8)) - 1;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = source.pixels + int64_t{y} * source.height / height * source.bytesPerRow;
        uint8_t* to = sampled.pixels + int64_t{y} * sampled.bytesPerRow;
        for (int32_t x = 0; x < width; ++x) {
            const int64_t sx = int64_t{x} * source.width / width;
            if (bits >= 8) {
                std::memcpy(to + int64_t{x} * bytes, from + sx * bytes, static_cast<size_t>(bytes));
                continue;
            }
            // Pixels below a byte sit from the most significant bits on.
            const int fromShift = 8 - bits - static_cast<int>(sx * bits % 8);
            const int toShift = 8 - bits - static_cast<int>(int64_t{x} * bits % 8);
            const int value = (from[sx * bits / 8] >> fromShift) & mask;
            to[int64_t{x} * bits / 8] = static_cast<uint8_t>(to[int64_t{x} * bits / 8] | (value << toShift));
        }
    }
    return true;
}

void deldib(RasterImage& image)
{
    if (image.pixels) {
        PixelHeader* header = HeaderOf(image.pixels);
        if (--header->owners == 0) std::free(header);
    }
    image.pixels = nullptr;
    image.bytesPerRow = 0;
}

}  // namespace folivo
