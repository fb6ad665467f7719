#include "content/CMap.h"

#include <algorithm>
#include <optional>

#include "core/GlyphList.h"
#include "core/Windows1252.h"
#include "model/TextStrings.h"
#include "syntax/Names.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

struct Token {
    enum Kind { Hex, Number, Name, Keyword, ArrayOpen, ArrayClose, Other, End } kind = End;
    std::string_view text;  // hex strings: the digits; names: without the slash
};

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }

// The tokens of a CMap's PostScript text; strings, comments and dictionaries are stepped over.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next()
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (IsSpace(c)) {
                ++at_;
            } else if (c == '%') {
                while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != '\r') ++at_;
            } else if (c == '(') {
                SkipString();
                return {Token::Other, {}};
            } else if (c == '<' && at_ + 1 < text_.size() && text_[at_ + 1] == '<') {
                at_ += 2;
                return {Token::Other, {}};
            } else if (c == '<') {
                const size_t start = ++at_;
                while (at_ < text_.size() && text_[at_] != '>') ++at_;
                const std::string_view digits = text_.substr(start, at_ - start);
                if (at_ < text_.size()) ++at_;
                return {Token::Hex, digits};
            } else if (c == '[' || c == ']') {
                ++at_;
                return {c == '[' ? Token::ArrayOpen : Token::ArrayClose, {}};
            } else if (IsDelimiter(c) && c != '/') {
                ++at_;
                return {Token::Other, {}};
            } else {
                const bool name = c == '/';
                const size_t start = name ? ++at_ : at_;
                while (at_ < text_.size() && !IsSpace(text_[at_]) && !IsDelimiter(text_[at_])) ++at_;
                const std::string_view word = text_.substr(start, at_ - start);
                if (name) return {Token::Name, word};
                const bool number = !word.empty() && std::all_of(word.begin(), word.end(), [](char d) { return d >= '0' && d <= '9'; });
                return {number ? Token::Number : Token::Keyword, word};
            }
        }
        return {};
    }

private:
    void SkipString()
    {
        int depth = 0;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '\\') ++at_;
            else if (c == '(') ++depth;
            else if (c == ')' && --depth == 0) return;
        }
    }

    std::string_view text_;
    size_t at_ = 0;
};

// A code of one to four bytes, big-endian.
std::optional<uint32_t> CodeOf(const Token& token)
{
    if (token.kind != Token::Hex) return std::nullopt;
    const std::string bytes = HexStringBytes(token.text);
    if (bytes.empty() || bytes.size() > 4) return std::nullopt;
    uint32_t code = 0;
    for (unsigned char byte : bytes) code = code << 8 | byte;
    return code;
}

std::optional<uint32_t> NumberOf(const Token& token)
{
    if (token.kind != Token::Number || token.text.size() > 9) return std::nullopt;
    uint32_t value = 0;
    for (char c : token.text) value = value * 10 + static_cast<uint32_t>(c - '0');
    return value;
}

std::u16string UnitsOf(const Token& token)
{
    std::u16string units;
    if (token.kind == Token::Name) {
        for (char32_t c : Utf8ToCodePoints(GlyphNameText(NameBytes(token.text)))) {
            if (c >= 0x10000) {
                units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                units += static_cast<char16_t>(c);
            }
        }
        return units;
    }
    const std::string bytes = HexStringBytes(token.text);
    if (bytes.size() == 1) return std::u16string(1, static_cast<unsigned char>(bytes[0]));
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
    return units;
}

}  // namespace

std::string Utf16ToReadableUtf8(std::u16string_view units)
{
    std::string text;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendReadableCharacter(text, c);
    }
    return text;
}

