// Text showing: fonts selected by name, shown strings split into codes, and text runs with
// one width and spacing per byte of their UTF-8 text.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "content/ContentInterpreter.h"
#include "core/HexDigits.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// A character that is no hex digit counts as 0.
int HexDigitOrZero(char c) { return std::max(HexDigitValue(c), 0); }

bool IsHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// Rounds half to even, as the measuring font's height is computed.
int PixelHeight(double fontSize, int resolution)
{
    const double pixels = std::nearbyint(fontSize * resolution / 72.0);
    if (!std::isfinite(pixels) || pixels < 1) return 1;
    // A glyph taller than any screen measures like one that fits; keeps the canvas sane.
    return static_cast<int>(std::min(pixels, 100000.0));
}

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void ContentInterpreter::SelectFont()
{
    if (sources_.font) {
        // Pages select few fonts, most of them many times: each name is asked for once per scope.
        const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
        auto known = std::find_if(selectedFonts_.begin(), selectedFonts_.end(), [&](const SelectedFont& selected) {
            return selected.scope == scope && selected.name == fontName_;
        });
        std::shared_ptr<const TextFont> font;
        if (known != selectedFonts_.end()) {
            font = known->font;
        } else {
            font = sources_.font(fontName_, scope);
            if (selectedFonts_.size() < MaxSelectedFonts) selectedFonts_.push_back({scope, fontName_, font});
        }
        if (font) {
            font_ = std::move(font);
            return;
        }
    }
    TDynaArray<FontRecord>& fonts = sources_.fonts;
    for (uint32_t i = 0; i < fonts.Count(); ++i) {
        const FontRecord& record = *fonts.At(i);
        if (record.resourceName.View() != fontName_) continue;
        // Each kept font takes some kilobytes: a list of thousands makes the rest anew each time.
        if (i >= MaxRecordFonts) {
            font_ = TextFontOfRecord(record);
            return;
        }
        if (recordFonts_.size() <= i) recordFonts_.resize(i + 1);
        if (!recordFonts_[i]) recordFonts_[i] = TextFontOfRecord(record);
        font_ = recordFonts_[i];
        return;
    }
}

void ContentInterpreter::ShowText(bool kerning)
{
    const TextFont& font = *font_;
    std::string shown;
    std::vector<ShownCode> codes;
    codes.reserve(16);
    const double scale = fontSize_ * tm_.d * ctm_.d;
    const double charSpacing = std::fabs(tm_.d * ctm_.d) * charSpacing_;
    auto append = [&](std::string_view bytes) {
        font.ForEachCode(bytes, [&](const TextFont::Code& code) {
            shown += code.characters;
            const double width = font.isType3 ? code.width * font.glyphScaleX * std::fabs(scale) : code.width / 1000.0 * scale;
            codes.push_back({shown.size(), width, code.hasWidth, charSpacing});
        });
    };
    for (size_t i = 0; i + 1 < operands_.Size(); ++i) {
        const std::string& entry = operands_[i];
        if (entry.size() > 1 && entry[0] == '<') {
            // Hex digits give the bytes as they are: no escapes to resolve. A single-byte font
            // drops zero bytes; in two-byte codes they belong to the code.
            // White space between the digits ends the token: the digits after it arrive as
            // entries of their own, before the closing ">".
            std::string digits = entry.substr(1);
            while (i + 2 < operands_.Size() && IsHexDigits(operands_[i + 1])) digits += operands_[++i];
            std::string bytes;
            for (size_t at = 0; at + 1 < digits.size(); at += 2) {
                const char byte = static_cast<char>(HexDigitOrZero(digits[at]) * 16 + HexDigitOrZero(digits[at + 1]));
                if (byte != 0 || font.composite) bytes += byte;
            }
            append(bytes);
        } else if (entry.size() > 1 && entry[0] == '(') {
            append(DecodeStringEscapes(std::string_view(entry).substr(1, entry.size() - 2)));
        } else if (kerning && !entry.empty()) {
            std::string_view text(entry);
            if (text[0] == '>') text.remove_prefix(1);
            const auto number = NumberText(text);
            // A later number for the same code replaces an earlier one.
            if (!number || codes.empty()) continue;
            codes.back().spacing = charSpacing + std::fabs(scale) * -*number / 1000.0;
        }
    }
    if (shown.empty()) {
        // Codes that stand for no characters still advance.
        for (const ShownCode& code : codes) advance_ += (code.hasWidth ? code.width : 0) + code.spacing;
        return;
    }
    if (budget_.textBytes < shown.size()) {
        omitted_.textBytes += shown.size();
        return;
    }
    if (!ItemAllowed()) return;
    budget_.textBytes -= shown.size();
    AppendTextItem(shown, codes);
}

