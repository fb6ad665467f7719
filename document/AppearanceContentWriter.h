// Content of a made appearance as it is written: points and boxes in the page's default space,
// device colours, and a bounded writer whose begun paths, text objects and saved states always end.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace folivo::synthesis {

// Far beyond any page (the largest is 14,400 points), and short to write without exponents.
inline constexpr double CoordinateLimit = 1e5;

// The value within ±limit; NaN becomes 0.
double Clamped(double value, double limit = CoordinateLimit);

struct Point {
    double x = 0, y = 0;
};

inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
inline Point operator*(double s, Point a) { return {s * a.x, s * a.y}; }

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

// A device colour of 1, 3 or 4 components; none (0) draws nothing.
struct Colour {
    size_t components = 0;
    double values[4] = {0, 0, 0, 0};
    explicit operator bool() const { return components != 0; }
};

// The content being written, bounded: once past its soft limit nothing new begins, and what was
// begun still ends, so the operators always pair up.
class ContentWriter {
public:
    // Whether there is room to begin something new; once there is none, there never is again.
    bool Open();
    // A state operator with its operands.
    void Operator(std::initializer_list<double> operands, std::string_view op);
    void SetColour(const Colour& colour, bool stroking);
    void SetDash(const std::vector<double>& dash);
    void Font(const std::string& name, double size);

    void Move(Point p) { Segment({p}, "m"); }
    void Line(Point p) { Segment({p}, "l"); }
    void Curve(Point a, Point b, Point c) { Segment({a, b, c}, "c"); }
    void Rectangle(const Box& box);
    void Ellipse(Point centre, double rx, double ry);
    void Close();
    // Paints the path begun (f, S, B, or n for a clip); nothing when none was begun.
    void Paint(std::string_view op);
    void Clip(const Box& box);

    // q or BT; End writes the operator that closes it.
    bool Begin(std::string_view op);
    void End(std::string_view op);
    // A line of text with its baseline starting at p; the string is cut where the room ends.
    void ShowText(std::string_view bytes, Point p);

    const std::string& Text() const { return text_; }
    bool Painted() const { return painted_; }
    // What the path points and text origins cover; no area when nothing was drawn.
    const Box& Covered() const { return covered_; }

private:
    void Number(double value);
    void Segment(std::initializer_list<Point> points, std::string_view op);
    void Cover(Point p);

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

}  // namespace folivo::synthesis
