#include "core/GlyphList.h"

#include <algorithm>
#include <cstring>

#include "core/HexDigits.h"
#include "core/Windows1252.h"

namespace folivo {

namespace {

// The value of hex digits, or -1 when one is not a hex digit (upper case only, as the naming
// rules ask; lower-case digits would make names like "uniface" characters).
int64_t UpperHexValue(std::string_view digits)
{
    int64_t value = 0;
    for (char c : digits) {
        if (c >= 'a' && c <= 'f') return -1;
        const int digit = HexDigitValue(c);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

const char* ListedText(std::string_view name)
{
    const GlyphListEntry* end = GlyphListEntries + GlyphListSize;
    const GlyphListEntry* found = std::lower_bound(GlyphListEntries, end, name, [](const GlyphListEntry& entry, std::string_view key) {
        return std::string_view(entry.name) < key;
    });
    if (found == end || std::string_view(found->name) != name) return nullptr;
    return found->text;
}

// One component of a name: a listed name, "uni" with groups of four digits, or "u" with four
// to six digits.
std::string ComponentText(std::string_view name)
{
    std::string text;
    if (const char* listed = ListedText(name)) {
        for (char32_t c : Utf8ToCodePoints(listed)) AppendReadableCharacter(text, c);
        return text;
    }
    if (name.size() >= 7 && name.substr(0, 3) == "uni" && (name.size() - 3) % 4 == 0) {
        for (size_t at = 3; at < name.size(); at += 4) {
            const int64_t value = UpperHexValue(name.substr(at, 4));
            if (value < 0 || !IsScalarValue(static_cast<char32_t>(value))) return {};
            AppendReadableCharacter(text, static_cast<char32_t>(value));
        }
        return text;
    }
    if (name.size() >= 5 && name.size() <= 7 && name[0] == 'u') {
        const int64_t value = UpperHexValue(name.substr(1));
        if (value >= 0 && IsScalarValue(static_cast<char32_t>(value)))
            AppendReadableCharacter(text, static_cast<char32_t>(value));
    }
    return text;
}

}  // namespace

bool IsScalarValue(char32_t character)
{
    return character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF);
}

void AppendReadableCharacter(std::string& out, char32_t character)
{
    static const char* const ligatures[] = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    if (character >= 0xFB00 && character <= 0xFB06) out += ligatures[character - 0xFB00];
    else AppendUtf8(out, character);
}

std::string GlyphNameText(std::string_view name)
{
    name = name.substr(0, name.find('.'));
    std::string text;
    while (!name.empty()) {
        const size_t join = name.find('_');
        text += ComponentText(name.substr(0, join));
        if (join == std::string_view::npos) break;
        name.remove_prefix(join + 1);
    }
    return text;
}

}  // namespace folivo
