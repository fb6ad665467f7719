// Turned pages: the reader's quarter turn from the page's own or inherited /Rotate, and the
// drawing of a wide page turned clockwise by it, clipped items inside their clip.
#include <QFont>
#include <QImage>
#include <gtest/gtest.h>
#include <string>

#include "tests/ReaderTestSupport.h"
#include "tests/view/InkBox.h"
#include "view/PageRenderer.h"

namespace folivo {
namespace {

using test::InkBox;

struct TurnCase {
    const char* name;
    std::string rootEntries;  // of the pages root, which the page inherits from
    std::string pageEntries;
    int rotation;
};

TEST(PageRotation, TurnsTheDrawingClockwiseByTheReadQuarterTurn)
{
    const TurnCase cases[] = {
        {"none", "", "", 0},
        {"90", "", "/Rotate 90", 90},
        {"180", "", "/Rotate 180", 180},
        {"270", "", "/Rotate 270", 270},
        {"-90", "", "/Rotate -90", 270},
        {"450", "", "/Rotate 450", 90},
        {"-720", "", "/Rotate -720", 0},
        {"45", "", "/Rotate 45", 0},
        {"inherited 90", "/Rotate 90", "", 90},
        {"inherited -270", "/Rotate -270", "", 90},
        {"inherited 180, own 0", "/Rotate 180", "/Rotate 0", 0},
        {"inherited 90, own 270", "/Rotate 90", "/Rotate 270", 270},
    };
    // A 200 × 100 page with one filled rectangle near its bottom-left corner (10..50, 10..30).
    // At zoom 75 and 96 pixels per inch a point is a pixel, so the upright drawing has the
    // rectangle at columns 10..49, rows 70..89.
    const std::string content = "0 0 1 rg 10 10 40 20 re f";
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenedDocument opened(
            test::DocumentWithPages("/Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100] " + c.rootEntries,
                                    {"<< /Type /Page /Parent 2 0 R /Contents 4 0 R " + c.pageEntries + " >>",
                                     test::StreamObject("", content)})
                .Build());
        ASSERT_TRUE(opened->documentRead);
        EXPECT_EQ(opened.Page(0).rotation, c.rotation);

        const bool quarter = c.rotation % 180 != 0;
        EXPECT_EQ(PageDrawingSize(*opened.document, 1, 75, 96), quarter ? QSize(100, 200) : QSize(200, 100));
        EXPECT_EQ(UnturnedPageDrawingSize(*opened.document, 1, 75, 96), QSize(200, 100));
        const QImage image = RenderPage(*opened.document, 1, 75, 96, QFont("Arial"));
        ASSERT_EQ(image.size(), PageDrawingSize(*opened.document, 1, 75, 96));
        // The bottom-left corner goes to the top-left for 90, the top-right for 180 and the
        // bottom-right for 270.
        const QRect expected = c.rotation == 90    ? QRect(10, 10, 20, 40)
                               : c.rotation == 180 ? QRect(150, 10, 40, 20)
                               : c.rotation == 270 ? QRect(70, 150, 20, 40)
                                                   : QRect(10, 70, 40, 20);
        EXPECT_EQ(InkBox(image), expected);
        EXPECT_EQ(image.pixel(expected.center()) & 0xFFFFFF, 0x0000FFu);
    }
}

TEST(PageRotation, ClippedItemsLeaveNoInkOutsideTheirClip)
{
    // The clip 50..110 × 20..60 on the 200 × 100 page of a point a pixel, upright and turned.
    enum class Ink { CoversClip, InsideClip, None, WholePage };
    const std::string clip = "50 20 60 40 re W n ";
    const struct {
        const char* name;
        std::string content;
        Ink ink;
    } cases[] = {
        {"fill", clip + "0 0 1 rg 0 0 200 100 re f", Ink::CoversClip},
        {"strokes", clip + "20 w 0 0 m 200 100 l 0 100 m 200 0 l S", Ink::InsideClip},
        {"picture", clip + "200 0 0 100 0 0 cm /Im Do", Ink::CoversClip},
        {"text", clip + "BT /F1 60 Tf 0 10 Td (WWWWWW) Tj ET", Ink::InsideClip},
        {"disjoint clips", clip + "0 0 10 10 re W n 0 0 200 100 re f", Ink::None},
        {"after Q", "q " + clip + "0 0 1 rg 0 0 200 100 re f Q 0 0 200 100 re f", Ink::WholePage},
    };
    const QRect expected[4] = {{50, 40, 60, 40}, {20, 50, 40, 60}, {90, 20, 60, 40}, {40, 90, 40, 60}};
    const std::string picture =
        test::StreamObject("/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", "@");
    for (int turn = 0; turn < 4; ++turn) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " turned " + std::to_string(turn * 90));
            test::OpenedDocument opened(
                test::DocumentWithPages("/Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100]",
                                        {"<< /Type /Page /Parent 2 0 R /Rotate " + std::to_string(turn * 90) +
                                             " /Resources << /XObject << /Im 5 0 R >> >> /Contents 4 0 R >>",
                                         test::StreamObject("", c.content), picture})
                    .Build());
            const QImage image = RenderPage(*opened.document, 1, 75, 96, QFont("Arial"));
            const QRect ink = InkBox(image);
            switch (c.ink) {
            case Ink::CoversClip: EXPECT_EQ(ink, expected[turn]); break;
            case Ink::InsideClip:
                EXPECT_FALSE(ink.isEmpty());
                EXPECT_TRUE(expected[turn].contains(ink));
                break;
            case Ink::None: EXPECT_TRUE(ink.isEmpty()); break;
            case Ink::WholePage: EXPECT_EQ(ink, image.rect()); break;
            }
        }
    }
}

