// What a comment's or field's dictionary says about its look, as made appearances read it: the
// dictionary itself, numbers and points, colours, the border, and the text style of /DA.
// Every reading takes damaged values as absent and clamps numbers to the page's range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/AppearanceContentWriter.h"
#include "document/AppearanceSynthesis.h"
#include "document/ObjectReader.h"
#include "syntax/SyntaxTypes.h"

namespace folivo::synthesis {

inline constexpr double MaxFontSize = 500;

// A dictionary's tokens, with the reader that resolves the references among them.
class Dictionary {
public:
    Dictionary(const ObjectReader& objects, TokenList tokens);

    const TokenList& Tokens() const { return tokens_; }
    const ObjectReader& Objects() const { return *objects_; }
    bool Empty() const { return tokens_.size() <= 2; }
    size_t At(std::string_view key) const;
    bool Has(std::string_view key) const { return At(key) != 0; }
    // The value, a reference resolved: a dictionary or array whole, else one token.
    TokenList Value(std::string_view key) const;
    Dictionary Sub(std::string_view key) const { return Dictionary(*objects_, Value(key)); }
    std::optional<int32_t> Reference(std::string_view key) const;

    std::optional<double> Number(std::string_view key) const;
    // Flags and counts: whole numbers, huge ones clamped.
    std::optional<int64_t> Integer(std::string_view key) const;
    std::string Name(std::string_view key) const;
    // A string's bytes; none for a value that is no string.
    std::optional<std::string> Text(std::string_view key) const;
    static std::optional<std::string> TextOf(const TokenList& tokens, size_t at);

private:
    const ObjectReader* objects_;
    TokenList tokens_;
};

// What one comment gives each kind's drawing.
struct Annotation {
    const PdfDocument& document;
    Dictionary dictionary;
    Box rect;
    bool hasRect = false;
};

// Whether the comment has a normal appearance to draw, as PdfDocument::AppearanceOf finds it:
// /N a form, or a dictionary of forms by state with one for /AS.
bool HasNormalAppearance(const Dictionary& annotation);

// The token when it is a name, else empty.
std::string AsName(const std::string& token);
// The numbers at the start of the array tokens[0] = "[", at most `limit`, clamped.
std::vector<double> NumbersOf(const TokenList& array, size_t limit);
// Pairs of those numbers, at most `limit` points.
std::vector<Point> PointsOf(const TokenList& array, size_t limit = MaxSynthesizedVertices);

Colour ColourOfNumbers(const std::vector<double>& numbers);
Colour ColourOf(const TokenList& array);

// Line width, dash and colour of a comment's outline.
struct Stroke {
    Colour colour;
    double width = 1;
    std::vector<double> dash;
    char style = 'S';  // /S of /BS: Solid, Dashed, Beveled, Inset, Underline
    bool Drawn() const { return colour && width > 0; }
};

// The outline in `colour` as /BS, else /Border, sets it.
Stroke StrokeOf(const Dictionary& annotation, Colour colour);
void SetStroke(ContentWriter& out, const Stroke& stroke);
// The painting operator for a path filled, stroked or both.
std::string_view PaintOperator(bool fill, bool stroke);
// The box filled with the background, then framed by the border inside it (a line along its
// foot when underlined); a dashed frame leaves the dash reset.
void DrawBackgroundAndBorder(ContentWriter& out, const Box& box, const Colour& background, const Stroke& border,
                             bool underlined);

// What /DA sets: the font and its size (0: fitted to the box), the fill and stroke colours.
struct TextStyle {
    std::string font = "/Helv";
    double size = 0;
    Colour colour = ColourOfNumbers({0});
    Colour stroke;
};

TextStyle StyleOf(std::string_view da);

}  // namespace folivo::synthesis
