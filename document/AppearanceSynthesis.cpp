// Appearances for comments and fields that carry none: each kind's dictionary becomes content
// in the page's default space, drawn the way readers draw what a file leaves to them.
#include "document/AppearanceSynthesis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/NumberConversion.h"
#include "core/ResourceLimits.h"
#include "core/Windows1252.h"
#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

constexpr int64_t HiddenFlags = 2 | 32;
// Field flags (/Ff): bit n counted from 1.
constexpr int64_t MultilineField = int64_t{1} << 12, PasswordField = int64_t{1} << 13;
constexpr int64_t RadioButton = int64_t{1} << 15, PushButton = int64_t{1} << 16;
constexpr int64_t ComboBox = int64_t{1} << 17, CombField = int64_t{1} << 24;
// Far beyond any page (the largest is 14,400 points), and short to write without exponents.
constexpr double CoordinateLimit = 1e5;
constexpr double MaxLineWidth = 500;
constexpr double MaxFontSize = 500;
constexpr size_t MaxDashValues = 8;
constexpr size_t MaxTextLines = 1024;
// Longer texts could never fit into the content anyway.
constexpr size_t MaxTextBytes = MaxSynthesizedContent;
// What the operators that end a begun path, text object or saved state take together: past the
// soft limit nothing new begins, so the content never passes MaxSynthesizedContent.
constexpr size_t ClosingRoom = 256;
// How far a quarter ellipse's control points lie from its ends, as a fraction of the radius.
constexpr double Kappa = 0.5522847498307936;

double Clamped(double value, double limit = CoordinateLimit)
{
    return std::isnan(value) ? 0 : std::clamp(value, -limit, limit);
}

struct Point {
    double x = 0, y = 0;
};

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point operator*(double s, Point a) { return {s * a.x, s * a.y}; }

struct Box {
    double left = 0, bottom = 0, right = 0, top = 0;
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
    bool HasArea() const { return right > left && top > bottom; }
    // Smaller by dx and dy on each side; a box too small for that shrinks to its centre line.
    Box Inset(double dx, double dy) const
    {
        Box box{left + dx, bottom + dy, right - dx, top - dy};
        if (box.left > box.right) box.left = box.right = (left + right) / 2;
        if (box.bottom > box.top) box.bottom = box.top = (bottom + top) / 2;
        return box;
    }
};

// The numbers at the start of the array tokens[0] = "[", at most `limit`, clamped.
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

// A device colour of 1, 3 or 4 components; none (0) draws nothing.
struct Colour {
    size_t components = 0;
    double values[4] = {0, 0, 0, 0};
    explicit operator bool() const { return components != 0; }
};

Colour ColourOfNumbers(const std::vector<double>& numbers)
{
    Colour colour;
    if (numbers.size() != 1 && numbers.size() != 3 && numbers.size() != 4) return colour;
    colour.components = numbers.size();
    for (size_t i = 0; i < numbers.size(); ++i) colour.values[i] = std::clamp(numbers[i], 0.0, 1.0);
    return colour;
}

Colour ColourOf(const TokenList& array) { return ColourOfNumbers(NumbersOf(array, 5)); }

// A dictionary's tokens, with the reader that resolves the references among them.
class Dictionary {
public:
    Dictionary(const ObjectReader& objects, TokenList tokens) : objects_(&objects), tokens_(std::move(tokens))
    {
        if (tokens_.empty() || tokens_[0] != "<<") tokens_ = {"<<", ">>"};
    }

    const TokenList& Tokens() const { return tokens_; }
    const ObjectReader& Objects() const { return *objects_; }
    bool Empty() const { return tokens_.size() <= 2; }
    size_t At(std::string_view key) const { return ValueIndex(tokens_, 0, key); }
    bool Has(std::string_view key) const { return At(key) != 0; }
    // The value, a reference resolved: a dictionary or array whole, else one token.
    TokenList Value(std::string_view key) const { return objects_->ValueTokens(tokens_, At(key)); }
    Dictionary Sub(std::string_view key) const { return Dictionary(*objects_, Value(key)); }
    std::optional<int32_t> Reference(std::string_view key) const { return ReferenceAt(tokens_, At(key)); }

    std::optional<double> Number(std::string_view key) const
    {
        const TokenList value = Value(key);
        if (value.size() != 1) return std::nullopt;
        const auto number = NumberText(value[0]);
        return number ? std::optional<double>(Clamped(*number)) : std::nullopt;
    }
    // Flags and counts: whole numbers, huge ones clamped.
    std::optional<int64_t> Integer(std::string_view key) const
    {
        const TokenList value = Value(key);
        const auto number = value.size() == 1 ? NumberText(value[0]) : std::nullopt;
        return number ? std::optional<int64_t>(ClampedInteger<int64_t>(*number)) : std::nullopt;
    }
    std::string Name(std::string_view key) const
    {
        const TokenList value = Value(key);
        return value.size() == 1 && value[0].size() > 1 && value[0][0] == '/' ? value[0] : "";
    }
    // A string's bytes; none for a value that is no string.
    std::optional<std::string> Text(std::string_view key) const
    {
        const size_t at = At(key);
        if (at == 0) return std::nullopt;
        if (IsReference(tokens_, at)) return TextOf(objects_->ValueTokens(tokens_, at), 0);
        return TextOf(tokens_, at);
    }
    static std::optional<std::string> TextOf(const TokenList& tokens, size_t at)
    {
        if (at >= tokens.size()) return std::nullopt;
        const std::string& first = tokens[at];
        if (first.empty() || first == "<<" || (first[0] != '(' && first[0] != '<')) return std::nullopt;
        return StringValueBytes(tokens, at);
    }

private:
    const ObjectReader* objects_;
    TokenList tokens_;
};