TEST(PageRotation, TurnedPlacementsDrawWhereTheirMatrixPutsThem)
{
    // A quarter-turned matrix puts the unit square on 90..100 × 50..90 of the 200 × 100 page.
    const std::string picture =
        test::StreamObject("/Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", "@@");
    for (const char* content : {"0 1 -1 0 100 50 cm 0 0 40 10 re f", "0 40 -10 0 100 50 cm /Im Do"}) {
        SCOPED_TRACE(content);
        test::OpenedDocument opened(test::DocumentWithPages(
                                        "/Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100]",
                                        {"<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Im 5 0 R >> >> /Contents 4 0 R >>",
                                         test::StreamObject("", content), picture})
                                        .Build());
        const QRect ink = InkBox(RenderPage(*opened.document, 1, 75, 96, QFont("Arial")));
        const QRect expected(90, 10, 10, 40);
        EXPECT_TRUE(expected.adjusted(-1, -1, 1, 1).contains(ink)) << ink.x() << ',' << ink.y() << ' ' << ink.width() << 'x' << ink.height();
        EXPECT_TRUE(ink.contains(expected.adjusted(1, 1, -1, -1)));
    }
}

TEST(PageRotation, OddValuesCountAsUpright)
{
    // Reals, names, huge numbers and missing values are no quarter turn; a reference is read
    // from its object.
    const struct {
        std::string entries;
        std::vector<std::string> more;
        int rotation;
    } cases[] = {
        {"/Rotate 90.0", {}, 0},
        {"/Rotate /Ninety", {}, 0},
        {"/Rotate 99999999999999", {}, 0},
        {"/Rotate 2147483640", {}, 0},
        {"/Rotate -2147483648", {}, 0},
        {"/Rotate 2147483430", {}, 270},
        {"/Rotate", {}, 0},
        {"/Rotate 4 0 R", {"180"}, 180},
        {"/Rotate 4 0 R", {"-90"}, 270},
        {"/Rotate 4 0 R", {"<< /A 90 >>"}, 0},
        {"/Rotate 9 0 R", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries + (c.more.empty() ? "" : " -> " + c.more[0]));
        std::vector<std::string> objects{"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] " + c.entries + " >>"};
        objects.insert(objects.end(), c.more.begin(), c.more.end());
        test::OpenedDocument opened(test::DocumentWithPages("/Kids [3 0 R] /Count 1", objects).Build());
        ASSERT_EQ(opened->pages.Count(), 1u);
        EXPECT_EQ(opened.Page(0).rotation, c.rotation);
        EXPECT_EQ(RenderPage(*opened.document, 1, 75, 96, QFont("Arial")).size(),
                  c.rotation % 180 ? QSize(100, 200) : QSize(200, 100));
    }
}

}  // namespace
}  // namespace folivo
