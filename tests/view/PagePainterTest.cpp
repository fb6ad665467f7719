// The page as printed: one generated document, a page per case, each drawn and judged by where
// its ink lies and what colour it has. At zoom 75 and 96 pixels per inch a point is a pixel.
#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "tests/ReaderTestSupport.h"
#include "tests/view/InkBox.h"
#include "view/PagePainter.h"

namespace folivo {
namespace {

using test::InkBox;

// A document of 200 × 100 point pages, one for each content, each with `resources`; the shared
// objects follow the pages, the first numbered FirstSharedObject(the page count).
size_t FirstSharedObject(size_t pages) { return 3 + 2 * pages; }

std::string PageForEachContent(const std::vector<std::string>& contents, const std::string& resources,
                               const std::vector<std::string>& shared)
{
    test::PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (const std::string& content : contents) {
        const size_t page = builder.objects.size() + 1;
        kids += std::to_string(page) + " 0 R ";
        builder.objects.push_back("<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(page + 1) + " 0 R /Resources " +
                                  resources + " >>");
        builder.objects.push_back(test::StreamObject("", content));
    }
    builder.objects.insert(builder.objects.end(), shared.begin(), shared.end());
    builder.objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(contents.size()) + " /MediaBox [0 0 200 100] >>";
    builder.trailerEntries = "/Root 1 0 R";
    return builder.Build();
}

// Each of red, green and blue within `tolerance` of the expected.
void ExpectColourNear(QRgb found, QRgb expected, int tolerance, const std::string& where = "")
{
    for (int shift : {0, 8, 16})
        EXPECT_LE(std::abs(int((found >> shift) & 0xFF) - int((expected >> shift) & 0xFF)), tolerance)
            << where << " " << std::hex << (found & 0xFFFFFF);
}

struct PaintCase {
    const char* name;
    std::string content;
    QRect ink;       // the ink's bounding box on the 200 × 100 page (x right, y down)
    QPoint sample;   // a pixel inside the ink; none: some pixel of the ink
    QRgb colour;     // its colour
    QPoint blank = {};  // a pixel that stays white; none: no such check
};

TEST(PagePainter, PathsClipsTextAndStateAsPrinted)
{
    const PaintCase cases[] = {
        {"filled rectangle", "1 0 0 rg 10 10 40 20 re f", QRect(10, 70, 40, 20), QPoint(30, 80), 0xFF0000},
        // The clip is the triangle's true shape: its lower right corner stays white.
        {"clip by a triangle", "0 0 20 100 m 120 100 l 20 0 l h W n 0 0 1 rg 0 0 200 100 re f", QRect(20, 0, 100, 100),
         QPoint(30, 50), 0x0000FF, QPoint(100, 90)},
        {"curve filled", "0 g 100 50 m 100 78 78 100 50 100 c 22 100 0 78 0 50 c f", QRect(0, 0, 100, 50), QPoint(50, 20), 0x000000},
        // A hairline keeps one pixel; dashes are lengths in user space (20 pixels here).
        {"hairline", "0 w 0 0 1 RG 10 50.5 m 190 50.5 l S", QRect(10, 49, 180, 1), QPoint(100, 49), 0x0000FF},
        {"dashed wide line cut by a scaled matrix", "2 0 0 2 0 0 cm 4 w [10 10] 0 d 0 1 0 RG 10 25 m 90 25 l S",
         QRect(20, 46, 140, 8), QPoint(30, 50), 0x00FF00},
        {"constant opacity", "/GS1 gs 0 0 1 rg 10 10 40 20 re f", QRect(10, 70, 40, 20), QPoint(30, 80), 0x7F7FFF},
        // A turn sharper than the miter limit allows is bevelled, not drawn out to the limit.
        {"sharp turn bevelled", "3 w 0 0 1 RG 50 50 m 100 50 l 50 51 l S", QRect(50, 47, 52, 5), QPoint(70, 49), 0x0000FF},
        // Text in a standard font that the file does not embed: its substitute's shapes.
        // H from 23 to 52, i to 55 (Helvetica widths 722 and 222), both 29 pixels tall.
        {"text in a standard font", "BT /F1 40 Tf 1 0 0 rg 20 30 Td (Hi) Tj ET", QRect(23, 41, 32, 29), QPoint(), 0xFF0000},
        {"invisible text", "BT /F1 40 Tf 3 Tr 20 30 Td (Hi) Tj ET", QRect(), QPoint(), 0},
        // Text as a clip: only the glyphs' area of the following fill shows.
        {"text clip", "BT /F1 40 Tf 7 Tr 20 30 Td (Hi) Tj ET 0 0 1 rg 0 0 200 100 re f", QRect(23, 41, 32, 29), QPoint(), 0x0000FF},
    };
    const size_t count = std::size(cases);
    std::vector<std::string> contents;
    for (const PaintCase& c : cases) contents.push_back(c.content);
    const std::string resources = "<< /Font << /F1 " + std::to_string(FirstSharedObject(count)) +
                                  " 0 R >> /ExtGState << /GS1 << /ca 0.5 >> >> >>";
    const std::string helvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    test::OpenedDocument opened(PageForEachContent(contents, resources, {helvetica}));
    ASSERT_TRUE(opened->documentRead);
    ASSERT_EQ(opened->pages.Count(), count);
    FontPrograms fonts(*opened.document);
    for (size_t i = 0; i < count; ++i) {
        const PaintCase& c = cases[i];
        SCOPED_TRACE(c.name);
        const QImage image = RenderPageAsPrinted(*opened.document, fonts, static_cast<int>(i + 1), 75, 96);
        ASSERT_EQ(image.size(), QSize(200, 100));
        const QRect ink = InkBox(image);
        // Anti-aliased edges may reach a pixel further.
        EXPECT_LE(std::abs(ink.left() - c.ink.left()), 2) << ink.left();
        EXPECT_LE(std::abs(ink.right() - c.ink.right()), 2) << ink.right();
        EXPECT_LE(std::abs(ink.top() - c.ink.top()), 2) << ink.top();
        EXPECT_LE(std::abs(ink.bottom() - c.ink.bottom()), 2) << ink.bottom();
        if (!c.blank.isNull()) {
            EXPECT_EQ(image.pixel(c.blank) & 0xFFFFFF, 0xFFFFFFu);
        }
        if (c.ink.isEmpty()) continue;
        if (c.sample.isNull()) {
            bool found = false;
            for (int y = ink.top(); y <= ink.bottom() && !found; ++y)
                for (int x = ink.left(); x <= ink.right() && !found; ++x) found = (image.pixel(x, y) & 0xFFFFFF) == c.colour;
            EXPECT_TRUE(found);
            continue;
        }
        ExpectColourNear(image.pixel(c.sample), c.colour, 2);
    }
    // Drawn for a screen of two device pixels a pixel: twice the pixels, the same page.
    const QImage sharp = RenderPageAsPrinted(*opened.document, fonts, 1, 75, 96, 2);
    EXPECT_EQ(sharp.size(), QSize(400, 200));
    EXPECT_EQ(sharp.deviceIndependentSize().toSize(), QSize(200, 100));
    EXPECT_EQ(sharp.pixel(60, 160) & 0xFFFFFF, 0xFF0000u);
}

struct ColourCase {
    const char* name;
    std::string content;
    // Pixels (x right, y down on the 200 × 100 page) and the colour each should have.
    std::vector<std::pair<QPoint, QRgb>> samples;
};

TEST(PagePainter, ShadingsPatternsAndSoftMasksAsPrinted)
{
    // Red to blue from x 50 to 150; grey from black at the centre to white at radius 40 (the
    // pixel at the centre lies half a pixel off it).
    const ColourCase cases[] = {
        {"axial shading between its ends", "/S1 sh", {{{20, 50}, 0xFFFFFF}, {{55, 50}, 0xF2000D}, {{100, 50}, 0x800080}, {{160, 50}, 0xFFFFFF}}},
        {"axial shading extended", "/S2 sh", {{{20, 50}, 0xFF0000}, {{100, 50}, 0x800080}, {{180, 50}, 0x0000FF}}},
        {"radial shading within its circle", "/S3 sh", {{{100, 50}, 0x050505}, {{130, 50}, 0xBFBFBF}, {{180, 50}, 0xFFFFFF}}},
        {"shading pattern fill", "/Pattern cs /P1 scn 0 0 100 100 re f", {{{75, 50}, 0xBF0040}, {{150, 50}, 0xFFFFFF}}},
        {"shading pattern stroke", "/Pattern CS /P1 SCN 10 w 0 50 m 200 50 l S", {{{75, 50}, 0xBF0040}, {{75, 20}, 0xFFFFFF}}},
        {"uncoloured tiling pattern in the fill's colour", "/CSP cs 0 1 0 /P2 scn 0 0 200 100 re f", {{{33, 33}, 0x00FF00}, {{177, 77}, 0x00FF00}}},
        // The group is white on the left half: only there does the fill show.
        {"luminosity soft mask", "/SM1 gs 0 0 1 rg 0 0 200 100 re f", {{{50, 50}, 0x0000FF}, {{150, 50}, 0xFFFFFF}}},
        {"soft mask ends with its state", "q /SM1 gs Q 0 0 1 rg 0 0 200 100 re f", {{{150, 50}, 0x0000FF}}},
        {"soft mask taken away", "/SM1 gs /SM0 gs 0 0 1 rg 0 0 200 100 re f", {{{150, 50}, 0x0000FF}}},
        // Two red triangles, the second continuing the first, fill the square from 0 to 100.
        {"triangle mesh", "/S4 sh", {{{20, 80}, 0xFF0000}, {{90, 10}, 0xFF0000}, {{150, 50}, 0xFFFFFF}}},
        // A Type 3 glyph, a bar 100 by 20, turned upright by its font matrix: 10 wide, 50 tall at 90 ... 100.
        {"type 3 glyph turned by its font matrix", "BT /T3 50 Tf 1 0 0 rg 100 20 Td (a) Tj ET",
         {{{95, 55}, 0xFF0000}, {{130, 75}, 0xFFFFFF}}},
        // A function-based shading over its domain as its matrix places it: 10 to 60 both ways.
        {"function-based shading", "/S6 sh", {{{30, 60}, 0x000000}, {{100, 50}, 0xFFFFFF}}},
        // A green patch from 110 to 190 across and 10 to 90 up.
        {"patch mesh", "/S5 sh", {{{150, 50}, 0x00FF00}, {{105, 50}, 0xFFFFFF}, {{150, 5}, 0xFFFFFF}}},
    };
    const size_t count = std::size(cases);
    std::vector<std::string> contents;
    for (const ColourCase& c : cases) contents.push_back(c.content);
    // The shared objects follow the pages: shadings S1-S3, patterns P1-P2, the mask's group,
    // meshes S4-S5, a Type 3 font and its glyph, a function-based shading S6.
    const size_t first = FirstSharedObject(count);
    auto ref = [first](size_t k) { return std::to_string(first + k) + " 0 R"; };
    const std::string resources = "<< /Shading << /S1 " + ref(0) + " /S2 " + ref(1) + " /S3 " + ref(2) + " /S4 " + ref(6) +
                                  " /S5 " + ref(7) + " /S6 " + ref(10) + " >> /Font << /T3 " + ref(8) + " >> /Pattern << /P1 " +
                                  ref(3) + " /P2 " + ref(4) + " >> /ColorSpace << /CSP [/Pattern /DeviceRGB] >> " +
                                  "/ExtGState << /SM1 << /SMask << /S /Luminosity /G " + ref(5) + " >> >> /SM0 << /SMask /None >> >> >>";
    std::vector<std::string> shared;
    const std::string redToBlue = "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>";
    shared.push_back("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [50 0 150 0] " + redToBlue + " >>");
    shared.push_back("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [50 0 150 0] " + redToBlue + " /Extend [true true] >>");
    shared.push_back("<< /ShadingType 3 /ColorSpace /DeviceGray /Coords [100 50 0 100 50 40] "
                     "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>");
    shared.push_back("<< /PatternType 2 /Shading " + ref(1) + " >>");
    shared.push_back(test::StreamObject("/PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 "
                                        "/Resources << >>",
                                        "1 0 0 rg 0 0 10 10 re f"));
    shared.push_back(test::StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 200 100] "
                                        "/Group << /S /Transparency /CS /DeviceGray >>",
                                        "1 g 0 0 100 100 re f"));
    // Meshes with 8-bit coordinates taken as they stand; each vertex a flag, x, y, red, green, blue.
    const std::string mesh = "/BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 /ColorSpace /DeviceRGB "
                             "/Decode [0 255 0 255 0 1 0 1 0 1] ";
    shared.push_back(test::StreamObject("/ShadingType 4 " + mesh, std::string("\0\0\0\xFF\0\0" "\0\x64\0\xFF\0\0"
                                                                             "\0\0\x64\xFF\0\0" "\x01\x64\x64\xFF\0\0", 24)));
    std::string patch(1, '\0');
    const int boundary[12][2] = {{110, 10}, {110, 36}, {110, 63}, {110, 90}, {136, 90}, {163, 90},
                                 {190, 90}, {190, 63}, {190, 36}, {190, 10}, {163, 10}, {136, 10}};
    for (const auto& point : boundary) patch += {static_cast<char>(point[0]), static_cast<char>(point[1])};
    for (int corner = 0; corner < 4; ++corner) patch += std::string("\0\xFF\0", 3);
    shared.push_back(test::StreamObject("/ShadingType 6 " + mesh, patch));
    shared.push_back("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 100 20] /FontMatrix [0 0.01 -0.01 0 0 0] "
                     "/CharProcs << /a " + ref(9) + " >> /Encoding << /Differences [97 /a] >> "
                     "/FirstChar 97 /LastChar 97 /Widths [100] /Resources << >> >>");
    shared.push_back(test::StreamObject("", "100 0 d0 0 0 100 20 re f"));
    shared.push_back("<< /ShadingType 1 /ColorSpace /DeviceGray /Matrix [50 0 0 50 10 10] "
                     "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0] /N 1 >> >>");
    test::OpenedDocument opened(PageForEachContent(contents, resources, shared));
    ASSERT_TRUE(opened->documentRead);
    ASSERT_EQ(opened->pages.Count(), count);
    FontPrograms fonts(*opened.document);
    for (size_t i = 0; i < count; ++i) {
        const ColourCase& c = cases[i];
        SCOPED_TRACE(c.name);
        const QImage image = RenderPageAsPrinted(*opened.document, fonts, static_cast<int>(i + 1), 75, 96);
        ASSERT_EQ(image.size(), QSize(200, 100));
        for (const auto& [point, colour] : c.samples)
            ExpectColourNear(image.pixel(point), colour, 4, std::to_string(point.x()) + "," + std::to_string(point.y()));
    }
}