void ContentInterpreter::AppendTextItem(const std::string& text, const std::vector<ShownCode>& codes)
{
    const TextFont& font = *font_;
    MeasuringCanvas& canvas = sources_.canvas;
    const double advance0 = advance_;
    PageItem* item = AppendItem();
    item->Text = MakeText(text);
    item->X = tm_.e * ctm_.a + tm_.f * ctm_.c + ctm_.e + advance0;
    item->FontSize = std::fabs((tm_.d + tm_.b) * (ctm_.d + ctm_.b) * fontSize_ * font.boxHeight * font.glyphScaleY);
    item->FontStyle = font.style;
    canvas.SelectDisplayStyle(font.style);
    canvas.SelectDisplayFont(PixelHeight(item->FontSize, resolution_));
    item->LineHeight = canvas.TextHeight(" ") * 72.0 / resolution_;
    item->Y = tm_.e * ctm_.b + tm_.f * ctm_.d + ctm_.f + item->LineHeight;
    item->FontName = MakeText(fontName_);
    item->Invisible = renderMode_ == 3;
    // One width and spacing per byte of the text: a code's width is shared by its characters
    // on their first bytes, its spacing follows its last character; other bytes take 0.
    item->CharWidths = new double[text.size()]();
    item->CharSpacings = new double[text.size()]();
    // Codes without a width are measured as their characters; each text once per run.
    std::unordered_map<std::string_view, double> measured;
    size_t start = 0;
    // Codes without characters move the run (before its first character) or widen the
    // spacing after the character before them.
    double lead = 0;
    size_t lastCharacter = text.size();
    for (const ShownCode& code : codes) {
        if (code.end == start + 1 && code.hasWidth) {
            // One byte with its width: most of the text of most pages.
            item->CharWidths[start] = code.width;
            item->CharSpacings[start] = code.spacing;
            lastCharacter = start++;
            advance_ += code.width + code.spacing;
            continue;
        }
        const std::string_view characters(text.data() + start, code.end - start);
        double width = code.width;
        if (characters.empty()) {
            if (!code.hasWidth) width = 0;
            if (lastCharacter == text.size()) lead += width + code.spacing;
            else item->CharSpacings[lastCharacter] += width + code.spacing;
            advance_ += width + code.spacing;
            continue;
        }
        if (!code.hasWidth) {
            auto found = measured.find(characters);
            if (found == measured.end())
                found = measured.emplace(characters, canvas.UnicodeTextWidth(characters) * 72.0 / resolution_).first;
            width = found->second;
        }
        size_t count = 0;
        for (char byte : characters) count += !IsContinuationByte(byte);
        size_t last = start;
        for (size_t i = start; i < code.end; ++i) {
            if (IsContinuationByte(text[i])) continue;
            item->CharWidths[i] = width / static_cast<double>(count);
            last = i;
        }
        item->CharSpacings[last] = code.spacing;
        lastCharacter = last;
        advance_ += width + code.spacing;
        start = code.end;
    }
    item->X += lead;
    item->TextWidth = advance_ - advance0 - lead;
    // Whoever measures next (the protection, adding text) measures the plain display font.
    canvas.SelectDisplayStyle(0);
}

}  // namespace folivo
