// Comments drawn from their dictionaries: each kind's shape in its outline (/C, /BS or /Border)
// and interior (/IC) colours, as readers draw the comments that a file leaves to them.
#include "document/CommentAppearanceSynthesis.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "document/AppearanceSynthesis.h"
#include "document/AppearanceText.h"
#include "syntax/DictionaryTokens.h"

namespace folivo::synthesis {

namespace {

// The outline in /C.
Stroke OutlineOf(const Dictionary& dictionary) { return StrokeOf(dictionary, ColourOf(dictionary.Value("/C"))); }

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
    const Stroke stroke = OutlineOf(annotation.dictionary);
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
    return {AsName(names[1]), AsName(names[2])};
}

// A path through the points, closed or open, with its endings; as plain lines without interior.
void DrawPolyline(const Annotation& annotation, ContentWriter& out, const std::vector<Point>& points, bool closed)
{
    const Stroke stroke = OutlineOf(annotation.dictionary);
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
    const Stroke stroke = OutlineOf(annotation.dictionary);
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

// A zigzag along the foot of the box, its height after the box's.
void DrawSquiggle(ContentWriter& out, const Box& box, double width)
{
    const double amplitude = std::max(box.Height() / 16, 0.5), step = 2 * amplitude;
    const double base = box.bottom + width / 2;
    const double steps = std::min(std::ceil(box.Width() / step), static_cast<double>(MaxSynthesizedVertices - 1));
    out.Move({box.left, base});
    for (size_t i = 1; i <= static_cast<size_t>(steps); ++i)
        out.Line({std::min(box.left + static_cast<double>(i) * step, box.right), base + (i % 2 ? 2 * amplitude : 0)});
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
            DrawSquiggle(out, box, width);
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

void DrawFreeText(const Annotation& annotation, ContentWriter& out)
{
    if (!annotation.hasRect) return;
    const Dictionary& dictionary = annotation.dictionary;
    const TextStyle style = StyleOf(dictionary.Text("/DA").value_or(""));
    const Box box = InnerRectangle(annotation);
    // The box's background is /C; its frame takes the text's colour unless /DA strokes in another.
    const Stroke border = StrokeOf(dictionary, style.stroke ? style.stroke : style.colour);
    DrawBackgroundAndBorder(out, box, ColourOf(dictionary.Value("/C")), border, false);
    const std::string text = ShownBytes(dictionary.Text("/Contents").value_or(""));
    if (text.empty()) return;
    const double pad = (border.Drawn() ? border.width : 0) + 2;
    DrawWrappedText(out, style, text, box.Inset(pad, pad), dictionary.Integer("/Q").value_or(0));
}

// A link shows a frame only when the file gives it one: a /Border or /BS of some width, in /C.
void DrawLink(const Annotation& annotation, ContentWriter& out)
{
    const Dictionary& dictionary = annotation.dictionary;
    if (!annotation.hasRect || (dictionary.Sub("/BS").Empty() && dictionary.Value("/Border").empty())) return;
    const Stroke stroke = OutlineOf(dictionary);
    if (!stroke.Drawn()) return;
    SetStroke(out, stroke);
    out.Rectangle(annotation.rect.Inset(stroke.width / 2, stroke.width / 2));
    out.Paint(PaintOperator(false, true));
}

struct Painter {
    std::string_view subtype;
    CommentPainter draw;
};

constexpr Painter Painters[] = {
    {"/Square", DrawSquare},       {"/Circle", DrawCircle},       {"/Line", DrawLine},
    {"/Polygon", DrawPolygon},     {"/PolyLine", DrawPolyLineComment}, {"/Ink", DrawInk},
    {"/Highlight", DrawHighlight}, {"/Underline", DrawUnderline}, {"/StrikeOut", DrawStrikeOut},
    {"/Squiggly", DrawSquiggly},   {"/FreeText", DrawFreeText},   {"/Link", DrawLink},
};

}  // namespace

CommentPainter CommentPainterOf(std::string_view subtype)
{
    const auto painter = std::find_if(std::begin(Painters), std::end(Painters),
                                      [&subtype](const Painter& p) { return p.subtype == subtype; });
    return painter != std::end(Painters) ? painter->draw : nullptr;
}

}  // namespace folivo::synthesis
