#include "content/TextFont.h"

#include <algorithm>
#include <cmath>

#include "core/CharsetTables.h"
#include "core/GlyphList.h"
#include "core/Windows1252.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

std::string Windows1252Character(uint8_t byte)
{
    std::string text;
    AppendUtf8(text, UnicodeOfWindows1252(byte));
    return text;
}

}  // namespace

void CidWidths::Read(const std::vector<std::string>& tokens)
{
    size_t kept = 0;
    for (size_t i = 0; i < tokens.size() && kept < CMap::MaxEntries;) {
        const auto first = IntegerText(tokens[i]);
        if (!first || *first < 0 || i + 1 >= tokens.size()) {
            ++i;
            continue;
        }
        if (tokens[i + 1] == "[") {
            uint32_t cid = static_cast<uint32_t>(*first);
            for (i += 2; i < tokens.size() && tokens[i] != "]"; ++i) {
                if (const auto width = NumberText(tokens[i]); width && std::isfinite(*width) && kept < CMap::MaxEntries) {
                    ranges_.push_back({cid, cid, *width});
                    ++kept;
                }
                ++cid;
            }
            ++i;
            continue;
        }
        const auto last = IntegerText(tokens[i + 1]);
        const auto width = i + 2 < tokens.size() ? NumberText(tokens[i + 2]) : std::nullopt;
        if (last && width && *last >= *first && std::isfinite(*width)) {
            ranges_.push_back({static_cast<uint32_t>(*first), static_cast<uint32_t>(*last), *width});
            ++kept;
        }
        i += 3;
    }
    std::stable_sort(ranges_.begin(), ranges_.end(), [](const Range& a, const Range& b) { return a.low < b.low; });
}

double CidWidths::Of(uint32_t cid) const
{
    auto after = std::upper_bound(ranges_.begin(), ranges_.end(), cid, [](uint32_t c, const Range& r) { return c < r.low; });
    for (int steps = 0; after != ranges_.begin() && steps < 8; ++steps) {
        --after;
        if (after->high >= cid) return after->width;
    }
    return defaultWidth;
}

TextFont::Code TextFont::CompositeCode(std::string_view bytes) const
{
    uint32_t value = 0;
    for (unsigned char byte : bytes) value = value << 8 | byte;
    Code code;
    if (toUnicode) {
        if (auto text = toUnicode->Text(value)) {
            code.text = std::move(*text);
            code.mapped = true;
        }
    }
    if (!code.mapped && unicodeCodes) AppendReadableCharacter(code.text, IsScalarValue(value) ? value : ReplacementCharacter);
    if (code.text.empty() && !code.mapped) AppendUtf8(code.text, ReplacementCharacter);
    const uint32_t cid = encoding && encoding->HasCids() ? encoding->Cid(value) : value;
    code.glyphCode = cid;
    code.width = cidWidths.Of(cid);
    code.hasWidth = true;
    return code;
}

std::string CharactersOfCode(uint8_t code, int32_t encoding)
{
    const uint8_t converted = Convert(code, encoding, WinAnsiEncoding);
    if (converted != 0 || code == 0) return Windows1252Character(converted);
    std::string text = GlyphNameText(GlyphNameOfCode(code, encoding));
    return text.empty() ? Windows1252Character(code) : text;
}

std::shared_ptr<const TextFont> PlainTextFont()
{
    static const std::shared_ptr<const TextFont> plain = [] {
        auto font = std::make_shared<TextFont>();
        for (int code = 0; code < 256; ++code) font->characters[code] = Windows1252Character(static_cast<uint8_t>(code));
        return font;
    }();
    return plain;
}

std::shared_ptr<const TextFont> TextFontOfRecord(const FontRecord& record)
{
    auto font = std::make_shared<TextFont>();
    font->isType3 = record.isType3;
    font->boxHeight = record.boxHeight;
    font->style = record.style;
    // A Type3 box is in glyph space; its matrix (often 0.001) brings it to text space.
    if (record.isType3 && record.hasFontMatrix) {
        font->glyphScaleX = std::fabs(record.fontMatrixX);
        font->glyphScaleY = std::fabs(record.fontMatrixY);
    }
    font->firstChar = record.firstChar;
    std::copy(std::begin(record.widths), std::end(record.widths), font->widths.begin());
    std::copy(std::begin(record.widthPresent), std::end(record.widthPresent), font->widthPresent.begin());
    for (int code = 0; code < 256; ++code) {
        font->characters[code] = record.differencePresent[code] ? Windows1252Character(record.differences[code])
                                                                : CharactersOfCode(static_cast<uint8_t>(code), record.encoding);
    }
    return font;
}

}  // namespace folivo
