// Clipped items drawn from real content: no ink leaves the clip, on upright and turned pages.
#include <QFont>
#include <QImage>
#include <gtest/gtest.h>
#include <string>

#include "tests/ReaderTestSupport.h"
#include "view/PageRenderer.h"

namespace folivo {
namespace {

// The page is 200 × 100 points; at zoom 75 and 96 pixels per inch a point is a pixel.
constexpr int Width = 200, Height = 100;

// Pixels darker than the checker's ink threshold.
bool IsInk(QRgb pixel) { return qGray(pixel) < 200; }

QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsInk(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

// Points left, bottom, right, top as upright pixels.
QRect Upright(int left, int bottom, int right, int top) { return QRect(left, Height - top, right - left, top - bottom); }

// An upright pixel rectangle as the drawing turned clockwise shows it.
QRect Turned(const QRect& r, int rotation)
{
    switch (rotation) {
    case 90: return QRect(Height - 1 - r.bottom(), r.left(), r.height(), r.width());
    case 180: return QRect(Width - 1 - r.right(), Height - 1 - r.bottom(), r.width(), r.height());
    case 270: return QRect(r.top(), Width - 1 - r.right(), r.height(), r.width());
    default: return r;
    }
}

struct ClipDrawCase {
    const char* name;
    std::string content;
    QRect ink;          // upright: where the ink lies (empty: none at all)
    bool fills = true;  // the ink fills its rectangle exactly; else it only stays inside
};

TEST(ClippedDrawing, NoInkOutsideTheClipOnAnyTurn)
{
    const QRect clip = Upright(50, 20, 110, 60);
    const std::string clipPath = "50 20 60 40 re W n ";
    const ClipDrawCase cases[] = {
        {"filled rectangle", clipPath + "0 0 1 rg 0 0 200 100 re f", clip},
        {"stroked lines", clipPath + "20 w 0 0 m 200 100 l 0 100 m 200 0 l S", clip, false},
        {"picture", clipPath + "200 0 0 100 0 0 cm /Im Do", clip},
        {"text", clipPath + "BT /F1 60 Tf 0 10 Td (WWWWWW) Tj ET", clip, false},
        {"clip ends at Q", "q " + clipPath + "0 0 1 rg 0 0 200 100 re f Q 0 0 1 rg 150 80 40 10 re f",
         clip | Upright(150, 80, 190, 90)},
        {"disjoint clips hide everything", "0 0 10 10 re W n 20 20 10 10 re W n 0 0 200 100 re f", QRect()},
    };
    for (const int rotation : {0, 90, 180, 270}) {
        for (const ClipDrawCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", turned " + std::to_string(rotation));
            const std::string image = test::StreamObject(
                "/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", std::string(1, '\x40'));
            test::OpenedDocument opened(
                test::DocumentWithPages("/Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100]",
                                        {"<< /Type /Page /Parent 2 0 R /Rotate " + std::to_string(rotation) +
                                             " /Resources << /XObject << /Im 5 0 R >> >> /Contents 4 0 R >>",
                                         test::StreamObject("", c.content), image})
                    .Build());
            ASSERT_TRUE(opened->documentRead);
            const QImage drawing = RenderPage(*opened.document, 1, 75, 96, QFont("Arial"));
            const QRect box = InkBox(drawing);
            if (c.ink.isEmpty()) {
                EXPECT_TRUE(box.isEmpty());
                continue;
            }
            const QRect expected = Turned(c.ink, rotation);
            ASSERT_FALSE(box.isEmpty());
            if (c.fills) EXPECT_EQ(box, expected);
            else EXPECT_TRUE(expected.contains(box)) << box.x() << ',' << box.y() << ' ' << box.width() << 'x' << box.height();
        }
    }
}

}  // namespace
}  // namespace folivo