// Text as the standard fonts show it: Windows-1252 bytes, '?' for what they lack.
std::string ShownBytes(std::string_view text)
{
    std::string bytes;
    for (const char32_t c : Utf8ToCodePoints(PdfTextToUtf8(text.substr(0, MaxTextBytes)))) {
        if (c == '\r' || c == '\n' || c == '\t') bytes += static_cast<char>(c);
        else bytes += static_cast<char>(Windows1252OfUnicode(c).value_or('?'));
    }
    return bytes;
}

// A character's advance in ems, after Helvetica's proportions: close enough to wrap and align.
double EstimatedAdvance(uint8_t c)
{
    if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';' || c == '!' || c == '\'' || c == '|') return 0.278;
    if (c == 'i' || c == 'j' || c == 'l' || c == 'I') return 0.222;
    if (c == 'f' || c == 't' || c == 'r' || c == '(' || c == ')' || c == '-') return 0.333;
    if (c == 'm' || c == 'w' || c == 'M' || c == 'W' || c == '@' || c == '%') return 0.85;
    if (c >= 'A' && c <= 'Z') return 0.667;
    return 0.556;
}

double EstimatedWidth(std::string_view bytes, double size)
{
    double ems = 0;
    for (const char c : bytes) ems += EstimatedAdvance(static_cast<uint8_t>(c));
    return ems * size;
}

// The content being written, bounded: once past its soft limit nothing new begins, and what was
// begun still ends, so the operators always pair up.
class ContentWriter {
public:
    bool Open()
    {
        if (text_.size() + ClosingRoom >= MaxSynthesizedContent) full_ = true;
        return !full_;
    }
    // A state operator with its operands.
    void Operator(std::initializer_list<double> operands, std::string_view op)
    {
        if (!Open()) return;
        for (const double value : operands) Number(value);
        text_ += op;
        text_ += '\n';
    }
    void SetColour(const Colour& colour, bool stroking)
    {
        if (!colour) return;
        static constexpr const char* fill[5] = {"", "g", "", "rg", "k"};
        static constexpr const char* stroke[5] = {"", "G", "", "RG", "K"};
        if (!Open()) return;
        for (size_t i = 0; i < colour.components; ++i) Number(colour.values[i]);
        text_ += (stroking ? stroke : fill)[colour.components];
        text_ += '\n';
    }
    void SetDash(const std::vector<double>& dash)
    {
        if (!Open()) return;
        text_ += '[';
        for (const double value : dash) Number(value);
        if (text_.back() == ' ') text_.pop_back();
        text_ += "] 0 d\n";
    }
    void Font(const std::string& name, double size)
    {
        if (!Open()) return;
        text_ += name;
        text_ += ' ';
        Number(size);
        text_ += "Tf\n";
    }

    void Move(Point p) { Segment({p}, "m"); }
    void Line(Point p) { Segment({p}, "l"); }
    void Curve(Point a, Point b, Point c) { Segment({a, b, c}, "c"); }
    void Rectangle(const Box& box)
    {
        if (!Open()) return;
        Cover({box.left, box.bottom});
        Cover({box.right, box.top});
        for (const double value : {box.left, box.bottom, box.Width(), box.Height()}) Number(value);
        text_ += "re\n";
        pathOpen_ = true;
    }
    void Ellipse(Point centre, double rx, double ry)
    {
        const double kx = Kappa * rx, ky = Kappa * ry;
        Move({centre.x + rx, centre.y});
        Curve({centre.x + rx, centre.y + ky}, {centre.x + kx, centre.y + ry}, {centre.x, centre.y + ry});
        Curve({centre.x - kx, centre.y + ry}, {centre.x - rx, centre.y + ky}, {centre.x - rx, centre.y});
        Curve({centre.x - rx, centre.y - ky}, {centre.x - kx, centre.y - ry}, {centre.x, centre.y - ry});
        Curve({centre.x + kx, centre.y - ry}, {centre.x + rx, centre.y - ky}, {centre.x + rx, centre.y});
        Close();
    }
    void Close()
    {
        if (pathOpen_ && Open()) text_ += "h\n";
    }
    // Paints the path begun (f, S, B, or n for a clip); nothing when none was begun.
    void Paint(std::string_view op)
    {
        if (!pathOpen_) return;
        text_ += op;
        text_ += '\n';
        pathOpen_ = false;
        if (op != "n") painted_ = true;
    }
    void Clip(const Box& box)
    {
        Rectangle(box);
        if (pathOpen_) text_ += "W ";
        Paint("n");
    }

    // q or BT; End writes the operator that closes it.
    bool Begin(std::string_view op)
    {
        if (!Open()) return false;
        text_ += op;
        text_ += '\n';
        return true;
    }
    void End(std::string_view op)
    {
        text_ += op;
        text_ += '\n';
    }
    // A line of text with its baseline starting at p; the string is cut where the room ends.
    void ShowText(std::string_view bytes, Point p)
    {
        if (bytes.empty() || !Open()) return;
        for (const double value : {1.0, 0.0, 0.0, 1.0, p.x, p.y}) Number(value);
        text_ += "Tm (";
        for (const char c : bytes) {
            if (text_.size() + ClosingRoom + 16 >= MaxSynthesizedContent) break;
            const auto byte = static_cast<uint8_t>(c);
            if (c == '(' || c == ')' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (byte < 0x20) {
                const char octal[5] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                                       static_cast<char>('0' + (byte & 7)), 0};
                text_ += octal;
            } else {
                text_ += c;
            }
        }
        text_ += ") Tj\n";
        Cover(p);
        Cover({p.x + 1, p.y + 1});
        painted_ = true;
    }

