// Writing a made appearance's content operators, within MaxSynthesizedContent.
#include "document/AppearanceContentWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "document/AppearanceSynthesis.h"

namespace folivo::synthesis {

namespace {

// What the operators that end a begun path, text object or saved state take together: past the
// soft limit nothing new begins, so the content never passes MaxSynthesizedContent.
constexpr size_t ClosingRoom = 256;
// How far a quarter ellipse's control points lie from its ends, as a fraction of the radius.
constexpr double Kappa = 0.5522847498307936;

}  // namespace

double Clamped(double value, double limit)
{
    return std::isnan(value) ? 0 : std::clamp(value, -limit, limit);
}

bool ContentWriter::Open()
{
    if (text_.size() + ClosingRoom >= MaxSynthesizedContent) full_ = true;
    return !full_;
}

void ContentWriter::Operator(std::initializer_list<double> operands, std::string_view op)
{
    if (!Open()) return;
    for (const double value : operands) Number(value);
    text_ += op;
    text_ += '\n';
}

void ContentWriter::SetColour(const Colour& colour, bool stroking)
{
    if (!colour) return;
    static constexpr const char* fill[5] = {"", "g", "", "rg", "k"};
    static constexpr const char* stroke[5] = {"", "G", "", "RG", "K"};
    if (!Open()) return;
    for (size_t i = 0; i < colour.components; ++i) Number(colour.values[i]);
    text_ += (stroking ? stroke : fill)[colour.components];
    text_ += '\n';
}

void ContentWriter::SetDash(const std::vector<double>& dash)
{
    if (!Open()) return;
    text_ += '[';
    for (const double value : dash) Number(value);
    if (text_.back() == ' ') text_.pop_back();
    text_ += "] 0 d\n";
}

void ContentWriter::Font(const std::string& name, double size)
{
    if (!Open()) return;
    text_ += name;
    text_ += ' ';
    Number(size);
    text_ += "Tf\n";
}

void ContentWriter::Rectangle(const Box& box)
{
    if (!Open()) return;
    Cover({box.left, box.bottom});
    Cover({box.right, box.top});
    for (const double value : {box.left, box.bottom, box.Width(), box.Height()}) Number(value);
    text_ += "re\n";
    pathOpen_ = true;
}

void ContentWriter::Ellipse(Point centre, double rx, double ry)
{
    const double kx = Kappa * rx, ky = Kappa * ry;
    Move({centre.x + rx, centre.y});
    Curve({centre.x + rx, centre.y + ky}, {centre.x + kx, centre.y + ry}, {centre.x, centre.y + ry});
    Curve({centre.x - kx, centre.y + ry}, {centre.x - rx, centre.y + ky}, {centre.x - rx, centre.y});
    Curve({centre.x - rx, centre.y - ky}, {centre.x - kx, centre.y - ry}, {centre.x, centre.y - ry});
    Curve({centre.x + kx, centre.y - ry}, {centre.x + rx, centre.y - ky}, {centre.x + rx, centre.y});
    Close();
}

void ContentWriter::Close()
{
    if (pathOpen_ && Open()) text_ += "h\n";
}

void ContentWriter::Paint(std::string_view op)
{
    if (!pathOpen_) return;
    text_ += op;
    text_ += '\n';
    pathOpen_ = false;
    if (op != "n") painted_ = true;
}

void ContentWriter::Clip(const Box& box)
{
    Rectangle(box);
    if (pathOpen_) text_ += "W ";
    Paint("n");
}

bool ContentWriter::Begin(std::string_view op)
{
    if (!Open()) return false;
    text_ += op;
    text_ += '\n';
    return true;
}

void ContentWriter::End(std::string_view op)
{
    text_ += op;
    text_ += '\n';
}

void ContentWriter::ShowText(std::string_view bytes, Point p)
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

// Fixed with three decimals at most, trailing zeros dropped: never an exponent, never "-0".
void ContentWriter::Number(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, Clamped(value), std::chars_format::fixed, 3);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
    text_ += text == "-0" ? "0" : text;
    text_ += ' ';
}

void ContentWriter::Segment(std::initializer_list<Point> points, std::string_view op)
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

void ContentWriter::Cover(Point p)
{
    const double x = Clamped(p.x), y = Clamped(p.y);
    if (!covering_) covered_ = {x, y, x, y};
    covering_ = true;
    covered_ = {std::min(covered_.left, x), std::min(covered_.bottom, y), std::max(covered_.right, x),
                std::max(covered_.top, y)};
}

}  // namespace folivo::synthesis
