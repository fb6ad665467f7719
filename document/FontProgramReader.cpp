// Font dictionaries as the painter reads them: subtype, names and flags, the embedded program,
// the simple encoding and the CID-to-glyph map.
#include "document/FontProgramReader.h"

#include "core/CharsetTables.h"
#include "document/FontStyle.h"
#include "document/ObjectReader.h"
#include "model/DocumentModel.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/Names.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

FontSubtype SubtypeOfName(std::string_view name)
{
    if (name == "/Type1") return FontSubtype::Type1;
    if (name == "/MMType1") return FontSubtype::MMType1;
    if (name == "/TrueType") return FontSubtype::TrueType;
    if (name == "/Type3") return FontSubtype::Type3;
    if (name == "/Type0") return FontSubtype::Type0;
    return FontSubtype::Unknown;
}

std::optional<BaseEncoding> BaseEncodingOfName(std::string_view name)
{
    if (name == "/StandardEncoding") return BaseEncoding::Standard;
    if (name == "/MacRomanEncoding") return BaseEncoding::MacRoman;
    if (name == "/WinAnsiEncoding") return BaseEncoding::WinAnsi;
    if (name == "/MacExpertEncoding") return BaseEncoding::MacExpert;
    return std::nullopt;
}

bool IsName(std::string_view token) { return !token.empty() && token[0] == '/'; }

// A literal string token's text without its parentheses.
std::string StringText(std::string_view token)
{
    if (token.size() >= 2 && token.front() == '(' && token.back() == ')') return std::string(token.substr(1, token.size() - 2));
    return std::string(token);
}

void ReadSimpleEncoding(const ObjectReader& objects, const TokenList& font, FontProgramSource& source)
{
    const TokenList value = objects.ValueTokens(font, ValueIndex(font, 0, "/Encoding"));
    if (value.empty()) return;
    source.encodingGiven = true;
    TokenList differences;
    if (value.size() == 1) {
        source.baseEncoding = BaseEncodingOfName(value[0]).value_or(BaseEncoding::None);
    } else if (value[0] == "<<") {
        if (const size_t base = ValueIndex(value, 0, "/BaseEncoding"))
            source.baseEncoding = BaseEncodingOfName(value[base]).value_or(BaseEncoding::None);
        differences = InnerArray(objects.ValueTokens(value, ValueIndex(value, 0, "/Differences")), 0);
    }
    int64_t code = 0;
    for (const std::string& token : differences) {
        if (!token.empty() && token[0] == '/') {
            if (code >= 0 && code <= 255) source.differences[static_cast<size_t>(code)] = NameBytes(token);
            ++code;
        } else if (const auto number = IntegerText(token)) {
            code = *number;
        }
    }
}

// The descendant of a Type0 font: CID font kind, its name, the CID system and the glyph map.
TokenList ReadDescendant(const ObjectReader& objects, const TokenList& font, FontProgramSource& source)
{
    if (const size_t encoding = ValueIndex(font, 0, "/Encoding"); encoding && IsName(font[encoding]))
        source.encodingName = NameBytes(font[encoding]);
    const TokenList descendants = objects.ValueTokens(font, ValueIndex(font, 0, "/DescendantFonts"));
    if (descendants.size() < 2 || descendants[0] != "[") return {};
    const auto reference = ReferenceAt(descendants, 1);
    TokenList descendant = reference ? objects.ObjectTokens(*reference) : objects.ValueTokens(descendants, 1);
    if (descendant.empty() || descendant[0] != "<<") return {};

    if (const size_t subtype = ValueIndex(descendant, 0, "/Subtype")) {
        if (descendant[subtype] == "/CIDFontType0") source.cidKind = CidFontKind::CIDFontType0;
        if (descendant[subtype] == "/CIDFontType2") source.cidKind = CidFontKind::CIDFontType2;
    }
    if (const size_t base = ValueIndex(descendant, 0, "/BaseFont"); base && IsName(descendant[base]))
        source.baseFont = NameBytes(descendant[base]);
    const TokenList system = objects.ValueTokens(descendant, ValueIndex(descendant, 0, "/CIDSystemInfo"));
    if (!system.empty() && system[0] == "<<") {
        const size_t registry = ValueIndex(system, 0, "/Registry");
        const size_t ordering = ValueIndex(system, 0, "/Ordering");
        if (registry && ordering) source.cidOrdering = StringText(system[registry]) + "-" + StringText(system[ordering]);
    }
    if (const size_t map = ValueIndex(descendant, 0, "/CIDToGIDMap")) {
        if (const auto stream = ReferenceAt(descendant, map)) {
            // A map that cannot be read draws nothing rather than wrong glyphs.
            const auto bytes = objects.DecodedStream(*stream, MaxCidToGidBytes);
            source.cidToGidIdentity = false;
            if (bytes) source.cidToGidMap = *bytes;
        }
    }
    return descendant;
}