TEST(PagePainter, CommentsTakeOnTheirOpacityAndFlags)
{
    // Squares filled red: fully opaque, at half opacity, at none, and hidden by their flags.
    const char* const extras[] = {"", "/CA 0.5", "/CA 0", "/F 2", "/F 32"};
    test::PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100] >>", ""};
    std::string annots;
    for (size_t i = 0; i < std::size(extras); ++i) {
        const int left = 10 + 40 * static_cast<int>(i);
        annots += std::to_string(4 + i) + " 0 R ";
        builder.objects.push_back("<< /Type /Annot /Subtype /Square /Rect [" + std::to_string(left) + " 10 " + std::to_string(left + 30) +
                                  " 90] /C [1 0 0] /IC [1 0 0] " + extras[i] + " >>");
    }
    builder.objects[2] = "<< /Type /Page /Parent 2 0 R /Annots [" + annots + "] >>";
    builder.trailerEntries = "/Root 1 0 R";
    test::OpenedDocument opened(builder.Build());
    ASSERT_TRUE(opened->documentRead);
    FontPrograms fonts(*opened.document);
    const QImage image = RenderPageAsPrinted(*opened.document, fonts, 1, 75, 96);
    ASSERT_EQ(image.size(), QSize(200, 100));
    const QRgb expected[] = {0xFF0000, 0xFF8080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    for (size_t i = 0; i < std::size(extras); ++i) {
        SCOPED_TRACE(extras[i]);
        ExpectColourNear(image.pixel(25 + 40 * static_cast<int>(i), 50), expected[i], 2);
    }
}

}  // namespace
}  // namespace folivo