    const std::string& Text() const { return text_; }
    bool Painted() const { return painted_; }
    // What the path points and text origins cover; no area when nothing was drawn.
    const Box& Covered() const { return covered_; }

private:
    void Number(double value)
    {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, Clamped(value), std::chars_format::fixed, 3);
        std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
        while (text.back() == '0') text.remove_suffix(1);
        if (text.back() == '.') text.remove_suffix(1);
        text_ += text == "-0" ? "0" : text;
        text_ += ' ';
    }
    void Segment(std::initializer_list<Point> points, std::string_view op)
    {
        if (!Open()) return;
        for (const Point p : points) {
            Number(p.x);
            Number(p.y);
            Cover(p);
        }
        text_ += op;
        text_ += '\n';
        pathOpen_ = true;
    }
    void Cover(Point p)
    {
        const double x = Clamped(p.x), y = Clamped(p.y);
        if (!covering_) covered_ = {x, y, x, y};
        covering_ = true;
        covered_ = {std::min(covered_.left, x), std::min(covered_.bottom, y), std::max(covered_.right, x),
                    std::max(covered_.top, y)};
    }

    std::string text_;
    bool full_ = false;
    bool pathOpen_ = false;
    bool painted_ = false;
    bool covering_ = false;
    Box covered_;
};

// q ... Q or BT ... ET around a scope, closed however the scope ends.
class Scope {
public:
    Scope(ContentWriter& out, std::string_view begin, std::string_view end) : out_(out), end_(end), open_(out.Begin(begin)) {}
    ~Scope()
    {
        if (open_) out_.End(end_);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    explicit operator bool() const { return open_; }

private:
    ContentWriter& out_;
    std::string_view end_;
    bool open_;
};

// Line width, dash and colour of a comment's outline.
struct Stroke {
    Colour colour;
    double width = 1;
    std::vector<double> dash;
    char style = 'S';  // /S of /BS: Solid, Dashed, Beveled, Inset, Underline
    bool Drawn() const { return colour && width > 0; }
};

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

// The painting operator for a path filled, stroked or both.
std::string_view PaintOperator(bool fill, bool stroke) { return fill && stroke ? "B" : fill ? "f" : "S"; }

std::vector<Point> PointsOf(const TokenList& array, size_t limit = MaxSynthesizedVertices)
{
    const std::vector<double> numbers = NumbersOf(array, 2 * limit);
    std::vector<Point> points;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) points.push_back({numbers[i], numbers[i + 1]});
    return points;
}

// What one comment gives each kind's drawing.
struct Annotation {
    const PdfDocument& document;
    Dictionary dictionary;
    Box rect;
    bool hasRect = false;
};

// The rectangle made smaller by /RD, the differences to what a square or circle fills.
Box InnerRectangle(const Annotation& annotation)
{
    const std::vector<double> d = NumbersOf(annotation.dictionary.Value("/RD"), 4);
    if (d.size() != 4) return annotation.rect;
    Box box{annotation.rect.left + std::max(d[0], 0.0), annotation.rect.bottom + std::max(d[1], 0.0),
            annotation.rect.right - std::max(d[2], 0.0), annotation.rect.top - std::max(d[3], 0.0)};
    return box.HasArea() ? box : annotation.rect;
}

void DrawSquareOrCircle(const Annotation& annotation, ContentWriter& out, bool circle)
{
    const Stroke stroke = StrokeOf(annotation.dictionary, ColourOf(annotation.dictionary.Value("/C")));
    const Colour interior = ColourOf(annotation.dictionary.Value("/IC"));
    if (!annotation.hasRect || (!stroke.Drawn() && !interior)) return;
    // The outline lies inside the rectangle, as the rectangle is the whole of what is drawn.
    const double half = stroke.Drawn() ? stroke.width / 2 : 0;
    const Box box = InnerRectangle(annotation).Inset(half, half);
    if (stroke.Drawn()) SetStroke(out, stroke);
    out.SetColour(interior, false);
    if (circle) {
        out.Ellipse({(box.left + box.right) / 2, (box.bottom + box.top) / 2}, box.Width() / 2, box.Height() / 2);
    } else {
        out.Rectangle(box);
    }
    out.Paint(PaintOperator(bool(interior), stroke.Drawn()));
}

void DrawSquare(const Annotation& annotation, ContentWriter& out) { DrawSquareOrCircle(annotation, out, false); }
void DrawCircle(const Annotation& annotation, ContentWriter& out) { DrawSquareOrCircle(annotation, out, true); }

constexpr std::string_view EndingStyles[] = {"/OpenArrow",  "/ClosedArrow", "/ROpenArrow", "/RClosedArrow", "/Butt",
                                             "/Slash", "/Square", "/Diamond", "/Circle"};

bool IsEnding(std::string_view style)
{
    return std::find(std::begin(EndingStyles), std::end(EndingStyles), style) != std::end(EndingStyles);
}

