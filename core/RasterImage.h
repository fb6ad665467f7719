// The raster image record: a device-independent bitmap, rows stored bottom-up, 24-bit pixels
// as blue, green, red. A record without pixel data holds no image.
#pragma once

#include <cstdint>

namespace folivo {

struct RasterImage {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint8_t* pixels;  // null: no image
    int32_t bytesPerRow;
    uint16_t paletteCount;
    uint32_t palette[256];  // 0x00RRGGBB
};

// Releases the record's image memory.
void deldib(RasterImage& image);

}  // namespace folivo
