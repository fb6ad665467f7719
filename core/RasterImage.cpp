#include "core/RasterImage.h"

#include "core/JpegFile.h"
#include "core/TiffFile.h"

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
    auto* pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(rowBytes * height), 1));
    if (!pixels) return false;
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

void deldib(RasterImage& image)
{
    std::free(image.pixels);
    image.pixels = nullptr;
    image.bytesPerRow = 0;
}

}  // namespace folivo
