// Text in made appearances: bytes, estimated widths, wrapping and setting within a box.
#include "document/AppearanceText.h"

#include "core/Windows1252.h"
#include "document/AppearanceSynthesis.h"
#include "model/TextStrings.h"

namespace folivo::synthesis {

namespace {

// Longer texts could never fit into the content anyway.
constexpr size_t MaxTextBytes = MaxSynthesizedContent;

}  // namespace

std::string ShownBytes(std::string_view text)
{
    std::string bytes;
    for (const char32_t c : Utf8ToCodePoints(PdfTextToUtf8(text.substr(0, MaxTextBytes)))) {
        if (c == '\r' || c == '\n' || c == '\t') bytes += static_cast<char>(c);
        else bytes += static_cast<char>(Windows1252OfUnicode(c).value_or('?'));
    }
    return bytes;
}

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

double CentredBaseline(const Box& box, double size) { return (box.bottom + box.top) / 2 - 0.35 * size; }

void ShowClippedText(ContentWriter& out, const TextStyle& style, const Box& clip, const std::function<void()>& show)
{
    Scope saved(out, "q", "Q");
    if (!saved) return;
    out.Clip(clip);
    Scope text(out, "BT", "ET");
    if (!text) return;
    out.Font(style.font, style.size);
    out.SetColour(style.colour, false);
    show();
}

void DrawTextLines(ContentWriter& out, const TextStyle& style, const std::vector<std::string>& lines, const Box& box,
                   int64_t quadding, double firstBaseline)
{
    ShowClippedText(out, style, box, [&] {
        const double lineHeight = style.size * LineSpacing;
        double y = firstBaseline;
        for (const std::string& line : lines) {
            if (y < box.bottom - style.size) break;
            const double free = box.Width() - EstimatedWidth(line, style.size);
            const double x = box.left + (quadding == 1 ? free / 2 : quadding == 2 ? free : 0);
            out.ShowText(line, {x, y});
            y -= lineHeight;
        }
    });
}

void DrawWrappedText(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t quadding)
{
    if (style.size <= 0) style.size = DefaultFontSize;
    DrawTextLines(out, style, WrappedLines(text, style.size, box.Width()), box, quadding, box.top - style.size * 0.8);
}

}  // namespace folivo::synthesis
