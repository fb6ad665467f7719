// What the interpreter measures text with: the page view's canvas and its display font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Windows1252.h"

namespace folivo {

class MeasuringCanvas {
public:
    virtual ~MeasuringCanvas() = default;

    // Horizontal pixels per inch of the canvas.
    virtual int PixelsPerInch() const = 0;

    // Selects the display font at a character height (em height) in pixels, at least 1.
    virtual void SelectDisplayFont(int pixelHeight) = 0;
    // Gives the display font a style (FontStyleBits) until the next call; 0 is the plain font.
    virtual void SelectDisplayStyle(uint8_t style) { (void)style; }

    // Extent of a Windows-1252 text in the selected font, in whole pixels as the platform's
    // text extent gives them.
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    // Extent of a UTF-8 text. By default its Windows-1252 form, '?' for other characters.
    virtual int UnicodeTextWidth(std::string_view text)
    {
        std::string bytes;
        for (char32_t c : Utf8ToCodePoints(text)) bytes += static_cast<char>(Windows1252OfUnicode(c).value_or('?'));
        return TextWidth(bytes);
    }
};

}  // namespace folivo
