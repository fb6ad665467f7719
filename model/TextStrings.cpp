#include "model/TextStrings.h"

#include "core/PdfDocEncoding.h"
#include "core/Windows1252.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

std::string Utf16BeToUtf8(std::string_view bytes)
{
    std::string out;
    size_t i = 0;
    auto unitAt = [&](size_t at) {
        return static_cast<char32_t>((static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]));
    };
    while (i + 1 < bytes.size()) {
        char32_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size()) {
            const char32_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD there
    }
    return out;
}

}  // namespace

std::string StripParentheses(std::string_view text)
{
    if (text.size() > 1 && text.front() == '(') return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

std::string StringValueBytes(const TokenList& tokens, size_t index)
{
    if (index >= tokens.size()) return {};
    const std::string& first = tokens[index];
    if (!first.empty() && first[0] == '(') return StripParentheses(DecodeStringEscapes(first));
    if (first.size() >= 1 && first[0] == '<' && first != "<<") {
        std::string digits = first.substr(1);
        for (size_t i = index + 1; i < tokens.size() && tokens[i] != ">"; ++i) digits += tokens[i];
        return HexStringBytes(digits);
    }
    return first;
}

std::string PdfTextToUtf8(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return Utf16BeToUtf8(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::string out;
        for (char32_t c : Utf8ToCodePoints(bytes.substr(3))) AppendUtf8(out, c);
        return out;
    }
    return PdfDocToUtf8(bytes);
}

}  // namespace folivo
