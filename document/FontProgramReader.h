// What a painter needs to draw a font's glyphs: the embedded font program, how shown codes
// select glyphs (encoding and differences, the CIDToGIDMap), and the name and descriptor flags
// that choose a substitute. Plain data read through the object reader; loading the program and
// choosing glyph indices happen in the view, where FreeType lives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

class ObjectReader;

enum class FontSubtype : uint8_t { Unknown, Type1, MMType1, TrueType, Type3, Type0 };
// The descendant of a Type0 font.
enum class CidFontKind : uint8_t { None, CIDFontType0, CIDFontType2 };
// Which stream holds the program: /FontFile (Type 1), /FontFile2 (TrueType), /FontFile3 with
// its /Subtype (Type1C, CIDFontType0C, OpenType).
enum class FontProgramKind : uint8_t { None, Type1, TrueType, Type1C, CIDFontType0C, OpenType };
// A simple font's base encoding; None when the font names none (its program's own encoding,
// or the standard encoding for a font drawn by a substitute).
enum class BaseEncoding : uint8_t { None, Standard, MacRoman, WinAnsi, MacExpert };

// The descriptor's /Flags bits that glyph choice and substitution look at.
inline constexpr uint32_t FontFlagFixedPitch = 1u << 0;
inline constexpr uint32_t FontFlagSerif = 1u << 1;
inline constexpr uint32_t FontFlagSymbolic = 1u << 2;
inline constexpr uint32_t FontFlagNonsymbolic = 1u << 5;
inline constexpr uint32_t FontFlagItalic = 1u << 6;
inline constexpr uint32_t FontFlagForceBold = 1u << 18;

// Real font programs, even large CJK ones, stay under about 20 MB; FreeType keeps the bytes for
// the face's life, so one hostile stream must not hold more than this per font.
inline constexpr size_t MaxFontProgramBytes = size_t{32} << 20;
// Two bytes per CID for every CID a font can have.
inline constexpr size_t MaxCidToGidBytes = size_t{2} << 16;

struct FontProgramSource {
    int32_t objectNumber = 0;
    FontSubtype subtype = FontSubtype::Unknown;
    CidFontKind cidKind = CidFontKind::None;
    // Without its slash; a Type0 font's is its descendant's when that has one.
    std::string baseFont;
    uint32_t flags = 0;
    bool bold = false;    // force-bold flag, /FontWeight 600 or more, or the name says so
    bool italic = false;  // italic flag or the name says so

    FontProgramKind programKind = FontProgramKind::None;
    // Decoded program bytes; empty when the font embeds none or it could not be read.
    std::string program;
    // The descriptor names a program that could not be read (damaged, too large, no stream).
    bool programUnreadable = false;

    // Simple fonts: the base encoding, whether /Encoding was given at all, and the glyph names
    // of /Differences by code (empty where the differences say nothing).
    BaseEncoding baseEncoding = BaseEncoding::None;
    bool encodingGiven = false;
    std::array<std::string, 256> differences;

    // Composite fonts. Codes become CIDs through the encoding CMap, which the interpreter reads
    // for its TextFont (PdfDocument::ReadCMap); the painter passes CIDs. Kept here: the
    // encoding's name ("Identity-H"; empty for an embedded CMap stream) and the CID system.
    std::string encodingName;
    std::string cidOrdering;  // "Adobe-Japan1"
    bool cidToGidIdentity = true;
    std::string cidToGidMap;  // two bytes (big-endian) per CID when a stream maps them

    bool Symbolic() const { return (flags & FontFlagSymbolic) != 0 && (flags & FontFlagNonsymbolic) == 0; }
    bool Composite() const { return subtype == FontSubtype::Type0; }
    // The glyph index a CIDFontType2 font draws for the CID (0: none).
    uint32_t GlyphOfCid(uint32_t cid) const;
    // The glyph name a simple font's code stands for: its difference, else its base encoding's
    // name; empty when neither says one.
    std::string_view GlyphName(uint8_t code) const;
};

// The font dictionary object `fontObjectNumber` as the painter needs it; none when the object is
// no dictionary. Damage inside (a missing descriptor, an unreadable program) leaves the fields
// at their defaults, so that a substitute draws the font.
std::optional<FontProgramSource> ReadFontProgramSource(const ObjectReader& objects, int32_t fontObjectNumber);

// The glyph name of `code` in a base encoding; empty for None, MacExpert and unused codes.
std::string_view GlyphNameInEncoding(BaseEncoding encoding, uint8_t code);

// A base font name without its slash and without a subset tag ("ABCDEF+").
std::string_view WithoutSubsetTag(std::string_view name);

}  // namespace folivo
