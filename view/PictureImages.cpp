#include "view/PictureImages.h"

#include <algorithm>

#include "core/RasterImage.h"
#include "view/RasterQImage.h"

namespace folivo {

namespace {

// Larger pictures are reduced before drawing: no drawing shows more of them, and converting
// them whole would take gigabytes.
constexpr int64_t MaxPicturePixels = int64_t{16} << 20;
// Nor does a drawing show more than a few times its own pixels of one picture.
constexpr int64_t PicturePixelsPerDrawingPixel = 4;
constexpr int64_t MinPicturePixels = int64_t{1} << 20;
// Converted pictures kept for reuse within one drawing stay within this; the least recently
// used make way. Each takes four bytes a pixel beside the document's own pixels.
constexpr int64_t MaxConvertedBytes = int64_t{128} << 20;

}  // namespace

PictureImages::PictureImages(QSize drawing)
    : maxPixels_(std::min(MaxPicturePixels,
                          std::max(MinPicturePixels, PicturePixelsPerDrawingPixel * drawing.width() * drawing.height())))
{
}

const QImage& PictureImages::Of(const ImageObject& picture, QRgb stencilPaint)
{
    const RasterImage& raster = picture.image;
    const Key key(raster.pixels, picture.stencil != 0, picture.stencil ? stencilPaint : 0);
    auto found = images_.find(key);
    if (found != images_.end()) {
        found->second.lastUse = ++uses_;
        return found->second.image;
    }
    auto convert = [&](const RasterImage& from) {
        if (picture.stencil) return StencilQImage(from, stencilPaint);
        return picture.mask.pixels ? MaskedQImage(QImageFromRaster(from), picture.mask) : QImageFromRaster(from);
    };
    QImage converted;
    if (int64_t{raster.width} * raster.height <= maxPixels_) {
        converted = convert(raster);
    } else {
        RasterImage sampled{};
        if (sampledib(raster, maxPixels_, sampled)) converted = convert(sampled);
        deldib(sampled);
    }
    const int64_t bytes = converted.sizeInBytes();
    while (!images_.empty() && convertedBytes_ + bytes > MaxConvertedBytes) {
        const auto oldest = std::min_element(images_.begin(), images_.end(),
                                             [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        convertedBytes_ -= oldest->second.image.sizeInBytes();
        images_.erase(oldest);
    }
    convertedBytes_ += bytes;
    return images_.emplace(key, Converted{std::move(converted), ++uses_}).first->second.image;
}

}  // namespace folivo
