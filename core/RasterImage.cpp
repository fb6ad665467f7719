#include "core/RasterImage.h"

namespace folivo {

void deldib(RasterImage& image)
{
    delete[] image.pixels;
    image.pixels = nullptr;
    image.bytesPerRow = 0;
}

}  // namespace folivo
