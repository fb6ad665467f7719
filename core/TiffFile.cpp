#include "core/TiffFile.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include <tiffio.h>

namespace folivo {
namespace {

int Quiet(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;  // handled: libtiff prints nothing
}

// Messages raised before a handle exists go to the process-wide handlers.
void SilenceGlobalHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

TIFF* OpenQuietly(const char* fileName)
{
    SilenceGlobalHandlers();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, RasterImageMaxPixelBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    TIFF* tiff = TIFFOpenExt(fileName, "r", options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

uint8_t* RowAt(RasterImage& image, uint32_t topDownRow)
{
    return image.pixels + static_cast<size_t>(image.height - 1 - static_cast<int32_t>(topDownRow)) *
                              static_cast<size_t>(image.bytesPerRow);
}

// Bilevel or 8-bit grey, one sample per pixel, in strips: decoded row by row straight into
// the bitmap. In a min-is-white picture the palette runs from white to black.
bool ReadScanlines(TIFF* tiff, uint32_t width, uint32_t height, int bits, bool minIsWhite,
                   RasterImage& image)
{
    if (!newdib(image, static_cast<int32_t>(width), static_cast<int32_t>(height), bits)) return false;
    if (minIsWhite) {
        const int count = image.paletteCount;
        for (int i = 0; i < count / 2; ++i) std::swap(image.palette[i], image.palette[count - 1 - i]);
    }
    const uint64_t lineBytes = TIFFScanlineSize64(tiff);
    if (lineBytes == 0 || lineBytes > static_cast<uint64_t>(image.bytesPerRow)) return false;
    for (uint32_t row = 0; row < height; ++row)
        if (TIFFReadScanline(tiff, RowAt(image, row), row, 0) < 0) return false;
    return true;
}

// Any other layout through libtiff's RGBA reader, whose bottom-left orientation already
// matches the bitmap's row order.
bool ReadRgba(TIFF* tiff, uint32_t width, uint32_t height, RasterImage& image)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) return false;
    const uint64_t count = uint64_t{width} * height;
    if (count > static_cast<uint64_t>(RasterImageMaxPixelBytes) / 4) return false;
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[count]);
    if (!raster) return false;
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.get(), ORIENTATION_BOTLEFT, 0))
        return false;
    if (!newdib(image, static_cast<int32_t>(width), static_cast<int32_t>(height), 24)) return false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* source = raster.get() + static_cast<size_t>(y) * width;
        uint8_t* target = image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.bytesPerRow);
        for (uint32_t x = 0; x < width; ++x, target += 3) {
            target[0] = static_cast<uint8_t>(TIFFGetB(source[x]));
            target[1] = static_cast<uint8_t>(TIFFGetG(source[x]));
            target[2] = static_cast<uint8_t>(TIFFGetR(source[x]));
        }
    }
    return true;
}

bool Decode(TIFF* tiff, RasterImage& image)
{
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
        return false;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return false;

    uint16_t bits = 0, samples = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;  // the fax convention when the tag is missing
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);

    const bool grey = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    if (grey && samples == 1 && (bits == 1 || bits == 8) && !TIFFIsTiled(tiff))
        return ReadScanlines(tiff, width, height, bits, photometric == PHOTOMETRIC_MINISWHITE, image);
    return ReadRgba(tiff, width, height, image);
}

}  // namespace

bool ReadTiffFile(const char* fileName, RasterImage& image)
{
    image.pixels = nullptr;
    TIFF* tiff = OpenQuietly(fileName);
    if (!tiff) return false;
    const bool decoded = Decode(tiff, image);
    TIFFClose(tiff);
    if (!decoded) deldib(image);
    return decoded;
}

std::string CcittTiffWrapper(int32_t width, int32_t height, std::string_view data)
{
    std::string tiff = "II";
    PutLittleEndian(tiff, 42, 2);
    PutLittleEndian(tiff, 8, 4);
    PutLittleEndian(tiff, 8, 2);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        PutLittleEndian(tiff, tag, 2);
        PutLittleEndian(tiff, type, 2);
        PutLittleEndian(tiff, 1, 4);
        PutLittleEndian(tiff, value, 4);  // a SHORT sits in the first two bytes
    };
    constexpr uint16_t Short = 3, Long = 4;
    entry(256, Short, static_cast<uint32_t>(width) & 0xFFFF);
    entry(257, Short, static_cast<uint32_t>(height) & 0xFFFF);
    entry(258, Short, 1);
    entry(259, Short, 4);
    entry(262, Short, 0);
    entry(273, Long, 110);
    entry(278, Short, static_cast<uint32_t>(height) & 0xFFFF);
    entry(279, Long, static_cast<uint32_t>(data.size()));
    PutLittleEndian(tiff, 0, 4);
    tiff.append(data);
    return tiff;
}

}  // namespace folivo
