// Device-independent bitmaps of the raster image record as Qt images.
#pragma once

#include <QImage>

#include "core/RasterImage.h"

namespace folivo {

// The bitmap with its top row first, as 32-bit RGB. Palette depths look their colours up in
// the palette (indexes past its end are black). Null when the record holds no usable pixels.
QImage QImageFromRaster(const RasterImage& raster);

// A stencil: pixels of palette index 0 in `paint`, all others transparent, so that the page
// shows through them. Null as above.
QImage StencilQImage(const RasterImage& raster, QRgb paint);

// The image with the mask's opacity stretched over it: an 8-bit grey mask gives each pixel's
// opacity, a 1-bit mask shows the pixels of index 0 only. The image as it is when the mask
// holds no usable pixels.
QImage MaskedQImage(const QImage& image, const RasterImage& mask);

}  // namespace folivo
