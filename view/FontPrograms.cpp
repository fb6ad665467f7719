// Font programs through FreeType, substitutes through fontconfig, glyphs chosen as PDF fonts
// choose them: names for Type 1 and CFF programs, character maps for TrueType, the CID-to-glyph
// map for composite fonts.
#include "view/FontPrograms.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H
#include FT_FONT_FORMATS_H
#include FT_OUTLINE_H

#include <array>
#include <cstring>
#include <string_view>

#include "core/CharsetTables.h"
#include "core/GlyphList.h"
#include "document/ObjectReader.h"
#include "document/PdfDocument.h"

namespace folivo {

struct FontFace {
    FT_Face face = nullptr;
    std::string bytes;     // a memory face reads these for its whole life
    bool symbolSet = false;  // a substitute for Symbol or ZapfDingbats: its own encoding counts
    FontFace() = default;
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace()
    {
        if (face) FT_Done_Face(face);
    }
};

struct FontPrograms::Library {
    FT_Library library = nullptr;
    Library()
    {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Library()
    {
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

// The standard 14 and the common Windows names, by the start of the name without blanks; the
// longer names first where one starts with another.
struct Alias {
    std::string_view prefix;
    const char* family;
    bool symbolSet;
};
constexpr Alias Aliases[] = {
    {"TimesNewRoman", "Liberation Serif", false}, {"Times", "Nimbus Roman", false},
    {"CourierNew", "Liberation Mono", false},     {"Courier", "Nimbus Mono PS", false},
    {"Arial", "Liberation Sans", false},          {"Helvetica", "Nimbus Sans", false},
    {"Symbol", "Standard Symbols PS", true},      {"ZapfDingbats", "D050000L", true},
    {"Dingbats", "D050000L", true},
};

struct SubstituteRequest {
    std::string family;
    const char* generic = nullptr;
    bool symbolSet = false;
};

SubstituteRequest RequestFor(const FontProgramSource& source)
{
    std::string compact;
    for (char c : WithoutSubsetTag(source.baseFont))
        if (c != ' ') compact += c;
    for (const Alias& alias : Aliases) {
        if (compact.starts_with(alias.prefix)) return {alias.family, nullptr, alias.symbolSet};
    }
    SubstituteRequest request;
    // "Garamond-Bold" or "Garamond,Bold": the family is what comes before the style.
    request.family = compact.substr(0, compact.find_first_of("-,"));
    request.generic = (source.flags & FontFlagFixedPitch) ? "monospace" : (source.flags & FontFlagSerif) ? "serif" : "sans-serif";
    return request;
}

// The file and face index fontconfig gives for the request; it always offers some outline font
// when any is installed.
std::optional<std::pair<std::string, int>> MatchFile(const SubstituteRequest& request, bool bold, bool italic)
{
    static const bool ready = FcInit() == FcTrue;
    if (!ready) return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return std::nullopt;
    if (!request.family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
    if (request.generic) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.generic));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return std::nullopt;
    std::optional<std::pair<std::string, int>> found;
    FcChar8* file = nullptr;
    int index = 0;
    FcBool outline = FcFalse;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file &&
        FcPatternGetBool(match, FC_OUTLINE, 0, &outline) == FcResultMatch && outline) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        found.emplace(reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(match);
    return found;
}

// The first character of UTF-8 text that is one character; none for more (a ligature's
// letters) or for nothing.
std::optional<char32_t> SingleCharacter(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    const auto byte = static_cast<unsigned char>(text[0]);
    const size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    if (text.size() != length) return std::nullopt;
    char32_t value = length == 1 ? byte : byte & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    return value;
}

FT_CharMap FindCharmap(FT_Face face, int platform, int encoding)
{
    for (int i = 0; i < face->num_charmaps; ++i) {
        FT_CharMap map = face->charmaps[i];
        if (map->platform_id == platform && map->encoding_id == encoding) return map;
    }
    return nullptr;
}

// The program's own encoding: a Type 1 or CFF encoding vector, else a symbol character map.
FT_CharMap BuiltInCharmap(FT_Face face)
{
    for (FT_Encoding wanted : {FT_ENCODING_ADOBE_CUSTOM, FT_ENCODING_ADOBE_STANDARD, FT_ENCODING_ADOBE_EXPERT,
                               FT_ENCODING_ADOBE_LATIN_1, FT_ENCODING_MS_SYMBOL}) {
        for (int i = 0; i < face->num_charmaps; ++i) {
            if (face->charmaps[i]->encoding == wanted) return face->charmaps[i];
        }
    }
    return nullptr;
}

FT_UInt IndexIn(FT_Face face, FT_CharMap map, FT_ULong character)
{
    if (!map || FT_Set_Charmap(face, map) != 0) return 0;
    return FT_Get_Char_Index(face, character);
}

FT_UInt IndexOfName(FT_Face face, const std::string& name)
{
    if (name.empty() || !FT_HAS_GLYPH_NAMES(face)) return 0;
    return FT_Get_Name_Index(face, name.c_str());
}

FT_UInt IndexOfUnicodeName(FT_Face face, const std::string& name)
{
    const auto character = SingleCharacter(GlyphNameText(name));
    if (!character) return 0;
    FT_CharMap unicode = FindCharmap(face, 3, 1);
    if (!unicode) unicode = FindCharmap(face, 0, 3);
    return IndexIn(face, unicode, *character);
}

// The code of the glyph name in the Mac Roman encoding, for a (1,0) character map.
std::optional<uint8_t> MacRomanCode(const std::string& name)
{
    const auto row = FindByName(name);
    if (!row) return std::nullopt;
    const uint8_t code = CharsetCode(row->index, MacRomanEncoding);
    if (code == 0) return std::nullopt;
    return code;
}

// A TrueType program's glyph: by the name's character through (3,1) unless the font is
// symbolic and has a (3,0) map, else the code through (3,0) (its common offsets into the
// private area), (1,0) and the post table's names.
FT_UInt TrueTypeGlyph(FT_Face face, uint8_t code, const std::string& name, bool symbolic)
{
    FT_CharMap windowsUnicode = FindCharmap(face, 3, 1);
    FT_CharMap windowsSymbol = FindCharmap(face, 3, 0);
    FT_CharMap mac = FindCharmap(face, 1, 0);
    if (windowsUnicode && (!symbolic || !windowsSymbol) && !name.empty()) {
        if (const FT_UInt glyph = IndexOfUnicodeName(face, name)) return glyph;
    }
    if (windowsSymbol) {
        for (FT_ULong base : {0xF000u, 0xF100u, 0xF200u, 0u}) {
            if (const FT_UInt glyph = IndexIn(face, windowsSymbol, base + code)) return glyph;
        }
    }
    if (mac) {
        const auto macCode = name.empty() ? std::optional<uint8_t>(code) : MacRomanCode(name);
        if (const FT_UInt glyph = macCode ? IndexIn(face, mac, *macCode) : 0) return glyph;
    }
    if (const FT_UInt glyph = IndexOfName(face, name)) return glyph;
    if (windowsUnicode && name.empty()) return IndexIn(face, windowsUnicode, code);
    // A program without character maps: the code is the glyph.
    if (face->num_charmaps == 0) return code;
    return 0;
}

// A Type 1 or CFF program's glyph: by name, by the name's character, else by its own encoding.
// Symbol fonts as OpenType keep that encoding in their character maps, directly or in the
// private area, so those are asked too.
FT_UInt NamedGlyph(FT_Face face, uint8_t code, const std::string& name)
{
    if (const FT_UInt glyph = IndexOfName(face, name)) return glyph;
    if (const FT_UInt glyph = IndexOfUnicodeName(face, name)) return glyph;
    if (!name.empty()) return 0;
    if (const FT_UInt glyph = IndexIn(face, BuiltInCharmap(face), code)) return glyph;
    for (int i = 0; i < face->num_charmaps; ++i) {
        for (FT_ULong base : {0u, 0xF000u}) {
            if (const FT_UInt glyph = IndexIn(face, face->charmaps[i], base + code)) return glyph;
        }
    }
    return 0;
}

bool IsTrueTypeOutline(FT_Face face)
{
    const char* format = FT_Get_Font_Format(face);
    return format && std::strcmp(format, "TrueType") == 0;
}

struct OutlineSink {
    QPainterPath path;
    double scale = 0.001;
    bool open = false;
    QPointF At(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

int MoveTo(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    if (sink->open) sink->path.closeSubpath();
    sink->path.moveTo(sink->At(to));
    sink->open = true;
    return 0;
}
int LineTo(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->path.lineTo(sink->At(to));
    return 0;
}
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->path.quadTo(sink->At(control), sink->At(to));
    return 0;
}
int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->path.cubicTo(sink->At(control1), sink->At(control2), sink->At(to));
    return 0;
}

// The glyph's outline in units of the em, y up; empty when it does not load.
QPainterPath GlyphOutline(FT_Face face, uint32_t glyph)
{
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return {};
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return {};
    OutlineSink sink;
    sink.scale = 1.0 / (face->units_per_EM > 0 ? face->units_per_EM : 1000);
    sink.path.setFillRule(Qt::WindingFill);
    static const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink) != 0) return {};
    if (sink.open) sink.path.closeSubpath();
    return sink.path;
}

std::string FontLabel(const FontProgramSource& source)
{
    const std::string_view name = WithoutSubsetTag(source.baseFont);
    if (!name.empty()) return std::string(name);
    return "(Objekt " + std::to_string(source.objectNumber) + ")";
}

}  // namespace

