// The document protection's pieces that need no open document: names, the random digit and the
// font descriptor.
#include "pdfwrite/Protection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <random>

namespace folivo {

namespace {

// Measured pixels become font units of a 12-pixel em: 1000 / 12 per pixel.
constexpr double WidthScale = 1000.0 / 12;

bool IsNameDelimiter(unsigned char byte)
{
    switch (byte) {
    case '#': case '%': case '(': case ')': case '/': case '<': case '>': case '[': case ']': case '{': case '}':
        return true;
    default:
        return false;
    }
}

std::string HexEscape(unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string{'#', digits[byte >> 4], digits[byte & 15]};
}

std::string Scaled(int value) { return std::to_string(static_cast<int64_t>(std::trunc(value * WidthScale))); }

}  // namespace

std::string ProtectionFontName(std::string_view face)
{
    std::string name;
    for (unsigned char byte : face) {
        if (IsNameDelimiter(byte)) {
            name += HexEscape(byte);
        } else if (byte >= 33 && byte <= 126) {
            name += static_cast<char>(byte);
        }
    }
    return name;
}

std::string ProtectionBaseFont(std::string_view face, bool bold, bool italic)
{
    std::string name;
    for (unsigned char byte : face) {
        if (byte == 0) continue;
        if (byte >= 33 && byte <= 126 && !IsNameDelimiter(byte)) {
            name += static_cast<char>(byte);
        } else {
            name += HexEscape(byte);
        }
    }
    if (bold && italic) {
        name += ",BoldItalic";
    } else if (italic) {
        name += ",Italic";
    } else if (bold) {
        name += ",Bold";
    }
    return name;
}

char RandomDigit()
{
    static std::mutex guard;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(guard);
    return static_cast<char>('0' + std::uniform_int_distribution<int>(0, 9)(generator));
}

std::string UniqueResourceName(std::string name, const TDynaArray<FontRecord>& fonts,
                               const std::function<char()>& randomDigit)
{
    auto taken = [&fonts](const std::string& candidate) {
        for (uint32_t i = 0; i < fonts.Count(); ++i)
            if (fonts.At(i)->resourceName.View() == candidate) return true;
        return false;
    };
    // Every round makes the name longer, so the finite list is outrun.
    while (taken(name)) name += randomDigit();
    return name;
}

std::string DescriptorText(const FontMeasurement& m, double widths[256], uint8_t present[256])
{
    std::string text = "/FontDescriptor <</Type/FontDescriptor ";
    if (m.hasOutline) {
        text += "/FontBBox[" + Scaled(m.boxLeft) + " " + Scaled(m.boxBottom) + " " + Scaled(m.boxRight) + " " +
                Scaled(m.boxTop) + "] ";
    } else {
        text += "/FontBBox[0 " + Scaled(m.height) + " " + Scaled(m.maxCharWidth) + " 0] ";
    }
    text += "/Flags 4/Ascent " + Scaled(m.ascent) + "/Descent " + Scaled(m.descent);
    if (m.hasOutline) text += "/ItalicAngle " + std::to_string(m.italicAngle);
    text += ">> ";

    // A font record holds 256 widths, so the codes stay single bytes.
    const int first = std::clamp(m.firstChar, 0, 255);
    const int last = std::clamp(m.lastChar, 0, 255);
    text += "/FirstChar " + std::to_string(first) + " ";
    text += "/LastChar " + std::to_string(last) + " ";
    text += "/Widths [";
    for (int code = first; code <= last; ++code) {
        const auto width = static_cast<int64_t>(std::trunc(m.widths[code] * WidthScale));
        widths[code] = static_cast<double>(width);
        present[code] = 1;
        text += std::to_string(width) + " ";
    }
    text += "] ";
    return text;
}

}  // namespace folivo
