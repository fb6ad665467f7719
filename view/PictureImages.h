// The document's pictures as Qt images for one drawing: each converted once however often the
// page shows it (names of one picture share its pixels; stencils are kept per paint), reduced to
// what the drawing can show, and kept within a bound, the least recently used making way.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <map>
#include <tuple>

#include "model/DocumentModel.h"

namespace folivo {

class PictureImages {
public:
    // drawing: the size of the image drawn into, which bounds the pixels kept of a picture.
    explicit PictureImages(QSize drawing);

    // The picture's image; a stencil painted in `stencilPaint`. Null when it has no pixels.
    const QImage& Of(const ImageObject& picture, QRgb stencilPaint);

private:
    using Key = std::tuple<const uint8_t*, bool, QRgb>;
    struct Converted {
        QImage image;
        uint64_t lastUse;
    };
    int64_t maxPixels_;
    std::map<Key, Converted> images_;
    int64_t convertedBytes_ = 0;
    uint64_t uses_ = 0;
};

}  // namespace folivo
