// Picture samples as the file stores them (rows of packed components, 1 ... 16 bits each)
// turned into the bitmaps the view draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/RasterImage.h"

namespace folivo {

enum class SampleColours : int32_t {
    Gray,
    Rgb,
    Cmyk,
    Indexed,
    Tint,  // ink amounts (separations): more is darker
    Lab,   // drawn as grey by its lightness
};

struct SampleFormat {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerComponent = 8;
    int32_t components = 1;  // per pixel
    SampleColours colours = SampleColours::Gray;
    // A 1-bit stencil: sample 0 (after /Decode) paints, 1 leaves the page as it is.
    bool stencil = false;
    // /Decode: a low and high value per component; empty or too short for the default.
    std::vector<double> decode;
    // Indexed: the highest index and the colours of the base space, baseComponents bytes each.
    int32_t hival = 0;
    SampleColours baseColours = SampleColours::Rgb;
    int32_t baseComponents = 3;
    std::string lookup;
};

// Unpacks the samples into `image` (overwritten): grey pictures become 8-bit grey, indexed
// ones 8-bit with their palette, stencils 1 bit (pixel 0 paints, palette black on white),
// everything else 24-bit. Rows start on whole bytes; rows the data do not reach stay 0 (black;
// for stencils unpainted). Indexes past hival take the colour of hival. False when the format
// has no pixels (sizes, bits or components out of range) or memory for them is refused.
bool SamplesToRaster(const SampleFormat& format, std::string_view samples, RasterImage& image);

// A colour-key mask (/Mask [min max ...], in sample values before /Decode): a 1-bit mask whose
// set bits leave out the pixels with every component in its range, rows bottom-up as the
// pictures'. False (no mask made) when the ranges do not cover every component.
bool ColourKeyMask(const SampleFormat& format, std::string_view samples, const std::vector<double>& ranges, RasterImage& mask);

}  // namespace folivo
