// TIFF decoding into a raster image record (libtiff).
#pragma once

#include "core/RasterImage.h"

namespace folivo {

// Bilevel pictures (CCITT fax among them) become 1 bit, with a palette that follows the
// photometric interpretation; 8-bit grey becomes 8 bits with a grey palette; everything else
// libtiff understands becomes 24 bits. Only the first directory is read. Returns whether the
// record now holds the image; on failure it holds no pixels.
bool ReadTiffFile(const char* fileName, RasterImage& image);

}  // namespace folivo
