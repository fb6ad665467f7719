// Reading the entries that made appearances draw from: values, colours, borders and /DA.
#include "document/AppearanceEntries.h"

#include <algorithm>
#include <cmath>

#include "core/NumberConversion.h"
#include "model/TextStrings.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo::synthesis {

namespace {

constexpr double MaxLineWidth = 500;
constexpr size_t MaxDashValues = 8;

// A name that content can carry as it is: no delimiters or blanks that would end it early.
bool IsPlainName(std::string_view name)
{
    if (name.size() < 2 || name.size() > 127 || name[0] != '/') return false;
    return std::all_of(name.begin() + 1, name.end(), [](char c) {
        return c > ' ' && c < 0x7F && std::string_view("()<>[]{}/%").find(c) == std::string_view::npos;
    });
}

// /DA is short content: blanks separate, and a name also starts where its slash is.
std::vector<std::string> AppearanceStringTokens(std::string_view da)
{
    std::vector<std::string> tokens;
    for (const char c : da.substr(0, 4096)) {
        if (IsWhiteSpace(c)) {
            if (!tokens.empty() && !tokens.back().empty()) tokens.emplace_back();
            continue;
        }
        if (tokens.empty() || c == '/') tokens.emplace_back();
        tokens.back() += c;
    }
    return tokens;
}

}  // namespace

Dictionary::Dictionary(const ObjectReader& objects, TokenList tokens) : objects_(&objects), tokens_(std::move(tokens))
{
    if (tokens_.empty() || tokens_[0] != "<<") tokens_ = {"<<", ">>"};
}

size_t Dictionary::At(std::string_view key) const { return ValueIndex(tokens_, 0, key); }

TokenList Dictionary::Value(std::string_view key) const { return objects_->ValueTokens(tokens_, At(key)); }

std::optional<int32_t> Dictionary::Reference(std::string_view key) const { return ReferenceAt(tokens_, At(key)); }

std::optional<double> Dictionary::Number(std::string_view key) const
{
    const TokenList value = Value(key);
    if (value.size() != 1) return std::nullopt;
    const auto number = NumberText(value[0]);
    return number ? std::optional<double>(Clamped(*number)) : std::nullopt;
}

std::optional<int64_t> Dictionary::Integer(std::string_view key) const
{
    const TokenList value = Value(key);
    const auto number = value.size() == 1 ? NumberText(value[0]) : std::nullopt;
    return number ? std::optional<int64_t>(ClampedInteger<int64_t>(*number)) : std::nullopt;
}

std::string Dictionary::Name(std::string_view key) const
{
    const TokenList value = Value(key);
    return value.size() == 1 ? AsName(value[0]) : "";
}

std::optional<std::string> Dictionary::Text(std::string_view key) const
{
    const size_t at = At(key);
    if (at == 0) return std::nullopt;
    if (IsReference(tokens_, at)) return TextOf(objects_->ValueTokens(tokens_, at), 0);
    return TextOf(tokens_, at);
}

std::optional<std::string> Dictionary::TextOf(const TokenList& tokens, size_t at)
{
    if (at >= tokens.size()) return std::nullopt;
    const std::string& first = tokens[at];
    if (first.empty() || first == "<<" || (first[0] != '(' && first[0] != '<')) return std::nullopt;
    return StringValueBytes(tokens, at);
}

bool HasNormalAppearance(const Dictionary& annotation)
{
    const Dictionary appearances = annotation.Sub("/AP");
    const ObjectReader& objects = annotation.Objects();
    const std::string state = annotation.Name("/AS");
    if (const auto number = appearances.Reference("/N")) {
        const auto at = objects.ValuePosition(*number);
        if (!at) return false;
        const TokenList target = objects.DictionaryAt(*at);
        if (ValueIndex(target, 0, "/BBox") != 0) return true;
        if (state.empty()) return false;
        const auto form = ReferenceAt(target, ValueIndex(target, 0, state));
        return form && objects.ValuePosition(*form);
    }
    const Dictionary states = appearances.Sub("/N");
    if (states.Empty() || state.empty()) return false;
    const auto form = states.Reference(state);
    return form && objects.ValuePosition(*form);
}

std::string AsName(const std::string& token) { return token.size() > 1 && token[0] == '/' ? token : std::string(); }

std::vector<double> NumbersOf(const TokenList& array, size_t limit)
{
    std::vector<double> numbers;
    if (array.empty() || array[0] != "[") return numbers;
    for (size_t i = 1; i < array.size() && numbers.size() < limit; ++i) {
        const auto value = NumberText(array[i]);
        if (!value) break;
        numbers.push_back(Clamped(*value));
    }
    return numbers;
}

