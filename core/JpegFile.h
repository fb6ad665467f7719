// JPEG decoding into a raster image record (libjpeg).
#pragma once

#include "core/RasterImage.h"

namespace folivo {

// Greyscale becomes 8 bits with a grey palette; RGB, YCbCr, CMYK and YCCK become 24 bits.
// Returns whether the record now holds the image; on failure it holds no pixels.
bool ReadJpegFile(const char* fileName, RasterImage& image);

}  // namespace folivo