FontGlyphs::FontGlyphs(FontPrograms& owner, FontProgramSource source, uint64_t id)
    : owner_(owner), source_(std::move(source)), id_(id)
{
}

FontGlyphs::~FontGlyphs() = default;

std::string FontGlyphs::SubstituteFamily() const
{
    if (!substitute_ || !substitute_->face->family_name) return {};
    return substitute_->face->family_name;
}

std::string FontGlyphs::SubstituteStyle() const
{
    if (!substitute_ || !substitute_->face->style_name) return {};
    return substitute_->face->style_name;
}

const FontFace* FontGlyphs::Substitute() const
{
    if (!substituteSought_) {
        substituteSought_ = true;
        substitute_ = owner_.SubstituteFace(source_);
    }
    return substitute_;
}

GlyphChoice FontGlyphs::ChooseIn(const FontFace& font, uint32_t code, bool substitute) const
{
    FT_Face face = font.face;
    GlyphChoice choice;
    choice.substitute = substitute;
    FT_UInt glyph = 0;
    if (source_.Composite()) {
        // Substitutes know no CIDs: drawing one needs the character collection's tables.
        if (substitute) return choice;
        if (source_.cidKind == CidFontKind::CIDFontType2 || IsTrueTypeOutline(face)) {
            glyph = source_.GlyphOfCid(code);
        } else {
            // A CID-keyed CFF program takes the CID where the glyph index goes: FreeType looks
            // it up in the charset. Other programs have their glyphs in CID order.
            FT_Bool cidKeyed = 0;
            glyph = code;
            if ((FT_Get_CID_Is_Internally_CID_Keyed(face, &cidKeyed) == 0 && cidKeyed)) {
                choice.found = glyph != 0;
                choice.glyphIndex = glyph;
                return choice;
            }
        }
    } else if (code <= 255 && source_.subtype != FontSubtype::Type3) {
        const auto byte = static_cast<uint8_t>(code);
        std::string name(source_.GlyphName(byte));
        const bool ownEncoding = !substitute || font.symbolSet;
        if (name.empty() && (!ownEncoding || IsTrueTypeOutline(face)) && !source_.Symbolic())
            name = GlyphNameInEncoding(BaseEncoding::Standard, byte);
        if (IsTrueTypeOutline(face)) {
            glyph = TrueTypeGlyph(face, byte, name, source_.Symbolic() && !substitute);
        } else if (!name.empty() || ownEncoding) {
            glyph = NamedGlyph(face, byte, name);
        }
        if (glyph == 0 && name.empty() && !ownEncoding) glyph = IndexOfName(face, std::string(GlyphNameInEncoding(BaseEncoding::Standard, byte)));
    }
    if (glyph == 0 || glyph >= static_cast<FT_UInt>(face->num_glyphs)) return choice;
    choice.found = true;
    choice.glyphIndex = glyph;
    if (FT_HAS_GLYPH_NAMES(face)) {
        char buffer[128] = {};
        if (FT_Get_Glyph_Name(face, glyph, buffer, sizeof buffer) == 0) choice.glyphName = buffer;
    }
    return choice;
}

