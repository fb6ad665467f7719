// TIFF files: decoding one into a raster image record (libtiff), and wrapping CCITT data in one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/RasterImage.h"

namespace folivo {

// Bilevel pictures (CCITT fax among them) become 1 bit, with a palette that follows the
// photometric interpretation; 8-bit grey becomes 8 bits with a grey palette; everything else
// libtiff understands becomes 24 bits. Only the first directory is read. Returns whether the
// record now holds the image; on failure it holds no pixels.
bool ReadTiffFile(const char* fileName, RasterImage& image);

// The temporary TIFF file that carries a CCITT group 4 picture to the raster decoder.
std::string CcittTiffWrapper(int32_t width, int32_t height, std::string_view data);

}  // namespace folivo
