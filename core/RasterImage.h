// The raster image record: a device-independent bitmap, rows stored bottom-up, 24-bit pixels
// as blue, green, red. A record without pixel data holds no image.
#pragma once

#include <cstdint>

#include "core/ResourceLimits.h"

namespace folivo {

class UserInterfacePort;

struct RasterImage {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint8_t* pixels;  // null: no image
    int32_t bytesPerRow;
    uint16_t paletteCount;
    uint32_t palette[256];  // 0x00RRGGBB
};


// Bytes of one pixel row: width × bits rounded up to whole 32-bit words; 0 when the result
// would exceed RasterImageMaxPixelBytes or the arguments are not positive.
int64_t RasterRowBytes(int32_t width, int32_t bitsPerPixel);

// Makes an empty (zero-filled) bitmap of the given size and depth (1, 2, 4, 8, 16, 24 or 32
// bits). Depths up to 8 bits get a palette: black and white for 1 bit, a grey ramp otherwise.
// The record is overwritten; an image it held must be released with deldib first. Returns
// whether pixels were made; on failure the record has no pixels.
bool newdib(RasterImage& image, int32_t width, int32_t height, int32_t bitsPerPixel, int = 0,
            int = 0);

// Decodes a JPEG or TIFF file (told apart by its first bytes) into the record. When the file
// cannot be decoded the record has no pixels. owner may be null.
void OpenDib(RasterImage& image, const char* fileName, int = 0, UserInterfacePort* owner = nullptr);

// Makes image a record of the same picture as source, sharing its pixels: no copy is made. The
// pixels live until deldib has released every record that holds them. The record is
// overwritten; an image it held must be released with deldib first.
void sharedib(const RasterImage& source, RasterImage& image);

// Makes `sampled` a copy of source reduced to at most maxPixels pixels (nearest neighbour, same
// depth, palette and proportions). The record is overwritten. Returns whether pixels were made.
bool sampledib(const RasterImage& source, int64_t maxPixels, RasterImage& sampled);

// Releases the record's hold on its image memory; the memory goes with the last record.
void deldib(RasterImage& image);

}  // namespace folivo