CMap CMap::Parse(std::string_view text, size_t maxEntries)
{
    CMap map;
    map.limit_ = std::min(maxEntries, MaxEntries);
    Lexer lexer(text);
    for (Token token = lexer.Next(); token.kind != Token::End; token = lexer.Next()) {
        if (token.kind != Token::Keyword) continue;
        if (token.text == "begincodespacerange") {
            for (Token low = lexer.Next(); low.kind == Token::Hex; low = lexer.Next()) {
                const Token high = lexer.Next();
                const std::string lowBytes = HexStringBytes(low.text), highBytes = HexStringBytes(high.text);
                if (lowBytes.empty() || lowBytes.size() > 4 || lowBytes.size() != highBytes.size()) continue;
                if (map.codeSpace_.size() >= 256) continue;
                CodeSpaceRange range{static_cast<uint8_t>(lowBytes.size()), {}, {}};
                std::copy(lowBytes.begin(), lowBytes.end(), range.low);
                std::copy(highBytes.begin(), highBytes.end(), range.high);
                map.codeSpace_.push_back(range);
            }
        } else if (token.text == "begincidrange") {
            for (Token low = lexer.Next(); low.kind == Token::Hex; low = lexer.Next()) {
                const auto first = CodeOf(low), last = CodeOf(lexer.Next());
                const auto cid = NumberOf(lexer.Next());
                if (!first || !last || !cid || *last < *first || !map.Admit()) continue;
                map.cidRanges_.push_back({*first, *last, *cid});
            }
        } else if (token.text == "begincidchar") {
            for (Token code = lexer.Next(); code.kind == Token::Hex; code = lexer.Next()) {
                const auto value = CodeOf(code);
                const auto cid = NumberOf(lexer.Next());
                if (!value || !cid || !map.Admit()) continue;
                map.cids_[*value] = *cid;
            }
        } else if (token.text == "beginbfchar") {
            for (Token code = lexer.Next(); code.kind == Token::Hex; code = lexer.Next()) {
                const auto value = CodeOf(code);
                const Token target = lexer.Next();
                if (value && (target.kind == Token::Hex || target.kind == Token::Name)) map.AddText(*value, UnitsOf(target));
            }
        } else if (token.text == "beginbfrange") {
            for (Token low = lexer.Next(); low.kind == Token::Hex; low = lexer.Next()) {
                const auto first = CodeOf(low), last = CodeOf(lexer.Next());
                Token target = lexer.Next();
                if (target.kind == Token::ArrayOpen) {
                    // One target per code, as far as both go.
                    uint64_t code = first.value_or(0);
                    for (target = lexer.Next(); target.kind != Token::ArrayClose && target.kind != Token::End; target = lexer.Next()) {
                        if (first && last && code <= *last && target.kind == Token::Hex) map.AddText(static_cast<uint32_t>(code), UnitsOf(target));
                        ++code;
                    }
                } else if (first && last && *last >= *first && target.kind == Token::Hex) {
                    std::u16string units = UnitsOf(target);
                    if (units.empty() || !map.Admit()) continue;
                    map.textRanges_.push_back({*first, *last, std::move(units)});
                }
            }
        }
    }
    map.Sort();
    return map;
}

bool CMap::Admit()
{
    if (entries_ >= limit_) {
        truncated_ = true;
        return false;
    }
    ++entries_;
    return true;
}

void CMap::AddText(uint32_t code, std::u16string units)
{
    if (Admit()) texts_[code] = std::move(units);
}

void CMap::Sort()
{
    // Stable: of overlapping ranges that start alike, the later definition is found last.
    std::stable_sort(cidRanges_.begin(), cidRanges_.end(), [](const CidRange& a, const CidRange& b) { return a.low < b.low; });
    std::stable_sort(textRanges_.begin(), textRanges_.end(), [](const TextRange& a, const TextRange& b) { return a.low < b.low; });
}

namespace {

// The last range starting at or below `code` that holds it, among the few before it.
template <typename Range>
const Range* RangeHolding(const std::vector<Range>& ranges, uint32_t code)
{
    auto after = std::upper_bound(ranges.begin(), ranges.end(), code, [](uint32_t c, const Range& r) { return c < r.low; });
    for (int steps = 0; after != ranges.begin() && steps < 8; ++steps) {
        --after;
        if (after->high >= code) return &*after;
    }
    return nullptr;
}

}  // namespace

size_t CMap::CodeLength(std::string_view bytes) const
{
    if (codeSpace_.empty()) return std::min<size_t>(2, bytes.size());
    size_t shortest = 4;
    for (size_t length = 1; length <= 4 && length <= bytes.size(); ++length) {
        for (const CodeSpaceRange& range : codeSpace_) {
            if (range.length != length) continue;
            bool inside = true;
            for (size_t i = 0; i < length && inside; ++i) {
                const auto byte = static_cast<uint8_t>(bytes[i]);
                inside = byte >= range.low[i] && byte <= range.high[i];
            }
            if (inside) return length;
        }
    }
    for (const CodeSpaceRange& range : codeSpace_) shortest = std::min<size_t>(shortest, range.length);
    return std::min(shortest, bytes.size());
}

uint32_t CMap::Cid(uint32_t code) const
{
    if (const auto found = cids_.find(code); found != cids_.end()) return found->second;
    if (const CidRange* range = RangeHolding(cidRanges_, code)) return range->cid + (code - range->low);
    return 0;
}

std::optional<std::string> CMap::Text(uint32_t code) const
{
    if (const auto found = texts_.find(code); found != texts_.end()) return Utf16ToReadableUtf8(found->second);
    if (const TextRange* range = RangeHolding(textRanges_, code)) {
        std::u16string units = range->first;
        units.back() = static_cast<char16_t>(units.back() + (code - range->low));
        return Utf16ToReadableUtf8(units);
    }
    return std::nullopt;
}

}  // namespace folivo
