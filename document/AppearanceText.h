// Text in made appearances: shown as the standard fonts' bytes, measured by estimate, wrapped
// into lines and set in a box clipped to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/AppearanceContentWriter.h"
#include "document/AppearanceEntries.h"

namespace folivo::synthesis {

inline constexpr size_t MaxTextLines = 1024;
// The size of text whose /DA leaves it to be fitted, where nothing is fitted.
inline constexpr double DefaultFontSize = 12;
// From one baseline to the next, in units of the font size.
inline constexpr double LineSpacing = 1.15;

// Text as the standard fonts show it: Windows-1252 bytes, '?' for what they lack.
std::string ShownBytes(std::string_view text);

// A character's advance in ems, after Helvetica's proportions: close enough to wrap and align.
double EstimatedAdvance(uint8_t c);
double EstimatedWidth(std::string_view bytes, double size);

// Lines of the text, each no wider than `width`: broken at line ends, then between words, and
// inside a word only when it alone is too wide.
std::vector<std::string> WrappedLines(const std::string& text, double size, double width);

// The baseline that centres capitals on the box's height: their height is about 0.7 of the size.
double CentredBaseline(const Box& box, double size);

// q, the box as the clip, BT with the style's font and fill colour, then `show`; ET and Q after.
// Nothing is shown when the content has no room left.
void ShowClippedText(ContentWriter& out, const TextStyle& style, const Box& clip, const std::function<void()>& show);

// Lines from the top of the box down, aligned by /Q (0 left, 1 centre, 2 right), clipped to the
// box. The first baseline lies one ascent below the top.
void DrawTextLines(ContentWriter& out, const TextStyle& style, const std::vector<std::string>& lines, const Box& box,
                   int64_t quadding, double firstBaseline);

// The text wrapped to the box's width and set from its top, in DefaultFontSize when /DA gives none.
void DrawWrappedText(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t quadding);

}  // namespace folivo::synthesis
