#include "view/RasterQImage.h"

#include <cstdint>

namespace folivo {

namespace {

QRgb PaletteColour(const RasterImage& raster, unsigned index)
{
    if (index >= raster.paletteCount || index >= 256) return qRgb(0, 0, 0);
    return 0xFF000000u | (raster.palette[index] & 0x00FFFFFFu);
}

// Pixel x of a DIB row at any supported depth.
QRgb PixelAt(const RasterImage& raster, const uint8_t* row, int x)
{
    switch (raster.bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8: {
        const int bits = raster.bitsPerPixel;
        const int64_t bit = int64_t{x} * bits;
        const unsigned byte = row[bit / 8];
        // Pixels are packed from the most significant bit down.
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        return PaletteColour(raster, (byte >> shift) & ((1u << bits) - 1));
    }
    case 16: {
        const unsigned value = row[2 * x] | (row[2 * x + 1] << 8);
        const auto channel = [](unsigned five) { return static_cast<int>((five << 3) | (five >> 2)); };
        return qRgb(channel((value >> 10) & 31), channel((value >> 5) & 31), channel(value & 31));
    }
    case 24: return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 32: return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: return qRgb(0, 0, 0);
    }
}

constexpr int64_t MaxMaskedPixels = int64_t{16} << 20;

bool Readable(const RasterImage& raster)
{
    if (!raster.pixels || raster.width <= 0 || raster.height <= 0) return false;
    const int bits = raster.bitsPerPixel;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // A row must hold all its pixels; a record that says otherwise is not read.
    if (raster.bytesPerRow <= 0 || int64_t{raster.bytesPerRow} * 8 < int64_t{raster.width} * bits) return false;
    return int64_t{raster.bytesPerRow} * raster.height <= RasterImageMaxPixelBytes;
}

}  // namespace

QImage StencilQImage(const RasterImage& raster, QRgb paint)
{
    if (!Readable(raster) || raster.bitsPerPixel != 1) return {};
    QImage image(raster.width, raster.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    const QRgb painted = qPremultiply(qRgba(qRed(paint), qGreen(paint), qBlue(paint), 255));
    for (int y = 0; y < raster.height; ++y) {
        const uint8_t* row = raster.pixels + int64_t{raster.height - 1 - y} * raster.bytesPerRow;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < raster.width; ++x) line[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0 : painted;
    }
    return image;
}

QImage MaskedQImage(const QImage& image, const RasterImage& mask)
{
    if (image.isNull() || !Readable(mask) || (mask.bitsPerPixel != 1 && mask.bitsPerPixel != 8)) return image;
    // A mask finer than the picture keeps its detail: the picture is spread over the mask's
    // pixels, as long as that stays a size the view draws anyway.
    QImage masked = image;
    if ((mask.width > image.width() || mask.height > image.height()) && mask.width >= image.width() &&
        mask.height >= image.height() && int64_t{mask.width} * mask.height <= MaxMaskedPixels)
        masked = image.scaled(mask.width, mask.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    masked = masked.convertToFormat(QImage::Format_ARGB32);
    if (masked.isNull()) return image;
    for (int y = 0; y < masked.height(); ++y) {
        const int64_t my = int64_t{y} * mask.height / masked.height();
        const uint8_t* row = mask.pixels + (mask.height - 1 - my) * mask.bytesPerRow;
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            const int64_t mx = int64_t{x} * mask.width / masked.width();
            const int opacity = mask.bitsPerPixel == 8 ? row[mx] : (row[mx / 8] & (0x80 >> (mx % 8))) ? 0 : 255;
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), opacity);
        }
    }
    return masked;
}

QImage QImageFromRaster(const RasterImage& raster)
{
    if (!Readable(raster)) return {};
    QImage image(raster.width, raster.height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < raster.height; ++y) {
        // Rows are stored bottom-up.
        const uint8_t* row = raster.pixels + int64_t{raster.height - 1 - y} * raster.bytesPerRow;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < raster.width; ++x) line[x] = PixelAt(raster, row, x);
    }
    return image;
}

}  // namespace folivo
