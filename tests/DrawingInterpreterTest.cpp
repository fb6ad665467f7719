// The drawing interpreter tells its device everything the page paints, with the whole state:
// each case runs a little content and compares what a recording device wrote down.
#include <gtest/gtest.h>

#include "content/DrawingInterpreter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace folivo::test {
namespace {

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::abs(value) < 1e-9 ? 0.0 : value);
    return text;
}

std::string MatrixText(const Matrix& m)
{
    return "[" + Number(m.a) + " " + Number(m.b) + " " + Number(m.c) + " " + Number(m.d) + " " + Number(m.e) + " " +
           Number(m.f) + "]";
}

std::string PathText(const DevicePath& path)
{
    std::string text;
    size_t at = 0;
    for (const DevicePath::Verb verb : path.verbs) {
        const size_t count = verb == DevicePath::Verb::Curve ? 6 : verb == DevicePath::Verb::Close ? 0 : 2;
        text += verb == DevicePath::Verb::Move ? "M" : verb == DevicePath::Verb::Line ? "L" : verb == DevicePath::Verb::Curve ? "C" : "Z";
        for (size_t k = 0; k < count; ++k) text += (k ? "," : "") + Number(path.points[at + k]);
        at += count;
    }
    return text;
}

std::string PaintText(const DevicePaint& paint)
{
    if (paint.pattern) return "pattern " + std::to_string(paint.pattern);
    std::string text = Number(paint.colour.red) + "/" + Number(paint.colour.green) + "/" + Number(paint.colour.blue);
    if (paint.alpha != 1) text += " a" + Number(paint.alpha);
    return text;
}

// Writes down every call, one line each.
class RecordingDevice : public OutputDevice {
public:
    std::vector<std::string> calls;

    void SaveState() override { calls.push_back("save"); }
    void RestoreState() override { calls.push_back("restore"); }
    void FillPath(const DevicePath& path, const Matrix& ctm, bool evenOdd, const DevicePaint& paint) override
    {
        calls.push_back(std::string(evenOdd ? "eofill " : "fill ") + PathText(path) + " " + MatrixText(ctm) + " " + PaintText(paint));
    }
    void StrokePath(const DevicePath& path, const Matrix&, const DeviceStroke& stroke, const DevicePaint& paint) override
    {
        std::string dash;
        for (double d : stroke.dash) dash += " " + Number(d);
        calls.push_back("stroke " + PathText(path) + " w" + Number(stroke.width) + " cap" + std::to_string(stroke.cap) +
                        " join" + std::to_string(stroke.join) + " dash[" + dash + " ]" + Number(stroke.dashPhase) + " " +
                        PaintText(paint));
    }
    void ClipPath(const DevicePath& path, const Matrix&, bool evenOdd) override
    {
        calls.push_back(std::string(evenOdd ? "eoclip " : "clip ") + PathText(path));
    }
    void DrawGlyph(const DeviceGlyph& glyph) override
    {
        calls.push_back("glyph " + std::to_string(glyph.code) + " " + MatrixText(glyph.matrix) + " mode" +
                        std::to_string(glyph.renderMode) + " " + PaintText(glyph.fill));
    }
    std::optional<double> GlyphAdvance(const TextFont&, uint32_t) override { return 0.5; }
    void EndText() override { calls.push_back("endtext"); }
    void DrawPicture(int32_t index, bool inlinePicture, const Matrix& ctm, const DevicePaint&) override
    {
        calls.push_back("picture " + std::to_string(index) + (inlinePicture ? " inline " : " ") + MatrixText(ctm));
    }
    void FillShading(int32_t shading, const Matrix& ctm, double alpha) override
    {
        calls.push_back("shading " + std::to_string(shading) + " " + MatrixText(ctm) + " a" + Number(alpha));
    }
};

// A simple font: every code 600 wide; code 32 a space.
std::shared_ptr<const TextFont> MonoFont()
{
    auto font = std::make_shared<TextFont>();
    font->objectNumber = 9;
    for (size_t i = 0; i < 256; ++i) {
        font->widths[i] = 600;
        font->widthPresent[i] = 1;
    }
    return font;
}