GlyphChoice FontGlyphs::Choose(uint32_t code) const
{
    if (embedded_) {
        GlyphChoice choice = ChooseIn(*embedded_, code, false);
        if (choice.found) return choice;
    }
    if (const FontFace* substitute = Substitute()) return ChooseIn(*substitute, code, true);
    return {};
}

QPainterPath FontGlyphs::Outline(uint32_t code) const
{
    const uint64_t key = (id_ << 32) | code;
    if (const QPainterPath* cached = owner_.Cached(key)) return *cached;
    QPainterPath path;
    const GlyphChoice choice = Choose(code);
    if (choice.found) path = GlyphOutline(choice.substitute ? substitute_->face : embedded_->face, choice.glyphIndex);
    owner_.Store(key, path);
    return path;
}

std::optional<double> FontGlyphs::Advance(uint32_t code) const
{
    const GlyphChoice choice = Choose(code);
    if (!choice.found) return std::nullopt;
    FT_Face face = choice.substitute ? substitute_->face : embedded_->face;
    if (!face || face->units_per_EM == 0 || FT_Load_Glyph(face, choice.glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return std::nullopt;
    return static_cast<double>(face->glyph->metrics.horiAdvance) / face->units_per_EM;
}

FontPrograms::FontPrograms(const PdfDocument& document) : FontPrograms(&document.objects) {}

FontPrograms::FontPrograms(const ObjectReader* objects) : objects_(objects), library_(std::make_unique<Library>()) {}

FontPrograms::~FontPrograms() = default;

const FontGlyphs* FontPrograms::Font(int32_t fontObjectNumber)
{
    if (const auto known = fonts_.find(fontObjectNumber); known != fonts_.end()) return known->second.get();
    if (!objects_) return nullptr;
    auto source = ReadFontProgramSource(*objects_, fontObjectNumber);
    std::unique_ptr<FontGlyphs> font = source ? Load(std::move(*source)) : nullptr;
    return fonts_.emplace(fontObjectNumber, std::move(font)).first->second.get();
}

const FontGlyphs* FontPrograms::Add(FontProgramSource source)
{
    added_.push_back(Load(std::move(source)));
    return added_.back().get();
}

const FontGlyphs* FontPrograms::Standard(const std::string& baseFont)
{
    const FontGlyphs*& known = standard_[baseFont];
    if (!known) {
        FontProgramSource source;
        source.subtype = FontSubtype::Type1;
        source.baseFont = baseFont;
        // The symbol sets keep their own encodings; the text faces read WinAnsi codes.
        const bool symbols = baseFont == "ZapfDingbats" || baseFont == "Symbol";
        source.baseEncoding = symbols ? BaseEncoding::None : BaseEncoding::WinAnsi;
        source.encodingGiven = !symbols;
        known = Add(std::move(source));
    }
    return known;
}

std::unique_ptr<FontGlyphs> FontPrograms::Load(FontProgramSource source)
{
    std::unique_ptr<FontGlyphs> font(new FontGlyphs(*this, std::move(source), nextId_++));
    FontProgramSource& s = font->source_;
    if (s.subtype == FontSubtype::Type3) return font;
    const bool named = s.programUnreadable || !s.program.empty();
    if (!named) return font;

    bool tooMuch = programBytes_ + s.program.size() > ProgramBytesLimit;
    if (!s.program.empty() && !tooMuch && library_->library) {
        auto face = std::make_unique<FontFace>();
        face->bytes = std::move(s.program);
        s.program.clear();
        const auto* data = reinterpret_cast<const FT_Byte*>(face->bytes.data());
        if (FT_New_Memory_Face(library_->library, data, static_cast<FT_Long>(face->bytes.size()), 0, &face->face) == 0) {
            if (FT_IS_SCALABLE(face->face) && face->face->num_glyphs > 0) {
                programBytes_ += face->bytes.size();
                font->embedded_ = std::move(face);
                return font;
            }
        } else {
            face->face = nullptr;
        }
    }
    s.program.clear();
    const FontFace* substitute = font->Substitute();
    const std::string label = FontLabel(s);
    std::string text = tooMuch ? "Schrift " + label + " wird nicht geladen: die eingebetteten Schriften des Dokuments sind zusammen zu groß"
                               : "Schrift " + label + " konnte nicht geladen werden";
    text += substitute ? "; sie wird durch " + font->SubstituteFamily() + " ersetzt." : "; es gibt keinen Ersatz, ihre Zeichen fehlen.";
    font->problem_ = std::move(text);
    return font;
}

const FontFace* FontPrograms::SubstituteFace(const FontProgramSource& source)
{
    if (!library_->library) return nullptr;
    const SubstituteRequest request = RequestFor(source);
    const auto file = MatchFile(request, source.bold, source.italic);
    if (!file) return nullptr;
    const std::string key = file->first + "#" + std::to_string(file->second) + (request.symbolSet ? "#symbols" : "");
    if (const auto known = substitutes_.find(key); known != substitutes_.end()) return known->second.get();
    auto face = std::make_unique<FontFace>();
    if (FT_New_Face(library_->library, file->first.c_str(), file->second, &face->face) != 0) {
        face->face = nullptr;
        face.reset();
    } else {
        face->symbolSet = request.symbolSet;
    }
    return substitutes_.emplace(key, std::move(face)).first->second.get();
}

const QPainterPath* FontPrograms::Cached(uint64_t key)
{
    const auto found = cache_.find(key);
    if (found == cache_.end()) return nullptr;
    lru_.splice(lru_.begin(), lru_, found->second);
    return &found->second->path;
}

void FontPrograms::Store(uint64_t key, QPainterPath path)
{
    // An element is two coordinates and a type; the path's own bookkeeping is about as much
    // again as a few elements.
    const size_t bytes = 64 + static_cast<size_t>(path.elementCount()) * sizeof(QPainterPath::Element);
    lru_.push_front(CacheEntry{key, std::move(path), bytes});
    cache_[key] = lru_.begin();
    cachedBytes_ += bytes;
    while (cachedBytes_ > OutlineCacheBytes && lru_.size() > 1) {
        cachedBytes_ -= lru_.back().bytes;
        cache_.erase(lru_.back().key);
        lru_.pop_back();
    }
}

}  // namespace folivo