// A line ending at `at` of a line coming from `from`, sized after the line's width; closed
// shapes are filled with the interior colour.
void DrawEnding(ContentWriter& out, const std::string& style, Point at, Point from, double width, const Colour& interior)
{
    if (!IsEnding(style)) return;
    const double length = std::hypot(at.x - from.x, at.y - from.y);
    const Point u = length > 1e-9 ? (1 / length) * (at - from) : Point{1, 0};
    const Point n{-u.y, u.x};
    const double size = std::max(3 * width, 4.5);
    const double half = size / 2;
    bool closed = true;
    if (style == "/OpenArrow" || style == "/ClosedArrow" || style == "/ROpenArrow" || style == "/RClosedArrow") {
        // The tip on the end point; reversed arrows point back along the line.
        const double back = style[1] == 'R' ? -size : size;
        out.Move(at - back * u + half * n);
        out.Line(at);
        out.Line(at - back * u - half * n);
        closed = style == "/ClosedArrow" || style == "/RClosedArrow";
    } else if (style == "/Butt" || style == "/Slash") {
        // A slash leans 30 degrees off the perpendicular.
        const Point d = style == "/Butt" ? n : Point{0.5 * u.x + 0.8660254 * n.x, 0.5 * u.y + 0.8660254 * n.y};
        out.Move(at + half * d);
        out.Line(at - half * d);
        closed = false;
    } else if (style == "/Square") {
        out.Move(at + half * u + half * n);
        out.Line(at - half * u + half * n);
        out.Line(at - half * u - half * n);
        out.Line(at + half * u - half * n);
    } else if (style == "/Diamond") {
        out.Move(at + half * u);
        out.Line(at + half * n);
        out.Line(at - half * u);
        out.Line(at - half * n);
    } else {
        out.Ellipse(at, half, half);
    }
    if (closed) out.Close();
    out.Paint(PaintOperator(closed && interior, true));
}

// The two /LE names of a line or polyline.
std::pair<std::string, std::string> EndingsOf(const Dictionary& dictionary)
{
    const TokenList names = dictionary.Value("/LE");
    if (names.size() < 4 || names[0] != "[") return {};
    auto name = [](const std::string& token) { return token.size() > 1 && token[0] == '/' ? token : std::string(); };
    return {name(names[1]), name(names[2])};
}

// A path through the points, closed or open, with its endings; as plain lines without interior.
void DrawPolyline(const Annotation& annotation, ContentWriter& out, const std::vector<Point>& points, bool closed)
{
    const Stroke stroke = StrokeOf(annotation.dictionary, ColourOf(annotation.dictionary.Value("/C")));
    const Colour interior = ColourOf(annotation.dictionary.Value("/IC"));
    const bool filled = closed && interior;
    if (points.size() < 2 || (!stroke.Drawn() && !filled)) return;
    if (stroke.Drawn()) SetStroke(out, stroke);
    out.SetColour(interior, false);
    out.Move(points[0]);
    for (size_t i = 1; i < points.size(); ++i) out.Line(points[i]);
    if (closed) out.Close();
    out.Paint(PaintOperator(filled, stroke.Drawn()));
    if (closed || !stroke.Drawn()) return;
    const auto [first, last] = EndingsOf(annotation.dictionary);
    if (!IsEnding(first) && !IsEnding(last)) return;
    // Endings are drawn whole, whatever the dash of the line.
    if (!stroke.dash.empty()) out.SetDash({});
    DrawEnding(out, first, points[0], points[1], stroke.width, interior);
    DrawEnding(out, last, points.back(), points[points.size() - 2], stroke.width, interior);
}

void DrawLine(const Annotation& annotation, ContentWriter& out)
{
    const std::vector<Point> points = PointsOf(annotation.dictionary.Value("/L"), 2);
    if (points.size() == 2) DrawPolyline(annotation, out, points, false);
}

void DrawPolygon(const Annotation& annotation, ContentWriter& out)
{
    DrawPolyline(annotation, out, PointsOf(annotation.dictionary.Value("/Vertices")), true);
}

void DrawPolyLineComment(const Annotation& annotation, ContentWriter& out)
{
    DrawPolyline(annotation, out, PointsOf(annotation.dictionary.Value("/Vertices")), false);
}

// Each stroke of a freehand drawing as a smooth curve through its points (Catmull-Rom as Bézier
// segments), with round ends so that a single point shows as a dot.
void DrawInk(const Annotation& annotation, ContentWriter& out)
{
    const Stroke stroke = StrokeOf(annotation.dictionary, ColourOf(annotation.dictionary.Value("/C")));
    if (!stroke.Drawn()) return;
    const TokenList lists = annotation.dictionary.Value("/InkList");
    if (lists.empty() || lists[0] != "[") return;
    std::vector<TokenList> elements = ArrayElements(lists, 0);
    if (elements.size() > MaxSynthesizedInkLists) elements.resize(MaxSynthesizedInkLists);
    SetStroke(out, stroke);
    out.Operator({1, 1}, "J");
    out.Operator({1, 1}, "j");
    const ObjectReader& objects = annotation.dictionary.Objects();
    for (const TokenList& element : elements) {
        const auto number = ReferenceAt(element, 0);
        const std::vector<Point> p = PointsOf(number ? objects.ObjectTokens(*number) : element);
        if (p.empty()) continue;
        out.Move(p[0]);
        if (p.size() == 1) out.Line(p[0]);
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            const Point before = p[i == 0 ? 0 : i - 1], after = p[std::min(i + 2, p.size() - 1)];
            out.Curve(p[i] + (1.0 / 6) * (p[i + 1] - before), p[i + 1] - (1.0 / 6) * (after - p[i]), p[i + 1]);
        }
        out.Paint("S");
    }
}

// The quadrilaterals of a text markup, each as the box around its four points.
std::vector<Box> QuadBoxes(const Annotation& annotation)
{
    const std::vector<Point> points = PointsOf(annotation.dictionary.Value("/QuadPoints"));
    std::vector<Box> boxes;
    for (size_t i = 0; i + 3 < points.size(); i += 4) {
        Box box{points[i].x, points[i].y, points[i].x, points[i].y};
        for (size_t k = 1; k < 4; ++k) {
            box.left = std::min(box.left, points[i + k].x), box.right = std::max(box.right, points[i + k].x);
            box.bottom = std::min(box.bottom, points[i + k].y), box.top = std::max(box.top, points[i + k].y);
        }
        if (box.HasArea()) boxes.push_back(box);
    }
    return boxes;
}