std::vector<std::string> Draw(const std::string& content)
{
    TDynaArray<ImageObject> pictures{nullptr};
    ImageObject* picture = pictures.Append();
    picture->name = MakeText("/Im1");
    DrawingInterpreter::Sources sources{pictures};
    sources.font = [](const std::string& name, int32_t) { return name == "/F1" ? MonoFont() : nullptr; };
    sources.form = [](const std::string& name, int32_t) -> std::optional<FormContent> {
        if (name != "/Fm1") return std::nullopt;
        FormContent form{std::make_shared<const std::string>("0 0 1 rg 0 0 5 5 re f q"), {2, 0, 0, 2, 10, 10}, 7, {0, 0, 5, 5}};
        return form;
    };
    sources.resource = [](const char* kind, const std::string& name, int32_t) -> std::optional<int32_t> {
        if (std::string(kind) == "/Shading" && name == "/Sh1") return 21;
        if (std::string(kind) == "/Pattern" && name == "/P1") return 22;
        return std::nullopt;
    };
    sources.graphicsState = [](const std::string& name, int32_t) {
        GraphicsStateParameters parameters;
        if (name == "/GS1") {
            parameters.fillAlpha = 0.5;
            parameters.lineWidth = 3;
            parameters.dash = std::vector<double>{2, 1};
        }
        return parameters;
    };
    sources.undecodedPicture = [](const std::string& name) { return name == "/Broken"; };
    sources.inlinePicture = [](const TokenList&, std::string_view data) -> std::optional<int32_t> {
        return data.size() == 3 ? std::optional<int32_t>(4) : std::nullopt;
    };
    RecordingDevice device;
    DrawingInterpreter interpreter(sources, device);
    FileBuffer buffer{reinterpret_cast<const uint8_t*>(content.data()), static_cast<int32_t>(content.size()), 0};
    interpreter.Run(buffer);
    ReleaseText(picture->name);
    return device.calls;
}

using Calls = std::vector<std::string>;

