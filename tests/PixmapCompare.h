// Reads the binary PPM and PGM files that pdftoppm writes and compares two renderings of a page.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace folivo::test {

struct Pixmap {
    int width = 0;
    int height = 0;
    int channels = 0;     // 1 for P5 (grey), 3 for P6 (colour)
    std::string samples;  // width × height × channels bytes, rows top to bottom
};

namespace pixmap_detail {

// The next header number; skips blanks and '#' comments before it.
inline std::optional<long> HeaderNumber(std::string_view bytes, size_t& at)
{
    for (;;) {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        if (at < bytes.size() && bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r') ++at;
            continue;
        }
        break;
    }
    long value = 0;
    const size_t start = at;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && at - start < 9) {
        value = value * 10 + (bytes[at] - '0');
        ++at;
    }
    if (at == start) return std::nullopt;
    return value;
}

}  // namespace pixmap_detail

// The picture in bytes, or nothing when they are no complete 8-bit P5 or P6 file.
inline std::optional<Pixmap> ParsePixmap(std::string_view bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return std::nullopt;
    Pixmap pixmap;
    pixmap.channels = bytes[1] == '6' ? 3 : 1;
    size_t at = 2;
    const auto width = pixmap_detail::HeaderNumber(bytes, at);
    const auto height = pixmap_detail::HeaderNumber(bytes, at);
    const auto maximum = pixmap_detail::HeaderNumber(bytes, at);
    if (!width || !height || !maximum || *width < 1 || *height < 1 || *maximum < 1 || *maximum > 255) {
        return std::nullopt;
    }
    // Exactly one blank ends the header; the samples follow.
    if (at >= bytes.size() || !std::isspace(static_cast<unsigned char>(bytes[at]))) return std::nullopt;
    ++at;
    const size_t count = static_cast<size_t>(*width) * static_cast<size_t>(*height) * pixmap.channels;
    if (bytes.size() - at < count) return std::nullopt;
    pixmap.width = static_cast<int>(*width);
    pixmap.height = static_cast<int>(*height);
    pixmap.samples.assign(bytes.substr(at, count));
    return pixmap;
}

struct PixmapDifference {
    bool sizesAgree = false;  // width and height each differ by at most one pixel
    // Mean absolute difference of the samples of the common area, as a share of full scale
    // (0 … 1); 1 when the pictures cannot be compared at all.
    double meanShare = 1.0;
};

inline PixmapDifference ComparePixmaps(const Pixmap& a, const Pixmap& b)
{
    PixmapDifference difference;
    difference.sizesAgree = std::abs(a.width - b.width) <= 1 && std::abs(a.height - b.height) <= 1;
    if (a.channels != b.channels) return difference;
    const int width = std::min(a.width, b.width);
    const int height = std::min(a.height, b.height);
    if (width < 1 || height < 1) return difference;
    const size_t rowA = static_cast<size_t>(a.width) * a.channels;
    const size_t rowB = static_cast<size_t>(b.width) * b.channels;
    const size_t common = static_cast<size_t>(width) * a.channels;
    uint64_t sum = 0;
    for (int y = 0; y < height; ++y) {
        const auto* rowOfA = reinterpret_cast<const unsigned char*>(a.samples.data()) + y * rowA;
        const auto* rowOfB = reinterpret_cast<const unsigned char*>(b.samples.data()) + y * rowB;
        for (size_t x = 0; x < common; ++x) sum += static_cast<uint64_t>(std::abs(rowOfA[x] - rowOfB[x]));
    }
    difference.meanShare = static_cast<double>(sum) / (static_cast<double>(common) * height * 255.0);
    return difference;
}

}  // namespace folivo::test
