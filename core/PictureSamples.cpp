#include "core/PictureSamples.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/NumberConversion.h"

namespace folivo {

namespace {

constexpr int32_t MaxComponents = 32;

bool ValidBits(int32_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16; }

// Rounded half away from zero; a /Decode range far beyond the levels can make NaN.
uint8_t Clamped(double value) { return ClampedInteger<uint8_t>(std::round(value)); }

// Colour values 0 ... 255 of one pixel's components as red, green, blue.
std::array<uint8_t, 3> ToRgb(SampleColours colours, const uint8_t* c, int32_t count)
{
    switch (colours) {
    case SampleColours::Rgb:
        if (count >= 3) return {c[0], c[1], c[2]};
        break;
    case SampleColours::Cmyk:
        if (count >= 4) {
            auto ink = [&](int i) { return static_cast<uint8_t>(255 - std::min(255, c[i] + c[3])); };
            return {ink(0), ink(1), ink(2)};
        }
        break;
    case SampleColours::Tint: {
        int sum = 0;
        for (int32_t i = 0; i < count; ++i) sum += c[i];
        const auto level = static_cast<uint8_t>(255 - std::min(255, sum));
        return {level, level, level};
    }
    default:
        break;
    }
    return {c[0], c[0], c[0]};
}

// The palette of an indexed picture: lookup entries past the end of the string are black.
void FillPalette(const SampleFormat& format, RasterImage& image)
{
    const int32_t entries = std::clamp(format.hival, 0, 255) + 1;
    const auto base = static_cast<size_t>(std::clamp(format.baseComponents, 1, MaxComponents));
    image.paletteCount = static_cast<uint16_t>(entries);
    for (int32_t i = 0; i < entries; ++i) {
        uint8_t colour[MaxComponents] = {};
        const size_t at = static_cast<size_t>(i) * base;
        if (at + base <= format.lookup.size()) std::memcpy(colour, format.lookup.data() + at, base);
        else if (format.baseColours == SampleColours::Cmyk || format.baseColours == SampleColours::Tint)
            std::memset(colour, 255, base);  // full ink: black, as missing entries are in the other spaces
        const auto rgb = ToRgb(format.baseColours, colour, static_cast<int32_t>(base));
        image.palette[i] = uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
    }
}

}  // namespace

bool SamplesToRaster(const SampleFormat& format, std::string_view samples, RasterImage& image)
{
    std::memset(&image, 0, sizeof image);
    const int32_t bits = format.bitsPerComponent;
    const int32_t count = format.stencil ? 1 : format.components;
    if (format.width <= 0 || format.height <= 0 || !ValidBits(bits) || count < 1 || count > MaxComponents ||
        (format.stencil && bits != 1))
        return false;
    const bool indexed = format.colours == SampleColours::Indexed && !format.stencil;
    const bool grey = !indexed && !format.stencil && (format.colours == SampleColours::Gray ||
                                                      format.colours == SampleColours::Lab || count == 1);
    const int32_t depth = format.stencil ? 1 : (indexed || grey) ? 8 : 24;
    if (!newdib(image, format.width, format.height, depth)) return false;
    if (indexed) FillPalette(format, image);

    // Every sample value (16-bit ones by their high byte) maps through a table per component:
    // /Decode applied, then the colour level, the index, or for stencils whether it paints.
    const int32_t maxValue = bits == 16 ? 255 : (1 << bits) - 1;
    std::vector<std::array<uint8_t, 256>> tables(static_cast<size_t>(count));
    for (int32_t c = 0; c < count; ++c) {
        double low = 0, high = indexed ? maxValue : 1;
        if (format.colours == SampleColours::Lab && !format.stencil && c == 0) high = 100;
        if (format.decode.size() >= static_cast<size_t>(2 * count)) {
            low = format.decode[static_cast<size_t>(2 * c)];
            high = format.decode[static_cast<size_t>(2 * c + 1)];
        }
        for (int32_t v = 0; v <= maxValue; ++v) {
            const double value = low + v * (high - low) / maxValue;
            uint8_t& entry = tables[static_cast<size_t>(c)][static_cast<size_t>(v)];
            if (format.stencil) entry = value < 0.5 ? 0 : 1;
            else if (indexed) entry = std::min<uint8_t>(Clamped(value), static_cast<uint8_t>(std::clamp(format.hival, 0, 255)));
            else if (format.colours == SampleColours::Lab && c == 0) entry = Clamped(value * 2.55);
            else entry = Clamped(value * 255);
        }
    }

    const int64_t rowBytes = (int64_t{format.width} * count * bits + 7) / 8;
    const auto* data = reinterpret_cast<const uint8_t*>(samples.data());
    const auto available = static_cast<int64_t>(samples.size());
    const int mask = (1 << std::min(bits, 8)) - 1;
    uint8_t pixel[MaxComponents];
    for (int64_t y = 0; y < format.height; ++y) {
        uint8_t* out = image.pixels + (format.height - 1 - y) * image.bytesPerRow;  // rows bottom-up
        if (format.stencil) std::memset(out, 0xFF, static_cast<size_t>(image.bytesPerRow));
        const int64_t start = y * rowBytes;
        if (start >= available) continue;
        const uint8_t* row = data + start;
        const int64_t rowAvailable = std::min(rowBytes, available - start);
        if (grey && count == 1 && bits == 8 && format.colours != SampleColours::Lab && format.colours != SampleColours::Tint) {
            // One 8-bit grey sample a pixel, the common case of large pictures: by the table alone.
            const std::array<uint8_t, 256>& table = tables[0];
            for (int64_t x = 0; x < std::min<int64_t>(format.width, rowAvailable); ++x) out[x] = table[row[x]];
            continue;
        }
        int64_t sample = 0;
        for (int64_t x = 0; x < format.width; ++x) {
            bool complete = true;
            for (int32_t c = 0; c < count; ++c, ++sample) {
                const int64_t bit = sample * bits;
                if (bit / 8 + (bits == 16 ? 2 : 1) > rowAvailable) {
                    complete = false;
                    break;
                }
                int value;
                if (bits >= 8) value = row[bit / 8];
                else value = (row[bit / 8] >> (8 - bits - static_cast<int>(bit % 8))) & mask;
                pixel[c] = tables[static_cast<size_t>(c)][static_cast<size_t>(value)];
            }
            if (!complete) break;
            if (format.stencil) {
                if (pixel[0] == 0) out[x / 8] = static_cast<uint8_t>(out[x / 8] & ~(0x80 >> (x % 8)));
            } else if (indexed) {
                out[x] = pixel[0];
            } else if (grey) {
                out[x] = format.colours == SampleColours::Lab ? pixel[0] : ToRgb(format.colours, pixel, count)[0];
            } else {
                const auto rgb = ToRgb(format.colours, pixel, count);
                out[3 * x] = rgb[2];
                out[3 * x + 1] = rgb[1];
                out[3 * x + 2] = rgb[0];
            }
        }
    }
    return true;
}

bool ColourKeyMask(const SampleFormat& format, std::string_view samples, const std::vector<double>& ranges, RasterImage& mask)
{
    std::memset(&mask, 0, sizeof mask);
    const int32_t bits = format.bitsPerComponent;
    const int32_t count = format.components;
    if (format.stencil || format.width <= 0 || format.height <= 0 || !ValidBits(bits) || count < 1 || count > MaxComponents ||
        ranges.size() < static_cast<size_t>(2 * count))
        return false;
    if (!newdib(mask, format.width, format.height, 1)) return false;
    const int64_t rowBytes = (int64_t{format.width} * count * bits + 7) / 8;
    const auto* data = reinterpret_cast<const uint8_t*>(samples.data());
    const auto available = static_cast<int64_t>(samples.size());
    const int valueMask = (1 << std::min(bits, 8)) - 1;
    for (int64_t y = 0; y < format.height; ++y) {
        uint8_t* out = mask.pixels + (format.height - 1 - y) * mask.bytesPerRow;  // rows bottom-up
        const int64_t start = y * rowBytes;
        if (start >= available) continue;
        const uint8_t* row = data + start;
        const int64_t rowAvailable = std::min(rowBytes, available - start);
        int64_t sample = 0;
        for (int64_t x = 0; x < format.width; ++x) {
            bool keyed = true;
            for (int32_t c = 0; c < count; ++c, ++sample) {
                const int64_t bit = sample * bits;
                if (bit / 8 + (bits == 16 ? 2 : 1) > rowAvailable) return true;
                int value;
                if (bits == 16) value = row[bit / 8] << 8 | row[bit / 8 + 1];
                else if (bits == 8) value = row[bit / 8];
                else value = (row[bit / 8] >> (8 - bits - static_cast<int>(bit % 8))) & valueMask;
                if (value < ranges[static_cast<size_t>(2 * c)] || value > ranges[static_cast<size_t>(2 * c + 1)]) keyed = false;
            }
            if (keyed) out[x / 8] = static_cast<uint8_t>(out[x / 8] | (0x80 >> (x % 8)));
        }
    }
    return true;
}

}  // namespace folivo
