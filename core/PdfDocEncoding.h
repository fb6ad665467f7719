// PDFDocEncoding, the single-byte form of PDF text strings (information texts), and Unicode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

// The code point of a PDFDocEncoding byte. The bytes the encoding leaves unassigned (0x7F,
// 0x9F, 0xAD and the controls) map to the code point of the same value, so every byte
// survives a round trip.
char32_t UnicodeOfPdfDoc(uint8_t byte);

// The PDFDocEncoding byte of a code point, if it has one.
std::optional<uint8_t> PdfDocOfUnicode(char32_t codePoint);

std::string PdfDocToUtf8(std::string_view bytes);

// Empty when some character has no PDFDocEncoding form (or the text is not valid UTF-8).
std::optional<std::string> Utf8ToPdfDoc(std::string_view text);

}  // namespace folivo
