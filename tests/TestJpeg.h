// JPEG files encoded in memory for the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include <jpeglib.h>

namespace folivo::test {

struct JpegLayout {
    int width, height;
    J_COLOR_SPACE input;
    int components;
    J_COLOR_SPACE stored;
    bool adobeMarker;
    bool progressive;
    int quality = 95;
};

// The file of a picture whose rows fillRow writes (width × components samples each).
std::string EncodeJpeg(const JpegLayout& layout, const std::function<void(int y, uint8_t* row)>& fillRow);

}  // namespace folivo::test
