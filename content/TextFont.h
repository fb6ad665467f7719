// What the interpreter needs of a font to show text: how its strings split into codes, which
// characters each code stands for and how far each advances.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/CMap.h"
#include "model/DocumentModel.h"

namespace folivo {

// Widths of a composite font's glyphs by CID (/W), with a default (/DW).
class CidWidths {
public:
    // The entries of a /W array as tokens (without its brackets): "c [w1 w2 …]" and
    // "first last w". At most CMap::MaxEntries glyphs are kept one by one.
    void Read(const std::vector<std::string>& tokens);
    double Of(uint32_t cid) const;
    double defaultWidth = 1000;

private:
    struct Range {
        uint32_t low, high;
        double width;
    };
    std::vector<Range> ranges_;  // sorted by low once read
};

struct TextFont {
    // The font dictionary's object; 0 for a font made from the font list or the display font.
    int32_t objectNumber = 0;
    // Without an object: the standard font that made appearances name ("Helvetica"); the
    // painter draws it with its substitute.
    std::string baseFont;
    bool isType3 = false;
    // Type0: codes of one to four bytes from the encoding CMap, widths by CID.
    bool composite = false;
    double boxHeight = 1;
    // Glyph space to text space: a Type3 font's /FontMatrix, 1 for every other font.
    double glyphScaleX = 1;
    double glyphScaleY = 1;
    // A Type3 font's whole /FontMatrix (turned, skewed or mirrored glyphs), for the drawing.
    std::array<double, 6> fontMatrix{1, 0, 0, 1, 0, 0};
    uint8_t style = 0;  // FontStyleBits

    // Simple fonts: widths from /FirstChar on, the characters of each code as UTF-8.
    uint32_t firstChar = 0;
    std::array<double, 256> widths{};
    std::array<uint8_t, 256> widthPresent{};
    std::array<std::string, 256> characters;

    // Composite fonts. No encoding map: two-byte codes that are their CIDs (Identity-H).
    std::shared_ptr<const CMap> encoding;
    // A predefined UCS-2 or UTF-16 encoding: the codes are the characters.
    bool unicodeCodes = false;
    std::shared_ptr<const CMap> toUnicode;
    CidWidths cidWidths;

    // One shown code: its characters (UTF-8) and its width in glyph space (thousandths of
    // text space; Type3: the font's own units), if the font gives one. The characters are
    // empty only where a /ToUnicode map says so (part of a ligature another code stands for).
    struct Code {
        std::string_view characters;  // the font's own text, or `text`
        // The byte of a simple font, the CID of a composite one: what selects the glyph.
        uint32_t glyphCode = 0;
        double width = 0;
        bool hasWidth = false;
        bool mapped = false;
        std::string text;  // characters made for this code alone
    };
    // Calls `visit(const Code&)` for every code of a shown string, in order.
    template <typename Visit>
    void ForEachCode(std::string_view bytes, Visit&& visit) const;

private:
    Code CompositeCode(std::string_view code) const;
};

// The characters of `code` read in one of the four single-byte encodings, as UTF-8: its
// Windows-1252 form where the encoding has one, else its glyph name's characters; a code no
// glyph has stays the Windows-1252 character of its value.
std::string CharactersOfCode(uint8_t code, int32_t encoding);

// The font the interpreter shows with before any font is selected: Windows-1252 bytes,
// measured with the display font.
std::shared_ptr<const TextFont> PlainTextFont();

// A font from its record in the font list: widths, differences and encoding as read there.
std::shared_ptr<const TextFont> TextFontOfRecord(const FontRecord& record);

template <typename Visit>
void TextFont::ForEachCode(std::string_view bytes, Visit&& visit) const
{
    if (!composite) {
        Code code;
        for (unsigned char byte : bytes) {
            code.characters = characters[byte];
            code.glyphCode = byte;
            const int64_t k = static_cast<int64_t>(byte) - firstChar;
            code.hasWidth = k >= 0 && k <= 255 && widthPresent[static_cast<size_t>(k)];
            code.width = code.hasWidth ? widths[static_cast<size_t>(k)] : 0;
            visit(code);
        }
        return;
    }
    while (!bytes.empty()) {
        const size_t length = encoding ? encoding->CodeLength(bytes) : std::min<size_t>(2, bytes.size());
        Code code = CompositeCode(bytes.substr(0, length));
        code.characters = code.text;
        visit(code);
        bytes.remove_prefix(length);
    }
}

}  // namespace folivo