enum class Markup { Highlight, Underline, StrikeOut, Squiggly };

void DrawMarkup(const Annotation& annotation, ContentWriter& out, Markup kind)
{
    const Colour colour = ColourOf(annotation.dictionary.Value("/C"));
    if (!colour) return;
    const std::vector<Box> boxes = QuadBoxes(annotation);
    if (kind == Markup::Highlight) {
        out.SetColour(colour, false);
        for (const Box& box : boxes) out.Rectangle(box);
        out.Paint("f");
        return;
    }
    out.SetColour(colour, true);
    double lastWidth = -1;
    for (const Box& box : boxes) {
        // Lines as thick as a text of the quad's height would draw them.
        const double width = std::max(box.Height() / 14, 0.5);
        if (width != lastWidth) out.Operator({width}, "w");
        lastWidth = width;
        if (kind == Markup::Squiggly) {
            const double amplitude = std::max(box.Height() / 16, 0.5), step = 2 * amplitude;
            const double base = box.bottom + width / 2;
            const double steps = std::min(std::ceil(box.Width() / step), static_cast<double>(MaxSynthesizedVertices - 1));
            out.Move({box.left, base});
            for (size_t i = 1; i <= static_cast<size_t>(steps); ++i)
                out.Line({std::min(box.left + static_cast<double>(i) * step, box.right), base + (i % 2 ? 2 * amplitude : 0)});
        } else {
            const double y = kind == Markup::Underline ? box.bottom + width : (box.bottom + box.top) / 2;
            out.Move({box.left, y});
            out.Line({box.right, y});
        }
        out.Paint("S");
    }
}

void DrawHighlight(const Annotation& a, ContentWriter& out) { DrawMarkup(a, out, Markup::Highlight); }
void DrawUnderline(const Annotation& a, ContentWriter& out) { DrawMarkup(a, out, Markup::Underline); }
void DrawStrikeOut(const Annotation& a, ContentWriter& out) { DrawMarkup(a, out, Markup::StrikeOut); }
void DrawSquiggly(const Annotation& a, ContentWriter& out) { DrawMarkup(a, out, Markup::Squiggly); }

// What /DA sets: the font and its size (0: fitted to the box), the fill and stroke colours.
struct TextStyle {
    std::string font = "/Helv";
    double size = 0;
    Colour colour = ColourOfNumbers({0});
    Colour stroke;
};

// A name that content can carry as it is: no delimiters or blanks that would end it early.
bool IsPlainName(std::string_view name)
{
    if (name.size() < 2 || name.size() > 127 || name[0] != '/') return false;
    return std::all_of(name.begin() + 1, name.end(), [](char c) {
        return c > ' ' && c < 0x7F && std::string_view("()<>[]{}/%").find(c) == std::string_view::npos;
    });
}

TextStyle StyleOf(std::string_view da)
{
    TextStyle style;
    // Short content: blanks separate, and a name also starts where its slash is.
    std::vector<std::string> tokens;
    for (const char c : da.substr(0, 4096)) {
        if (IsWhiteSpace(c)) {
            if (!tokens.empty() && !tokens.back().empty()) tokens.emplace_back();
            continue;
        }
        if (tokens.empty() || c == '/') tokens.emplace_back();
        tokens.back() += c;
    }
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

// Lines of the text, each no wider than `width`: broken at line ends, then between words, and
// inside a word only when it alone is too wide.
std::vector<std::string> WrappedLines(const std::string& text, double size, double width)
{
    std::vector<std::string> lines;
    std::string line;
    double lineWidth = 0;
    auto flush = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines.push_back(std::move(line));
        line.clear();
        lineWidth = 0;
    };
    for (size_t i = 0; i < text.size() && lines.size() < MaxTextLines; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            flush();
            continue;
        }
        // A word that starts here goes to the next line when the rest of this one is too short.
        const bool wordStart = c != ' ' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\r' || text[i - 1] == '\n');
        size_t end = i;
        while (wordStart && end < text.size() && text[end] != ' ' && text[end] != '\r' && text[end] != '\n') ++end;
        if (wordStart && !line.empty()) {
            const double wordWidth = EstimatedWidth(std::string_view(text).substr(i, end - i), size);
            if (lineWidth + wordWidth > width) flush();
        }
        const double advance = EstimatedAdvance(static_cast<uint8_t>(c)) * size;
        if (!line.empty() && c != ' ' && lineWidth + advance > width) flush();
        // Blanks at the start of a wrapped line are dropped, as readers do.
        if (c == ' ' && line.empty() && !lines.empty() && i > 0 && text[i - 1] != '\n' && text[i - 1] != '\r') continue;
        line += c;
        lineWidth += advance;
    }
    if (lines.size() < MaxTextLines && (!line.empty() || lines.empty())) lines.push_back(std::move(line));
    return lines;
}

// Lines from the top of the box down, aligned by /Q (0 left, 1 centre, 2 right), clipped to the
// box. The first baseline lies one ascent below the top.
void DrawTextLines(ContentWriter& out, const TextStyle& style, const std::vector<std::string>& lines, const Box& box,
                   int64_t quadding, double firstBaseline)
{
    Scope saved(out, "q", "Q");
    if (!saved) return;
    out.Clip(box);
    Scope text(out, "BT", "ET");
    if (!text) return;
    out.Font(style.font, style.size);
    out.SetColour(style.colour, false);
    const double lineHeight = style.size * 1.15;
    double y = firstBaseline;
    for (const std::string& line : lines) {
        if (y < box.bottom - style.size) break;
        const double free = box.Width() - EstimatedWidth(line, style.size);
        const double x = box.left + (quadding == 1 ? free / 2 : quadding == 2 ? free : 0);
        out.ShowText(line, {x, y});
        y -= lineHeight;
    }
}

