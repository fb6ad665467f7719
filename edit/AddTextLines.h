// The lines that adding text writes into a page's content, apart from the page itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "edit/AddTextSettings.h"

namespace folivo {

// The added lines (each ended by CR LF) that go in front of and behind the old content.
struct AddedTextBlock {
    std::string before;
    std::string after;
};

// The text object for the settings' lines at x, y (points; y is the first baseline).
AddedTextBlock BuildAddedTextBlock(const AddTextSettings& settings, double x, double y);

// The new page content: the block around the old bytes, which stay exactly as they were.
std::string ContentWithAddedText(std::string_view oldContent, const AddedTextBlock& block, bool pasteInBack);

// A colour component 0 ... 255 as a fraction of 255 in shortest form, up to 15 digits.
std::string ColorComponentText(uint8_t component);

// The value with exactly two decimals and "." as decimal point.
std::string TwoDecimalsText(double value);

}  // namespace folivo
