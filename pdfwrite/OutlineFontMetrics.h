// The metrics of the display font that the protection describes in its font descriptor.
#pragma once

#include <string>

namespace folivo {

// The font chosen with the font dialog: the page view's display font.
struct DisplayFont {
    std::string family = "Arial";  // face name, Windows-1252 bytes
    bool bold = false;
    bool italic = false;
    int pixelHeight = 15;  // character height in pixels
};

// What the platform reports of a font at its pixel size, in pixels.
struct FontMeasurement {
    // Outline metrics are available (a scalable font); otherwise the plain ones below.
    bool hasOutline = false;
    // Outline: the font box and the italic angle in tenths of a degree; the descent is
    // negative.
    int boxLeft = 0, boxBottom = 0, boxRight = 0, boxTop = 0;
    int italicAngle = 0;
    // Plain: character height and maximum character width; the descent is positive.
    int height = 0;
    int maxCharWidth = 0;
    int ascent = 0;
    int descent = 0;
    // Character codes of the single-byte text metrics, within 0 ... 255.
    int firstChar = 32;
    int lastChar = 255;
    // Advance of the one-character string of each code, whole pixels.
    int widths[256] = {};
};

class OutlineFontMetrics {
public:
    virtual ~OutlineFontMetrics() = default;
    virtual FontMeasurement Measure(const DisplayFont& font) = 0;
};

}  // namespace folivo