void DrawFreeText(const Annotation& annotation, ContentWriter& out)
{
    if (!annotation.hasRect) return;
    const Dictionary& dictionary = annotation.dictionary;
    TextStyle style = StyleOf(dictionary.Text("/DA").value_or(""));
    if (style.size <= 0) style.size = 12;
    const Box box = InnerRectangle(annotation);
    // The box's background is /C; its frame takes the text's colour unless /DA strokes in another.
    const Colour background = ColourOf(dictionary.Value("/C"));
    const Stroke border = StrokeOf(dictionary, style.stroke ? style.stroke : style.colour);
    if (background) {
        out.SetColour(background, false);
        out.Rectangle(box);
        out.Paint("f");
    }
    if (border.Drawn()) {
        SetStroke(out, border);
        out.Rectangle(box.Inset(border.width / 2, border.width / 2));
        out.Paint("S");
        if (!border.dash.empty()) out.SetDash({});
    }
    const std::string text = ShownBytes(dictionary.Text("/Contents").value_or(""));
    if (text.empty()) return;
    const double pad = (border.Drawn() ? border.width : 0) + 2;
    const Box inner = box.Inset(pad, pad);
    const int64_t quadding = dictionary.Integer("/Q").value_or(0);
    DrawTextLines(out, style, WrappedLines(text, style.size, inner.Width()), inner, quadding, inner.top - style.size * 0.8);
}

// Whether the comment has a normal appearance to draw, as PdfDocument::AppearanceOf finds it:
// /N a form, or a dictionary of forms by state with one for /AS.
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

// A field's entries, each from the widget or the nearest parent that has it, else from the
// form's defaults.
struct Field {
    std::string type;
    int64_t flags = 0;
    TokenList value;  // /V with a reference resolved; for strings the bytes are in text
    std::optional<std::string> text;
    std::string appearanceString;
    int64_t quadding = 0;
    TokenList options;
    int64_t maxLength = 0;
    int64_t topIndex = 0;
};

Dictionary FormDictionary(const PdfDocument& document)
{
    const TokenList catalog = document.objects.ObjectTokens(document.rootReference.objectNumber);
    return Dictionary(document.objects, document.objects.ValueTokens(catalog, ValueIndex(catalog, 0, "/AcroForm")));
}

Field FieldOf(const Annotation& widget)
{
    Field field;
    std::optional<std::string> type, da;
    std::optional<int64_t> flags, quadding, maxLength, topIndex;
    bool haveValue = false, haveOptions = false;
    const ObjectReader& objects = widget.dictionary.Objects();
    Dictionary node = widget.dictionary;
    std::unordered_set<int32_t> visited;
    for (size_t depth = 0; depth < MaxFieldDepth; ++depth) {
        if (!type && node.Has("/FT")) type = node.Name("/FT");
        if (!flags) flags = node.Integer("/Ff");
        if (!quadding) quadding = node.Integer("/Q");
        if (!maxLength) maxLength = node.Integer("/MaxLen");
        if (!topIndex) topIndex = node.Integer("/TI");
        if (!da) da = node.Text("/DA");
        if (!haveValue && node.Has("/V")) {
            field.value = node.Value("/V");
            field.text = node.Text("/V");
            haveValue = true;
        }
        if (!haveOptions && node.Has("/Opt")) {
            field.options = node.Value("/Opt");
            haveOptions = true;
        }
        const auto parent = node.Reference("/Parent");
        if (!parent || !visited.insert(*parent).second) break;
        node = Dictionary(objects, objects.ObjectTokens(*parent));
    }
    if (!da || !quadding) {
        const Dictionary form = FormDictionary(widget.document);
        if (!da) da = form.Text("/DA");
        if (!quadding) quadding = form.Integer("/Q");
    }
    field.type = type.value_or("");
    field.flags = flags.value_or(0);
    field.quadding = quadding.value_or(0);
    field.maxLength = maxLength.value_or(0);
    field.topIndex = topIndex.value_or(0);
    field.appearanceString = da.value_or("");
    return field;
}

// One line of text in the box, centred on its height; size 0 fits the text to the box.
void DrawSingleLine(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t quadding)
{
    if (style.size <= 0) {
        const double width = EstimatedWidth(text, 1);
        style.size = std::min(box.Height() / 1.15, width > 0 ? box.Width() / width : MaxFontSize);
        style.size = std::clamp(style.size, 1.0, MaxFontSize);
    }
    // Capitals centred: their height is about 0.7 of the size.
    const double baseline = (box.bottom + box.top) / 2 - 0.35 * style.size;
    DrawTextLines(out, style, {text}, box, quadding, baseline);
}

// Each character centred in its cell of a comb field: the box split into /MaxLen cells.
void DrawComb(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t cells)
{
    const double cell = box.Width() / static_cast<double>(cells);
    if (style.size <= 0) style.size = std::clamp(std::min(box.Height() / 1.15, cell / 0.7), 1.0, MaxFontSize);
    Scope saved(out, "q", "Q");
    if (!saved) return;
    out.Clip(box);
    Scope shown(out, "BT", "ET");
    if (!shown) return;
    out.Font(style.font, style.size);
    out.SetColour(style.colour, false);
    const double baseline = (box.bottom + box.top) / 2 - 0.35 * style.size;
    for (size_t i = 0; i < text.size() && i < static_cast<size_t>(cells); ++i) {
        const double x = box.left + static_cast<double>(i) * cell + (cell - EstimatedAdvance(static_cast<uint8_t>(text[i])) * style.size) / 2;
        out.ShowText(text.substr(i, 1), {x, baseline});
    }
}