void ReadProgram(const ObjectReader& objects, const TokenList& descriptor, FontProgramSource& source)
{
    static const std::pair<const char*, FontProgramKind> keys[] = {
        {"/FontFile", FontProgramKind::Type1},
        {"/FontFile2", FontProgramKind::TrueType},
        {"/FontFile3", FontProgramKind::Type1C},
    };
    for (const auto& [key, kind] : keys) {
        const size_t at = ValueIndex(descriptor, 0, key);
        if (at == 0) continue;
        const auto number = ReferenceAt(descriptor, at);
        source.programUnreadable = true;
        if (!number) return;
        source.programKind = kind;
        if (kind == FontProgramKind::Type1C) {
            const auto stream = objects.Stream(*number);
            const TokenList* subtype = stream ? FindEntry(stream->entries, "/Subtype", 2) : nullptr;
            if (subtype && (*subtype)[1] == "/CIDFontType0C") source.programKind = FontProgramKind::CIDFontType0C;
            if (subtype && (*subtype)[1] == "/OpenType") source.programKind = FontProgramKind::OpenType;
        }
        // One byte over the bound tells a program cut at the bound from one that ends there.
        auto bytes = objects.DecodedStream(*number, MaxFontProgramBytes + 1);
        if (!bytes || bytes->empty() || bytes->size() > MaxFontProgramBytes) return;
        source.program = std::move(*bytes);
        source.programUnreadable = false;
        return;
    }
}

}  // namespace

uint32_t FontProgramSource::GlyphOfCid(uint32_t cid) const
{
    if (cidToGidIdentity) return cid;
    const size_t at = size_t{cid} * 2;
    if (cid > 0xFFFF || at + 1 >= cidToGidMap.size()) return 0;
    return (static_cast<uint32_t>(static_cast<uint8_t>(cidToGidMap[at])) << 8) | static_cast<uint8_t>(cidToGidMap[at + 1]);
}

std::string_view FontProgramSource::GlyphName(uint8_t code) const
{
    if (!differences[code].empty()) return differences[code];
    return GlyphNameInEncoding(baseEncoding, code);
}

std::string_view GlyphNameInEncoding(BaseEncoding encoding, uint8_t code)
{
    switch (encoding) {
    case BaseEncoding::Standard: return GlyphNameOfCode(code, StandardEncoding);
    case BaseEncoding::MacRoman: return GlyphNameOfCode(code, MacRomanEncoding);
    case BaseEncoding::WinAnsi: return GlyphNameOfCode(code, WinAnsiEncoding);
    default: return {};
    }
}

std::string_view WithoutSubsetTag(std::string_view name)
{
    if (!name.empty() && name[0] == '/') name.remove_prefix(1);
    if (name.size() > 7 && name[6] == '+') {
        bool tag = true;
        for (size_t i = 0; i < 6; ++i) tag = tag && name[i] >= 'A' && name[i] <= 'Z';
        if (tag) name.remove_prefix(7);
    }
    return name;
}

std::optional<FontProgramSource> ReadFontProgramSource(const ObjectReader& objects, int32_t fontObjectNumber)
{
    const TokenList font = objects.ObjectTokens(fontObjectNumber);
    if (font.empty() || font[0] != "<<") return std::nullopt;
    FontProgramSource source;
    source.objectNumber = fontObjectNumber;
    if (const size_t subtype = ValueIndex(font, 0, "/Subtype")) source.subtype = SubtypeOfName(font[subtype]);
    if (const size_t base = ValueIndex(font, 0, "/BaseFont"); base && IsName(font[base])) source.baseFont = NameBytes(font[base]);

    TokenList owner = font;
    if (source.Composite()) {
        owner = ReadDescendant(objects, font, source);
    } else if (source.subtype != FontSubtype::Type3) {
        ReadSimpleEncoding(objects, font, source);
    }
    const uint8_t nameStyle = StyleOfBaseFont(WithoutSubsetTag(source.baseFont));
    source.bold = (nameStyle & StyleBold) != 0;
    source.italic = (nameStyle & StyleItalic) != 0;
    if (owner.empty() || source.subtype == FontSubtype::Type3) return source;

    const TokenList descriptor = objects.ValueTokens(owner, ValueIndex(owner, 0, "/FontDescriptor"));
    if (descriptor.empty() || descriptor[0] != "<<") return source;
    if (const size_t flags = ValueIndex(descriptor, 0, "/Flags")) source.flags = static_cast<uint32_t>(IntegerOrZero(descriptor[flags]));
    if (const size_t weight = ValueIndex(descriptor, 0, "/FontWeight"); weight && IntegerOrZero(descriptor[weight]) >= 600)
        source.bold = true;
    source.bold = source.bold || (source.flags & FontFlagForceBold) != 0;
    source.italic = source.italic || (source.flags & FontFlagItalic) != 0;
    ReadProgram(objects, descriptor, source);
    return source;
}

}  // namespace folivo
