// The one conversion between the platform's single-byte code page (Windows-1252) and Unicode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

// The Unicode code point of a Windows-1252 byte. The five unassigned bytes map to the C1
// control of the same value, so every byte survives a round trip.
char32_t UnicodeOfWindows1252(uint8_t byte);

// The Windows-1252 byte of a code point, if it has one.
std::optional<uint8_t> Windows1252OfUnicode(char32_t codePoint);

std::string Windows1252ToUtf8(std::string_view bytes);

// Empty when some character has no Windows-1252 form (or the text is not valid UTF-8).
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

void AppendUtf8(std::string& out, char32_t codePoint);

// The conversions of any single-byte code page, given its two lookups.
std::string SingleByteToUtf8(std::string_view bytes, char32_t (*unicodeOf)(uint8_t));
std::optional<std::string> Utf8ToSingleByte(std::string_view text, std::optional<uint8_t> (*byteOf)(char32_t));

// Decodes UTF-8 into code points; invalid sequences become U+FFFD.
std::u32string Utf8ToCodePoints(std::string_view text);

}  // namespace folivo
