// The value of one hexadecimal digit, as PDF strings, glyph names and content write them.
#pragma once

namespace folivo {

// 0 to 15, or -1 for a character that is no hex digit (either case).
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace folivo
