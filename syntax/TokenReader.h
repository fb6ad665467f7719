// The lexical layer shared by the file reader and the content interpreter: byte, line and
// token reading over a FileBuffer, string escapes and numbers. Nothing here fails: reading
// past the end yields sentinel bytes, and every read stays inside the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "syntax/SyntaxTypes.h"

namespace folivo {

// The byte at the position, then the position advances. At or beyond the end: a carriage
// return at the end, then alternately a grave accent and a carriage return.
uint8_t ReadByte(FileBuffer& buffer);

// The token at the position; the position is left at the first byte of the next token. A name
// written with "#" escapes comes in its canonical form (syntax/Names.h).
std::string ReadToken(FileBuffer& buffer);
int32_t ReadTokenAsInteger(FileBuffer& buffer);

std::string ReadLine(FileBuffer& buffer);
int32_t ReadLineAsInteger(FileBuffer& buffer);
void SkipLine(FileBuffer& buffer);
void BackToPreviousLine(FileBuffer& buffer);
bool PreviousByteIsLineEnd(const FileBuffer& buffer);

// Resolves the escapes of a literal string's inner text.
std::string DecodeStringEscapes(std::string_view text);

// The bytes of a hexadecimal string's digits; characters that are not hex digits are skipped
// and an odd last digit counts as if followed by 0.
std::string HexStringBytes(std::string_view digits);

// A number written with "." as decimal point, whatever the locale; empty when the whole text
// is not a number.
std::optional<double> NumberText(std::string_view text);

// A whole number (32 bits); empty when the whole text is not one.
std::optional<int32_t> IntegerText(std::string_view text);
inline int32_t IntegerOrZero(std::string_view text) { return IntegerText(text).value_or(0); }

}  // namespace folivo