std::vector<Point> PointsOf(const TokenList& array, size_t limit)
{
    const std::vector<double> numbers = NumbersOf(array, 2 * limit);
    std::vector<Point> points;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) points.push_back({numbers[i], numbers[i + 1]});
    return points;
}

Colour ColourOfNumbers(const std::vector<double>& numbers)
{
    Colour colour;
    if (numbers.size() != 1 && numbers.size() != 3 && numbers.size() != 4) return colour;
    colour.components = numbers.size();
    for (size_t i = 0; i < numbers.size(); ++i) colour.values[i] = std::clamp(numbers[i], 0.0, 1.0);
    return colour;
}

Colour ColourOf(const TokenList& array) { return ColourOfNumbers(NumbersOf(array, 5)); }

Stroke StrokeOf(const Dictionary& annotation, Colour colour)
{
    Stroke stroke;
    stroke.colour = colour;
    if (const Dictionary style = annotation.Sub("/BS"); !style.Empty()) {
        stroke.width = style.Number("/W").value_or(1);
        const std::string name = style.Name("/S");
        if (name.size() > 1) stroke.style = name[1];
        if (stroke.style == 'D') {
            stroke.dash = NumbersOf(style.Value("/D"), MaxDashValues);
            if (stroke.dash.empty()) stroke.dash = {3};
        }
    } else if (const TokenList border = annotation.Value("/Border"); !border.empty() && border[0] == "[") {
        // [h v w] and an optional dash array.
        const std::vector<double> numbers = NumbersOf(border, 3);
        if (numbers.size() == 3) stroke.width = numbers[2];
        const std::vector<TokenList> elements = ArrayElements(border, 0);
        if (elements.size() >= 4 && elements[3].size() > 1 && elements[3][0] == "[") {
            stroke.dash = NumbersOf(elements[3], MaxDashValues);
            stroke.style = 'D';
        }
    }
    stroke.width = std::clamp(stroke.width, 0.0, MaxLineWidth);
    for (double& value : stroke.dash) value = std::max(value, 0.0);
    // A pattern of zeros would never advance.
    if (std::all_of(stroke.dash.begin(), stroke.dash.end(), [](double value) { return value == 0; })) stroke.dash.clear();
    return stroke;
}

void SetStroke(ContentWriter& out, const Stroke& stroke)
{
    out.Operator({stroke.width}, "w");
    if (!stroke.dash.empty()) out.SetDash(stroke.dash);
    out.SetColour(stroke.colour, true);
}

std::string_view PaintOperator(bool fill, bool stroke) { return fill && stroke ? "B" : fill ? "f" : "S"; }

void DrawBackgroundAndBorder(ContentWriter& out, const Box& box, const Colour& background, const Stroke& border,
                             bool underlined)
{
    if (background) {
        out.SetColour(background, false);
        out.Rectangle(box);
        out.Paint("f");
    }
    if (!border.Drawn()) return;
    SetStroke(out, border);
    const double half = border.width / 2;
    if (underlined) {
        out.Move({box.left, box.bottom + half});
        out.Line({box.right, box.bottom + half});
    } else {
        out.Rectangle(box.Inset(half, half));
    }
    out.Paint("S");
    if (!border.dash.empty()) out.SetDash({});
}

TextStyle StyleOf(std::string_view da)
{
    TextStyle style;
    const std::vector<std::string> tokens = AppearanceStringTokens(da);
    auto numbersBefore = [&tokens](size_t at, size_t count) {
        std::vector<double> numbers;
        for (size_t k = at - std::min(at, count); k < at; ++k)
            if (const auto value = NumberText(tokens[k])) numbers.push_back(Clamped(*value));
        return numbers;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& op = tokens[i];
        if (op == "Tf" && i >= 2 && IsPlainName(tokens[i - 2])) {
            style.font = tokens[i - 2];
            style.size = std::clamp(NumberText(tokens[i - 1]).value_or(0), 0.0, MaxFontSize);
            if (std::isnan(style.size)) style.size = 0;
        } else if (op == "g" || op == "rg" || op == "k" || op == "G" || op == "RG" || op == "K") {
            const size_t count = op == "k" || op == "K" ? 4 : op.size() == 2 ? 3 : 1;
            const Colour colour = ColourOfNumbers(numbersBefore(i, count));
            if (colour.components != count) continue;
            (op == "G" || op == "RG" || op == "K" ? style.stroke : style.colour) = colour;
        }
    }
    return style;
}

}  // namespace folivo::synthesis
