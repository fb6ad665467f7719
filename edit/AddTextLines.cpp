// The text object that adding text writes, and the new content around the old bytes.
#include "edit/AddTextLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

#include "pdfwrite/PdfOutput.h"

namespace folivo {

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Locale-independent: content streams always use "." as the decimal point.
std::string FormatDouble(double value, std::chars_format format, int precision)
{
    if (!std::isfinite(value)) value = 0;
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, format, precision);
    if (result.ec != std::errc()) return "0";
    return std::string(text, result.ptr);
}

}  // namespace

std::string ColorComponentText(uint8_t component)
{
    return FormatDouble(component / 255.0, std::chars_format::general, 15);
}

std::string TwoDecimalsText(double value) { return FormatDouble(value, std::chars_format::fixed, 2); }

AddedTextBlock BuildAddedTextBlock(const AddTextSettings& settings, double x, double y)
{
    const int size = std::clamp(settings.fontSize, 1, 1000);
    const std::string sizeText = std::to_string(size);
    const uint32_t color = settings.color;
    const std::string rg = ColorComponentText(color & 0xFF) + " " + ColorComponentText((color >> 8) & 0xFF) + " " +
                           ColorComponentText((color >> 16) & 0xFF) + " rg";

    // Each text line is a matrix line and a show line; consecutive lines are one size apart.
    std::vector<std::string> textLines;
    const std::string xText = TwoDecimalsText(x);
    for (size_t i = 0; i < settings.lines.size(); ++i) {
        const double lineY = y - static_cast<double>(size) * static_cast<double>(i);
        textLines.push_back(sizeText + " 0 0 " + sizeText + " " + xText + " " + TwoDecimalsText(lineY) + " Tm");
        textLines.push_back("(" + EscapeLiteralString(settings.lines[i]) + ")Tj");
    }

    auto line = [](std::string& block, std::string_view text) {
        block.append(text);
        block.append(LineEnd);
    };
    AddedTextBlock block;
    const std::string head = "1 0 0 1 0 0 cm";
    const std::string font = settings.SelectedFontName() + " 1 Tf";
    if (!settings.pasteInBack) {
        line(block.before, "q");
        line(block.after, "Q");
        line(block.after, head);
        line(block.after, rg);
        line(block.after, "BT");
        line(block.after, font);
        for (const std::string& text : textLines) line(block.after, text);
        line(block.after, "ET");
    } else {
        line(block.before, "q");
        line(block.before, head);
        line(block.before, rg);
        line(block.before, "BT");
        line(block.before, font);
        // Behind all objects the last line is written first.
        for (size_t i = textLines.size(); i >= 2; i -= 2) {
            line(block.before, textLines[i - 2]);
            line(block.before, textLines[i - 1]);
        }
        line(block.before, "ET");
        line(block.before, "Q");
    }
    return block;
}

std::string ContentWithAddedText(std::string_view oldContent, const AddedTextBlock& block, bool pasteInBack)
{
    std::string content;
    content.reserve(block.before.size() + oldContent.size() + LineEnd.size() + block.after.size());
    content += block.before;
    content += oldContent;
    // The old bytes stay exactly as they were; only a missing line end before the added lines
    // is supplied.
    if (!pasteInBack && !oldContent.empty() && oldContent.back() != '\r' && oldContent.back() != '\n')
        content += LineEnd;
    content += block.after;
    return content;
}

}  // namespace folivo
