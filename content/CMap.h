// Character maps of fonts: how a shown string splits into codes (codespace ranges), which
// glyph (CID) each code selects, and which characters it stands for (a /ToUnicode map).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ResourceLimits.h"

namespace folivo {

class CMap {
public:
    // A map made of a CMap's text. Only the sections that define codes are read; whatever
    // else the program says is skipped. Huge ranges stay ranges; explicit entries stop at
    // MaxEntries (or maxEntries when fewer), so no text makes the map large.
    static CMap Parse(std::string_view text, size_t maxEntries = MaxEntries);

    static constexpr size_t MaxEntries = CMapEntryLimit;
    // The explicit entries and ranges the map holds, and whether the bound left some out.
    size_t Entries() const { return entries_; }
    bool Truncated() const { return truncated_; }

    bool HasCodeSpace() const { return !codeSpace_.empty(); }
    // The length (1 to 4) of the code at the start of `bytes`, which must not be empty: the
    // codespace range it falls in, else the shortest length of the codespace (2 without one).
    size_t CodeLength(std::string_view bytes) const;

    // The glyph a code selects; 0 (the missing glyph) when the map has none for it.
    uint32_t Cid(uint32_t code) const;
    bool HasCids() const { return !cids_.empty() || !cidRanges_.empty(); }

    // The characters a code stands for, as UTF-8; none when the map has none for it. An empty
    // text is a mapping too: the glyph is part of characters that another glyph stands for.
    std::optional<std::string> Text(uint32_t code) const;
    bool HasText() const { return !texts_.empty() || !textRanges_.empty(); }

private:
    struct CodeSpaceRange {
        uint8_t length;
        uint8_t low[4];
        uint8_t high[4];
    };
    struct CidRange {
        uint32_t low, high, cid;
    };
    // Codes low ... high give first with its last UTF-16 unit raised by code - low.
    struct TextRange {
        uint32_t low, high;
        std::u16string first;
    };

    void AddText(uint32_t code, std::u16string units);
    void Sort();

    std::vector<CodeSpaceRange> codeSpace_;
    std::unordered_map<uint32_t, uint32_t> cids_;
    std::vector<CidRange> cidRanges_;
    std::unordered_map<uint32_t, std::u16string> texts_;
    std::vector<TextRange> textRanges_;
    size_t entries_ = 0;
    size_t limit_ = MaxEntries;
    bool truncated_ = false;
    // Counts one more entry; false (and marks the map truncated) when the bound is reached.
    bool Admit();
};

// UTF-16 units (big-endian pairs of a hex string's bytes; a lone byte is one unit) as UTF-8,
// ligature characters as their letters; unpaired surrogates become U+FFFD.
std::string Utf16ToReadableUtf8(std::u16string_view units);

}  // namespace folivo
