// What the drawing interpreter tells a device: paths filled, stroked or clipping, glyphs, pictures
// and shadings, each with the full graphics state that applies. A painter draws them; a recorder
// in the tests writes them down. Coordinates are user space; the matrix given with each call
// takes them to the page's default space (points, y up).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "content/ContentInterpreter.h"
#include "content/TextFont.h"

namespace folivo {

// A path as the content built it, in user space.
struct DevicePath {
    enum class Verb : uint8_t { Move, Line, Curve, Close };
    std::vector<Verb> verbs;
    // x, y pairs: one for a move or line, three for a curve, none for a close.
    std::vector<double> points;

    bool Empty() const { return verbs.empty(); }
    void Clear()
    {
        verbs.clear();
        points.clear();
    }
};

// Device colours are RGB in 0 ... 1; grey and CMYK arrive converted.
struct DeviceColour {
    double red = 0, green = 0, blue = 0;
};

// Grey (1), RGB (3) or CMYK (4) components in 0 ... 1 as a device colour; other counts: black.
DeviceColour ColourOfComponents(const double* values, size_t count);

// How an area or line is painted: a colour, or the pattern object named by the colour
// operator (0: none; an uncoloured pattern paints in `colour`), with the constant opacity of
// the graphics state.
struct DevicePaint {
    DeviceColour colour;
    double alpha = 1;
    int32_t pattern = 0;
};

struct DeviceStroke {
    double width = 1;
    int cap = 0;   // 0 butt, 1 round, 2 projecting square
    int join = 0;  // 0 miter, 1 round, 2 bevel
    double miterLimit = 10;
    std::vector<double> dash;
    double dashPhase = 0;
};

// One glyph to draw. `matrix` takes the font's unit text space (a glyph outline whose em is 1)
// to the page: font size, horizontal scaling, rise, text matrix and current matrix together.
// Type 3 glyphs never arrive here: their procedures run as content.
struct DeviceGlyph {
    std::shared_ptr<const TextFont> font;
    // The byte of a simple font, the CID of a composite one.
    uint32_t code = 0;
    Matrix matrix;
    // 0 fill, 1 stroke, 2 both, 3 invisible; 4-7 the same and then clip.
    int renderMode = 0;
    DevicePaint fill;
    DevicePaint stroke;
    DeviceStroke strokeStyle;
    Matrix ctm;  // for the stroke's width
};

// A soft mask set by an ExtGState: the group's luminosity (or its alpha) as drawn with `ctm`
// gives the opacity of everything painted while it is in force.
struct DeviceSoftMask {
    int32_t group = 0;  // the form object; 0: no mask (/None)
    bool luminosity = true;
    // Luminosity masks: the colour the group is drawn on.
    DeviceColour backdrop;
    Matrix ctm;
};

class OutputDevice {
public:
    virtual ~OutputDevice() = default;

    // q and Q: the clip belongs to the saved state.
    virtual void SaveState() {}
    virtual void RestoreState() {}
    virtual void FillPath(const DevicePath& path, const Matrix& ctm, bool evenOdd, const DevicePaint& paint) = 0;
    virtual void StrokePath(const DevicePath& path, const Matrix& ctm, const DeviceStroke& stroke, const DevicePaint& paint) = 0;
    // Narrows the clip to the path (after the path was painted, as W n does).
    virtual void ClipPath(const DevicePath& path, const Matrix& ctm, bool evenOdd) = 0;
    virtual void DrawGlyph(const DeviceGlyph& glyph) = 0;
    // The advance of a glyph whose font gives no width, in unit text space; none: no advance.
    virtual std::optional<double> GlyphAdvance(const TextFont&, uint32_t) { return std::nullopt; }
    // A text object ends: glyphs drawn in modes 4-7 since it began now narrow the clip.
    virtual void EndText() {}
    // A picture of the document's list (inline: of its inline pictures) on the unit square that
    // ctm places; a stencil is painted in `fill`. Index -1: a picture that could not be decoded.
    virtual void DrawPicture(int32_t index, bool inlinePicture, const Matrix& ctm, const DevicePaint& fill) = 0;
    // A soft mask is in force from now until the state is restored (none: no mask).
    virtual void SetSoftMask(const std::optional<DeviceSoftMask>&) {}
    // sh: the shading object fills the clip; `ctm` maps the shading's space to the page.
    virtual void FillShading(int32_t shading, const Matrix& ctm, double alpha) = 0;
};

}  // namespace folivo