void DrawTextField(ContentWriter& out, const Field& field, const TextStyle& style, const Box& frame, const Box& inner)
{
    std::string text = ShownBytes(field.text.value_or(""));
    if (text.empty()) return;
    if (field.flags & PasswordField) text.assign(text.size(), '*');
    if (field.flags & MultilineField) {
        TextStyle multiline = style;
        if (multiline.size <= 0) multiline.size = 12;
        DrawTextLines(out, multiline, WrappedLines(text, multiline.size, inner.Width()), inner, field.quadding,
                      inner.top - multiline.size * 0.8);
    } else if ((field.flags & CombField) && field.maxLength > 0 && !(field.flags & PasswordField)) {
        DrawComb(out, style, text, frame, std::min<int64_t>(field.maxLength, MaxTextLines));
    } else {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        DrawSingleLine(out, style, text, inner, field.quadding);
    }
}

// The options of a choice field as shown, and whether each is chosen: /Opt holds texts or
// [export shown] pairs, /V one export text or an array of them.
void DrawChoice(ContentWriter& out, const Field& field, TextStyle style, const Box& inner)
{
    std::vector<std::string> chosen;
    if (field.text) chosen.push_back(*field.text);
    else if (!field.value.empty() && field.value[0] == "[") {
        for (const TokenList& element : ArrayElements(field.value, 0)) {
            if (chosen.size() >= MaxTextLines) break;
            if (const auto text = Dictionary::TextOf(element, 0)) chosen.push_back(*text);
        }
    }
    std::vector<std::pair<std::string, bool>> options;
    if (!field.options.empty() && field.options[0] == "[") {
        for (const TokenList& element : ArrayElements(field.options, 0)) {
            if (options.size() >= MaxTextLines) break;
            std::optional<std::string> exported = Dictionary::TextOf(element, 0), shown = exported;
            if (element.size() > 1 && element[0] == "[") {
                const std::vector<TokenList> pair = ArrayElements(element, 0);
                exported = pair.size() > 0 ? Dictionary::TextOf(pair[0], 0) : std::nullopt;
                shown = pair.size() > 1 ? Dictionary::TextOf(pair[1], 0) : exported;
            }
            if (!exported || !shown) continue;
            options.emplace_back(*shown, std::find(chosen.begin(), chosen.end(), *exported) != chosen.end());
        }
    }
    if (field.flags & ComboBox) {
        // A combo box shows its one value, by the name its option shows.
        if (chosen.empty()) return;
        std::string shown = chosen[0];
        for (const TokenList& element : ArrayElements(field.options, 0)) {
            const std::vector<TokenList> pair = element.size() > 1 && element[0] == "[" ? ArrayElements(element, 0) : std::vector<TokenList>{};
            if (pair.size() > 1 && Dictionary::TextOf(pair[0], 0) == chosen[0]) shown = Dictionary::TextOf(pair[1], 0).value_or(shown);
        }
        DrawSingleLine(out, style, ShownBytes(shown), inner, field.quadding);
        return;
    }
    // A list box shows its options from /TI down, the chosen ones on a highlight.
    if (style.size <= 0) style.size = 12;
    const double lineHeight = style.size * 1.15;
    const size_t first = static_cast<size_t>(std::clamp<int64_t>(field.topIndex, 0, static_cast<int64_t>(options.size())));
    std::vector<std::string> lines;
    double top = inner.top;
    for (size_t i = first; i < options.size() && top > inner.bottom; ++i, top -= lineHeight) {
        lines.push_back(ShownBytes(options[i].first));
        if (!options[i].second) continue;
        out.SetColour(ColourOfNumbers({0.6, 0.75, 0.85}), false);
        out.Rectangle({inner.left, std::max(top - lineHeight, inner.bottom), inner.right, top});
        out.Paint("f");
    }
    DrawTextLines(out, style, lines, inner, field.quadding, inner.top - style.size * 0.9);
}

// The mark of a check box or radio button that is on: the /MK /CA character in ZapfDingbats,
// by default a check mark, or a dot for radio buttons.
void DrawMark(ContentWriter& out, const Field& field, const Dictionary& widget, const Dictionary& look, TextStyle style,
              const Box& inner)
{
    // On: /AS names a state other than /Off; without /AS, /V does (and is this widget's state
    // when its appearances name their states).
    std::string state = widget.Name("/AS");
    if (state.empty()) {
        state = field.value.size() == 1 && field.value[0].size() > 1 && field.value[0][0] == '/' ? field.value[0] : "";
        const Dictionary states = widget.Sub("/AP").Sub("/N");
        if (!state.empty() && !states.Empty() && !states.Has(state)) state.clear();
    }
    if (state.empty() || state == "/Off") return;
    const std::string caption = ShownBytes(look.Text("/CA").value_or(""));
    const char mark = !caption.empty() ? caption[0] : (field.flags & RadioButton) ? 'l' : '4';
    // ZapfDingbats widths of the usual marks: check, circle, cross, diamond, square, star.
    static constexpr std::pair<char, double> widths[] = {{'4', 0.846}, {'l', 0.791}, {'8', 0.76},
                                                         {'u', 0.759}, {'n', 0.761}, {'H', 0.816}};
    double width = 0.8;
    for (const auto& [c, w] : widths) {
        if (c == mark) width = w;
    }
    style.font = "/ZaDb";
    if (style.size <= 0) style.size = std::clamp(std::min(inner.Width() / width, inner.Height() / 0.75) * 0.8, 1.0, MaxFontSize);
    Scope saved(out, "q", "Q");
    if (!saved) return;
    out.Clip(inner);
    Scope text(out, "BT", "ET");
    if (!text) return;
    out.Font(style.font, style.size);
    out.SetColour(style.colour, false);
    const Point origin{(inner.left + inner.right - width * style.size) / 2, (inner.bottom + inner.top) / 2 - 0.35 * style.size};
    out.ShowText(std::string(1, mark), origin);
}

