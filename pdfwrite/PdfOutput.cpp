#include "pdfwrite/PdfOutput.h"

#include <charconv>
#include <cmath>

namespace folivo {

std::string ZeroPad(std::string text, size_t width)
{
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

std::string PdfNumber(double value)
{
    if (!std::isfinite(value) || value == 0) return "0";
    char text[400];  // room for every finite double in fixed notation
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return std::string(text, result.ptr);
}

std::string EscapeLiteralString(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (unsigned char byte : text) {
        switch (byte) {
        case '\\': escaped += "\\\\"; break;
        case '(': escaped += "\\("; break;
        case ')': escaped += "\\)"; break;
        case 0x08: escaped += "\\b"; break;
        case 0x09: escaped += "\\t"; break;
        case 0x0A: escaped += "\\n"; break;
        case 0x0C: escaped += "\\f"; break;
        case 0x0D: escaped += "\\r"; break;
        default:
            if (byte >= 0x20) {
                escaped += static_cast<char>(byte);
            } else {
                escaped += '\\';
                escaped += static_cast<char>('0' + (byte >> 6));
                escaped += static_cast<char>('0' + ((byte >> 3) & 7));
                escaped += static_cast<char>('0' + (byte & 7));
            }
        }
    }
    return escaped;
}

}  // namespace folivo
