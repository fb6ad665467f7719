// Glyph outlines for the page painter: each font's embedded program loaded with FreeType, or a
// substitute that fontconfig finds by the font's name, and the shown codes mapped to glyphs as
// PDF fonts map them.
//
//   FontPrograms fonts(document);               // one per painting thread; not thread-safe
//   if (const FontGlyphs* font = fonts.Font(fontObjectNumber)) {
//       QPainterPath glyph = font->Outline(code);  // text space: 1 unit = text size, y up
//       if (font->Problem()) memo(*font->Problem());  // once per font: the caller shows it
//   }
//
// `code` is what the text shows: a simple font's byte, or for a Type0 font the CID that its
// encoding CMap gave. Outlines are cached per font and code, all fonts together within
// OutlineCacheBytes, the least recently used dropped first. Type 3 glyphs are content streams
// that the interpreter draws: their outlines here are empty.
#pragma once

#include <QPainterPath>

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "document/FontProgramReader.h"

namespace folivo {

class ObjectReader;
class PdfDocument;
class FontPrograms;
struct FontFace;

// How a code's glyph was found: in which face, its index and its name where the face has names.
struct GlyphChoice {
    bool found = false;
    bool substitute = false;  // drawn by the substitute, not the embedded program
    uint32_t glyphIndex = 0;
    std::string glyphName;
};

class FontGlyphs {
public:
    ~FontGlyphs();
    FontGlyphs(const FontGlyphs&) = delete;
    FontGlyphs& operator=(const FontGlyphs&) = delete;

    // The glyph of a shown code, in text space; empty when neither the program nor the
    // substitute has one.
    QPainterPath Outline(uint32_t code) const;
    GlyphChoice Choose(uint32_t code) const;
    // The glyph's horizontal advance in text space, for fonts whose dictionary gives no width;
    // none when no face has the glyph.
    std::optional<double> Advance(uint32_t code) const;
    // The embedded program loaded and draws the glyphs it has.
    bool Embedded() const { return embedded_ != nullptr; }
    // Why an embedded program is not used, in German for the memo; none when all is well.
    const std::optional<std::string>& Problem() const { return problem_; }
    // The substitute's family ("Nimbus Sans"); empty until one is needed or when none is found.
    std::string SubstituteFamily() const;
    std::string SubstituteStyle() const;  // "Bold Italic"
    const FontProgramSource& Source() const { return source_; }

private:
    friend class FontPrograms;
    FontGlyphs(FontPrograms& owner, FontProgramSource source, uint64_t id);

    GlyphChoice ChooseIn(const FontFace& face, uint32_t code, bool substitute) const;
    const FontFace* Substitute() const;

    FontPrograms& owner_;
    FontProgramSource source_;
    uint64_t id_;
    std::unique_ptr<FontFace> embedded_;
    mutable const FontFace* substitute_ = nullptr;
    mutable bool substituteSought_ = false;
    std::optional<std::string> problem_;
};

class FontPrograms {
public:
    // Every outline of every font together, in bytes of path elements (roughly counted).
    static constexpr size_t OutlineCacheBytes = size_t{64} << 20;
    // Embedded programs held at once; fonts past this draw with substitutes.
    static constexpr size_t ProgramBytesLimit = size_t{256} << 20;

    explicit FontPrograms(const PdfDocument& document);
    // Without a document: only fonts given through Add.
    explicit FontPrograms(const ObjectReader* objects = nullptr);
    ~FontPrograms();
    FontPrograms(const FontPrograms&) = delete;
    FontPrograms& operator=(const FontPrograms&) = delete;

    // The font dictionary object's glyphs, loaded once; null when it is no font dictionary.
    const FontGlyphs* Font(int32_t fontObjectNumber);
    // A font read elsewhere (tests, the fuzz target); lives as long as this object.
    const FontGlyphs* Add(FontProgramSource source);
    // One of the standard fonts by its name ("Helvetica", "ZapfDingbats"), drawn by its
    // substitute; made once.
    const FontGlyphs* Standard(const std::string& baseFont);

    size_t CachedOutlineBytes() const { return cachedBytes_; }
    size_t CachedOutlines() const { return lru_.size(); }

private:
    friend class FontGlyphs;
    struct CacheEntry {
        uint64_t key;
        QPainterPath path;
        size_t bytes;
    };

    std::unique_ptr<FontGlyphs> Load(FontProgramSource source);
    // A face of the file fontconfig chose, opened once for all fonts that use it.
    const FontFace* SubstituteFace(const FontProgramSource& source);
    const QPainterPath* Cached(uint64_t key);
    void Store(uint64_t key, QPainterPath path);

    const ObjectReader* objects_;
    std::map<std::string, const FontGlyphs*> standard_;
    struct Library;
    std::unique_ptr<Library> library_;  // first in, last out: faces need it
    std::map<std::string, std::unique_ptr<FontFace>> substitutes_;
    std::unordered_map<int32_t, std::unique_ptr<FontGlyphs>> fonts_;
    std::list<std::unique_ptr<FontGlyphs>> added_;
    uint64_t nextId_ = 1;
    size_t programBytes_ = 0;

    std::list<CacheEntry> lru_;  // most recently used first
    std::unordered_map<uint64_t, std::list<CacheEntry>::iterator> cache_;
    size_t cachedBytes_ = 0;
};

}  // namespace folivo