TEST(DrawingInterpreter, PathsColoursAndState)
{
    struct Case {
        const char* content;
        Calls calls;
    };
    const Case cases[] = {
        {"1 0 0 rg 10 20 m 30 40 l 50 60 70 80 90 100 c h f",
         {"fill M10,20L30,40C50,60,70,80,90,100Z [1 0 0 1 0 0] 1/0/0"}},
        // v takes the current point as its first control point, y its end as the second.
        {"0 0 m 1 1 2 2 v 3 3 4 4 y S", {"stroke M0,0C0,0,1,1,2,2C3,3,4,4,4,4 w1 cap0 join0 dash[ ]0 0/0/0"}},
        {"2 0 0 2 5 5 cm 0 0 10 10 re 0.5 g B*",
         {"eofill M0,0L10,0L10,10L0,10Z [2 0 0 2 5 5] 0.5/0.5/0.5", "stroke M0,0L10,0L10,10L0,10Z w1 cap0 join0 dash[ ]0 0/0/0"}},
        {"4 w 1 J 2 j [3 1] 2 d 0 0 1 0 K 0 0 m 5 0 l S", {"stroke M0,0L5,0 w4 cap1 join2 dash[ 3 1 ]2 1/1/0"}},
        {"/GS1 gs 0 0 m 1 1 l B", {"fill M0,0L1,1 [1 0 0 1 0 0] 0/0/0 a0.5", "stroke M0,0L1,1 w3 cap0 join0 dash[ 2 1 ]0 0/0/0"}},
        // The clip follows the painting of its path; q and Q bracket it for the device.
        {"q 0 0 5 5 re W n 1 0 0 RG 0 0 m 9 9 l S Q", {"save", "clip M0,0L5,0L5,5L0,5Z", "stroke M0,0L9,9 w1 cap0 join0 dash[ ]0 1/0/0", "restore"}},
        {"0 0 5 5 re W* f", {"fill M0,0L5,0L5,5L0,5Z [1 0 0 1 0 0] 0/0/0", "eoclip M0,0L5,0L5,5L0,5Z"}},
        {"/Pattern cs /P1 scn 0 0 1 1 re f", {"fill M0,0L1,0L1,1L0,1Z [1 0 0 1 0 0] pattern 22"}},
        {"/DeviceRGB cs 0 1 0 sc 0 0 1 1 re f", {"fill M0,0L1,0L1,1L0,1Z [1 0 0 1 0 0] 0/1/0"}},
        {"/Sh1 sh /Missing sh", {"shading 21 [1 0 0 1 0 0] a1"}},
        // A form runs in its own state, clipped to its box; what it leaves saved ends with it.
        {"/Fm1 Do 0 0 1 1 re f",
         {"save", "clip M0,0L5,0L5,5L0,5Z", "fill M0,0L5,0L5,5L0,5Z [2 0 0 2 10 10] 0/0/1", "save", "restore", "restore",
          "fill M0,0L1,0L1,1L0,1Z [1 0 0 1 0 0] 0/0/0"}},
        {"3 0 0 4 1 2 cm /Im1 Do /Nothing Do /Broken Do", {"picture 0 [3 0 0 4 1 2]", "picture -1 [3 0 0 4 1 2]"}},
        {"BI /W 1 /H 1 /BPC 8 /CS /RGB ID abc EI", {"picture 4 inline [1 0 0 1 0 0]"}},
        // Damage: operators without their operands, unknown operators, a stray Q.
        {"Q 1 l re cm foo 0 0 m 1 1 l S", {"stroke M0,0L1,1 w1 cap0 join0 dash[ ]0 0/0/0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Draw(c.content), c.calls) << c.content;
}

TEST(DrawingInterpreter, TextThroughTheWholeTextState)
{
    struct Case {
        const char* content;
        Calls calls;
    };
    const Case cases[] = {
        // 600/1000 × 10 advances 6 per glyph.
        {"BT /F1 10 Tf 100 200 Td (AB) Tj ET", {"glyph 65 [10 0 0 10 100 200] mode0 0/0/0", "glyph 66 [10 0 0 10 106 200] mode0 0/0/0"}},
        // Character and word spacing, horizontal scaling 50 %, rise 3.
        {"BT /F1 10 Tf 1 Tc 2 Tw 50 Tz 3 Ts ( A) Tj ET",
         {"glyph 32 [5 0 0 10 0 3] mode0 0/0/0", "glyph 65 [5 0 0 10 4.5 3] mode0 0/0/0"}},
        // TJ numbers move back by thousandths of the size; hex strings with blanks.
        {"BT /F1 10 Tf [(A) -400 <42 43>] TJ ET",
         {"glyph 65 [10 0 0 10 0 0] mode0 0/0/0", "glyph 66 [10 0 0 10 10 0] mode0 0/0/0", "glyph 67 [10 0 0 10 16 0] mode0 0/0/0"}},
        // Leading, T*, ' and " on turned text.
        {"BT /F1 10 Tf 12 TL 0 1 -1 0 50 50 Tm (A) ' 5 0 (B) \" ET",
         {"glyph 65 [0 10 -10 0 62 50] mode0 0/0/0", "glyph 66 [0 10 -10 0 74 50] mode0 0/0/0"}},
        // Invisible text draws nothing; clip modes end with the text object.
        {"BT /F1 10 Tf 3 Tr (A) Tj 7 Tr (B) Tj ET", {"glyph 66 [10 0 0 10 6 0] mode7 0/0/0", "endtext"}},
        // A font without widths asks the device; TD sets the leading.
        {"BT /F9 10 Tf 0 -14 TD (AA) Tj T* (A) Tj ET",
         {"glyph 65 [10 0 0 10 0 -14] mode0 0/0/0", "glyph 65 [10 0 0 10 5 -14] mode0 0/0/0", "glyph 65 [10 0 0 10 0 -28] mode0 0/0/0"}},
        {"2 0 0 2 0 0 cm BT /F1 10 Tf 1 0 0 rg (A) Tj ET", {"glyph 65 [20 0 0 20 0 0] mode0 1/0/0"}},
        // Text operators outside a text object position nothing and show nothing.
        {"/F1 10 Tf (A) Tj 5 5 Td", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Draw(c.content), c.calls) << c.content;
}

}  // namespace
}  // namespace folivo::test
