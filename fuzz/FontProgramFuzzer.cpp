// Loads arbitrary bytes as an embedded font program of each kind and outlines the glyphs that
// codes, glyph names and CIDs choose, as the page painter will.
// Input: a kind byte, a flags byte, then the program.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FontProgramReader.h"
#include "view/FontPrograms.h"

// fontconfig loses 288 bytes once per process on FcInit alone (2.14); it is not ours to fix.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace folivo;
    if (size < 2) return 0;
    FontProgramSource source;
    static const FontProgramKind kinds[] = {FontProgramKind::Type1, FontProgramKind::TrueType, FontProgramKind::Type1C,
                                            FontProgramKind::CIDFontType0C, FontProgramKind::OpenType};
    source.programKind = kinds[(data[0] & 0x0F) % 5];
    const bool composite = (data[0] & 0x10) != 0;
    source.subtype = composite ? FontSubtype::Type0 : source.programKind == FontProgramKind::TrueType ? FontSubtype::TrueType : FontSubtype::Type1;
    if (composite) source.cidKind = (data[0] & 0x20) ? CidFontKind::CIDFontType2 : CidFontKind::CIDFontType0;
    // The flags byte: symbolic, nonsymbolic, and a base encoding.
    source.flags = (data[1] & 1 ? FontFlagSymbolic : 0) | (data[1] & 2 ? FontFlagNonsymbolic : 0);
    source.baseEncoding = static_cast<BaseEncoding>((data[1] >> 2) % 5);
    source.encodingGiven = (data[1] & 0x20) != 0;
    if (data[1] & 0x40) {
        // A CID-to-glyph map from the program's first bytes, cut at an odd length.
        source.cidToGidIdentity = false;
        source.cidToGidMap.assign(reinterpret_cast<const char*>(data + 2), std::min<size_t>(size - 2, 33));
    }
    static const char* const names[] = {"A", "a4", "uni0041", "g12", ".notdef", "fi", "f_f_i", "u1F600", "alpha", ""};
    for (size_t i = 0; i < 10; ++i) source.differences[60 + i] = names[i];
    source.program.assign(reinterpret_cast<const char*>(data + 2), size - 2);

    FontPrograms fonts;
    const FontGlyphs* font = fonts.Add(std::move(source));
    for (const uint32_t code : {0u, 1u, 3u, 32u, 60u, 61u, 62u, 63u, 64u, 65u, 66u, 67u, 68u, 69u, 97u, 200u, 255u, 256u, 65535u, 0xFFFFFFFFu}) {
        const QPainterPath path = font->Outline(code);
        (void)path.boundingRect();
    }
    (void)font->Problem();
    return 0;
}