void DrawWidget(const Annotation& widget, ContentWriter& out, bool formNeedsAppearances)
{
    const Field field = FieldOf(widget);
    const bool variableText = field.type == "/Tx" || field.type == "/Ch";
    if (HasNormalAppearance(widget.dictionary) && !(formNeedsAppearances && variableText)) return;
    if (!widget.hasRect || field.type.empty() || field.type == "/Sig") return;

    // /MK: background and border colours, caption.
    const Dictionary look = widget.dictionary.Sub("/MK");
    const Colour background = ColourOf(look.Value("/BG"));
    const Stroke border = StrokeOf(widget.dictionary, ColourOf(look.Value("/BC")));
    const Box& frame = widget.rect;
    if (background) {
        out.SetColour(background, false);
        out.Rectangle(frame);
        out.Paint("f");
    }
    if (border.Drawn()) {
        SetStroke(out, border);
        const double half = border.width / 2;
        if (border.style == 'U') {
            out.Move({frame.left, frame.bottom + half});
            out.Line({frame.right, frame.bottom + half});
        } else {
            out.Rectangle(frame.Inset(half, half));
        }
        out.Paint("S");
        if (!border.dash.empty()) out.SetDash({});
    }
    const double borderWidth = border.Drawn() ? border.width : 0;
    // Beveled and inset borders take twice their width inside the frame.
    const double pad = (border.style == 'B' || border.style == 'I' ? 2 * borderWidth : borderWidth) + 2;
    const Box inner = frame.Inset(pad, std::min(pad, frame.Height() / 4));
    const TextStyle style = StyleOf(field.appearanceString);
    if (field.type == "/Tx") {
        DrawTextField(out, field, style, frame, inner);
    } else if (field.type == "/Ch") {
        DrawChoice(out, field, style, inner);
    } else if (field.type == "/Btn" && (field.flags & PushButton)) {
        const std::string caption = ShownBytes(look.Text("/CA").value_or(""));
        if (!caption.empty()) DrawSingleLine(out, style, caption, inner, 1);
    } else if (field.type == "/Btn") {
        DrawMark(out, field, widget.dictionary, look, style, inner);
    }
}

struct Painter {
    std::string_view subtype;
    void (*draw)(const Annotation&, ContentWriter&);
};

constexpr Painter Painters[] = {
    {"/Square", DrawSquare},       {"/Circle", DrawCircle},       {"/Line", DrawLine},
    {"/Polygon", DrawPolygon},     {"/PolyLine", DrawPolyLineComment}, {"/Ink", DrawInk},
    {"/Highlight", DrawHighlight}, {"/Underline", DrawUnderline}, {"/StrikeOut", DrawStrikeOut},
    {"/Squiggly", DrawSquiggly},   {"/FreeText", DrawFreeText},
};

}  // namespace

bool FormNeedsAppearances(const PdfDocument& document)
{
    const TokenList value = FormDictionary(document).Value("/NeedAppearances");
    return value.size() == 1 && value[0] == "true";
}

std::optional<FormContent> SynthesizedAppearance(const PdfDocument& document, const AnnotationRecord& comment,
                                                 bool formNeedsAppearances)
{
    std::optional<int32_t> position;
    if (comment.directStart > 0) position = comment.directStart;
    else if (comment.objectNumber > 0) position = document.objects.ValuePosition(comment.objectNumber);
    if (!position) return std::nullopt;
    Annotation annotation{document, Dictionary(document.objects, document.objects.DictionaryAt(*position)), {}, false};
    const Dictionary& dictionary = annotation.dictionary;
    if (dictionary.Integer("/F").value_or(0) & HiddenFlags) return std::nullopt;

    const std::vector<double> rect = NumbersOf(dictionary.Value("/Rect"), 4);
    if (rect.size() == 4) {
        annotation.rect = {std::min(rect[0], rect[2]), std::min(rect[1], rect[3]), std::max(rect[0], rect[2]),
                           std::max(rect[1], rect[3])};
        annotation.hasRect = annotation.rect.HasArea();
    }
    ContentWriter out;
    const std::string subtype = dictionary.Name("/Subtype");
    if (subtype == "/Widget") {
        DrawWidget(annotation, out, formNeedsAppearances);
    } else {
        const auto painter = std::find_if(std::begin(Painters), std::end(Painters),
                                          [&subtype](const Painter& p) { return p.subtype == subtype; });
        if (painter == std::end(Painters) || HasNormalAppearance(dictionary)) return std::nullopt;
        painter->draw(annotation, out);
    }
    if (!out.Painted()) return std::nullopt;

    FormContent form;
    form.content = std::make_shared<const std::string>(out.Text());
    // Without a rectangle the box is what the drawing covers, with room for wide lines.
    Box box = annotation.rect;
    if (!annotation.hasRect) {
        const double margin = std::max(3 * StrokeOf(dictionary, {}).width, 4.5);
        box = out.Covered().Inset(-margin, -margin);
    }
    form.box[0] = box.left, form.box[1] = box.bottom, form.box[2] = box.right, form.box[3] = box.top;
    return form;
}

}  // namespace folivo
