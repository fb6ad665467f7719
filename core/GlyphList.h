// Glyph names to the characters they stand for: the Adobe Glyph List and its naming rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace folivo {

struct GlyphListEntry {
    const char* name;
    const char* text;  // UTF-8
};
// Sorted by name (bytewise), for binary search.
extern const GlyphListEntry GlyphListEntries[];
extern const size_t GlyphListSize;

// The characters that glyph `name` (without its slash) stands for, as UTF-8: names of the list,
// "uniXXXX…" (groups of four hex digits), "uXXXX" to "uXXXXXX", a suffix after '.' ignored,
// ligatures of such names joined by '_'. Empty when the name tells nothing ("g123", "cid42").
// Ligature characters (U+FB00 to U+FB06) come out as their letters.
std::string GlyphNameText(std::string_view name);

// Appends a character as UTF-8; a ligature character becomes its letters ("ffi" for U+FB03),
// so that text set with ligatures reads and measures as its letters.
void AppendReadableCharacter(std::string& out, char32_t character);

// A Unicode scalar value that can be written: not a surrogate, not above U+10FFFF.
bool IsScalarValue(char32_t character);

}  // namespace folivo
