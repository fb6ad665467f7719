#include "core/PdfDocEncoding.h"

#include "core/Windows1252.h"

namespace folivo {

namespace {

// Code points of the bytes 0x18 ... 0x1F (spacing accents).
constexpr char32_t Accents[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};

// Code points of the bytes 0x80 ... 0xA0; the rest above is Latin-1.
constexpr char32_t Punctuation[33] = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
    0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
    0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0x009F, 0x20AC,
};

}  // namespace

char32_t UnicodeOfPdfDoc(uint8_t byte)
{
    if (byte >= 0x18 && byte <= 0x1F) return Accents[byte - 0x18];
    if (byte >= 0x80 && byte <= 0xA0) return Punctuation[byte - 0x80];
    return byte;
}

std::optional<uint8_t> PdfDocOfUnicode(char32_t codePoint)
{
    const bool sameValue = codePoint < 0x18 || (codePoint >= 0x20 && codePoint < 0x80) ||
                           (codePoint > 0xA0 && codePoint <= 0xFF);
    if (sameValue) return static_cast<uint8_t>(codePoint);
    for (int i = 0; i < 8; ++i) {
        if (Accents[i] == codePoint) return static_cast<uint8_t>(0x18 + i);
    }
    for (int i = 0; i < 33; ++i) {
        if (Punctuation[i] == codePoint) return static_cast<uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

std::string PdfDocToUtf8(std::string_view bytes) { return SingleByteToUtf8(bytes, UnicodeOfPdfDoc); }

std::optional<std::string> Utf8ToPdfDoc(std::string_view text) { return Utf8ToSingleByte(text, PdfDocOfUnicode); }

}  // namespace folivo
