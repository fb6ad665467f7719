// Text for drawing: the whole text state (spacing, scaling, leading, rise, rendering mode), one
// glyph at a time through the text rendering matrix, Type 3 glyphs by their procedures.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "content/DrawingInterpreter.h"
#include "core/NumberConversion.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool IsHexDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

void DrawingInterpreter::ExecuteTextOperator(Op op)
{
    double v[6] = {};
    switch (op) {
    case Op::Tc:
        if (Numbers(1, v)) state_.charSpacing = v[0];
        return;
    case Op::Tw:
        if (Numbers(1, v)) state_.wordSpacing = v[0];
        return;
    case Op::Tz:
        if (Numbers(1, v)) state_.horizontalScaling = v[0] / 100.0;
        return;
    case Op::TL:
        if (Numbers(1, v)) state_.leading = v[0];
        return;
    case Op::Ts:
        if (Numbers(1, v)) state_.rise = v[0];
        return;
    case Op::Tr:
        if (Numbers(1, v)) state_.renderMode = std::clamp(ClampedInteger<int>(v[0]), 0, 7);
        return;
    case Op::Tf:
        if (operands_.size() < 2) return;
        if (sources_.font) {
            const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
            if (auto font = sources_.font(OperandAt(0, 2), scope)) state_.font = std::move(font);
        }
        state_.fontSize = NumberAt(1, 2);
        return;
    default:
        break;
    }
    // Positioning and showing act inside a text object only.
    if (!inText_) return;
    switch (op) {
    case Op::Td:
    case Op::TD:
        if (!Numbers(2, v)) return;
        if (op == Op::TD) state_.leading = -v[1];
        tlm_ = Concatenated({1, 0, 0, 1, v[0], v[1]}, tlm_);
        tm_ = tlm_;
        return;
    case Op::Tm:
        if (!Numbers(6, v)) return;
        tlm_ = tm_ = {v[0], v[1], v[2], v[3], v[4], v[5]};
        return;
    case Op::TStar:
        tlm_ = Concatenated({1, 0, 0, 1, 0, -state_.leading}, tlm_);
        tm_ = tlm_;
        return;
    case Op::Tj:
    case Op::TJ:
        ShowText(op == Op::TJ);
        return;
    case Op::Quote:
    case Op::DoubleQuote:
        if (op == Op::DoubleQuote && Numbers(3, v)) {
            state_.wordSpacing = v[0];
            state_.charSpacing = v[1];
        }
        tlm_ = Concatenated({1, 0, 0, 1, 0, -state_.leading}, tlm_);
        tm_ = tlm_;
        ShowText(false);
        return;
    default:
        return;
    }
}

void DrawingInterpreter::BeginText()
{
    inText_ = true;
    tm_ = tlm_ = Matrix{};
}

void DrawingInterpreter::EndText()
{
    inText_ = false;
    if (textClips_) device_.EndText();
    textClips_ = false;
}

void DrawingInterpreter::ShowText(bool kerning)
{
    // The string operands (and, for TJ, the numbers between them), in order.
    size_t first = operands_.size();
    if (kerning) {
        while (first > 0 && operands_[first - 1] != "[") --first;
    } else {
        // The last string: " takes two numbers before it.
        while (first > 0 && !(operands_[first - 1].size() > 1 && (operands_[first - 1][0] == '(' || operands_[first - 1][0] == '<')))
            --first;
        if (first > 0) --first;
    }
    for (size_t i = first; i < operands_.size(); ++i) {
        const std::string& entry = operands_[i];
        if (entry.size() > 1 && entry[0] == '<' && entry[1] != '<') {
            // Blanks between the digits split the string into tokens of their own.
            std::string digits = entry.substr(1);
            while (i + 1 < operands_.size() && IsHexDigits(operands_[i + 1])) digits += operands_[++i];
            ShowString(HexStringBytes(digits));
        } else if (entry.size() > 1 && entry[0] == '(') {
            ShowString(DecodeStringEscapes(std::string_view(entry).substr(1, entry.size() - 2)));
        } else if (kerning && entry != "]" && entry != ">") {
            if (const auto number = NumberText(entry); number && std::isfinite(*number))
                AdvanceText(-*number / 1000.0 * state_.fontSize * state_.horizontalScaling);
        }
    }
}

Matrix DrawingInterpreter::TextRenderingMatrix() const
{
    const Matrix textSpace{state_.fontSize * state_.horizontalScaling, 0, 0, state_.fontSize, 0, state_.rise};
    return Concatenated(Concatenated(textSpace, tm_), state_.ctm);
}

void DrawingInterpreter::AdvanceText(double tx)
{
    tm_.e += tx * tm_.a;
    tm_.f += tx * tm_.b;
}

void DrawingInterpreter::ShowString(std::string_view bytes)
{
    const std::shared_ptr<const TextFont> font = state_.font;
    font->ForEachCode(bytes, [&](const TextFont::Code& code) {
        const Matrix trm = TextRenderingMatrix();
        double width = 0;  // in text space units of one em
        if (font->isType3) {
            width = code.hasWidth ? code.width * font->glyphScaleX : 0;
            ShowType3Glyph(code.glyphCode, trm);
        } else {
            if (code.hasWidth) {
                width = code.width / 1000.0;
            } else if (const auto advance = device_.GlyphAdvance(*font, code.glyphCode)) {
                width = *advance;
            }
            if (state_.renderMode != 3) {
                DeviceGlyph glyph;
                glyph.font = font;
                glyph.code = code.glyphCode;
                glyph.matrix = trm;
                glyph.renderMode = state_.renderMode;
                glyph.fill = state_.fill;
                glyph.stroke = state_.stroke;
                glyph.strokeStyle = state_.strokeStyle;
                glyph.ctm = state_.ctm;
                textClips_ = textClips_ || state_.renderMode >= 4;
                device_.DrawGlyph(glyph);
            }
        }
        // Word spacing applies to the single byte 32 only.
        const double wordSpacing = !font->composite && code.glyphCode == 32 ? state_.wordSpacing : 0;
        AdvanceText((width * state_.fontSize + state_.charSpacing + wordSpacing) * state_.horizontalScaling);
    });
}

void DrawingInterpreter::ShowType3Glyph(uint32_t code, const Matrix& trm)
{
    if (!sources_.type3Glyph || type3Depth_ >= MaxType3Depth || state_.renderMode == 3) return;
    const std::optional<FormContent> glyph = sources_.type3Glyph(*state_.font, code);
    if (!glyph) return;
    ++type3Depth_;
    // Glyph space reaches text space through the font matrix.
    const std::array<double, 6>& m = state_.font->fontMatrix;
    const Matrix glyphSpace{m[0], m[1], m[2], m[3], m[4], m[5]};
    FormContent procedure = *glyph;
    procedure.box[0] = procedure.box[1] = procedure.box[2] = procedure.box[3] = 0;  // glyphs are not clipped
    RunForm(procedure, Concatenated(glyphSpace, trm));
    --type3Depth_;
}

}  // namespace folivo
