#include "view/QtOutlineFontMetrics.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

#include "view/QtMeasuringCanvas.h"

namespace folivo {
namespace {

QByteArray Table(std::initializer_list<std::pair<int, int>> fields, int size)
{
    QByteArray table(size, '\0');
    for (auto [offset, value] : fields) {
        table[offset] = static_cast<char>((value >> 8) & 0xFF);
        table[offset + 1] = static_cast<char>(value & 0xFF);
    }
    return table;
}

TEST(QtOutlineFontMetrics, ArialHasOutlineMetricsAtItsPixelSize)
{
    QtOutlineFontMetrics metrics;
    const FontMeasurement m = metrics.Measure(DisplayFont{"Arial", false, false, 15});
    EXPECT_TRUE(m.hasOutline);
    EXPECT_EQ(m.italicAngle, 0);
    EXPECT_EQ(m.firstChar, 32);
    EXPECT_EQ(m.lastChar, 255);
    // The ascent and the descent lie around the baseline, within the font box.
    EXPECT_GT(m.ascent, 10);
    EXPECT_LE(m.ascent, 18);
    EXPECT_LT(m.descent, 0);
    EXPECT_GE(m.descent, -6);
    EXPECT_LT(m.boxLeft, m.boxRight);
    EXPECT_LT(m.boxBottom, 0);
    EXPECT_GE(m.boxTop, m.ascent - 1);

    // Widths are the measuring canvas's: the same font, the same whole-pixel advances.
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(15);
    QFont font = canvas.DisplayFont();
    font.setPixelSize(15);
    QImage device(1, 1, QImage::Format_RGB32);
    EXPECT_EQ(m.widths['M'], QFontMetrics(font, &device).horizontalAdvance(QStringLiteral("M")));
    EXPECT_EQ(m.widths[0xE4], QFontMetrics(font, &device).horizontalAdvance(QString::fromUtf8("\u00E4")));
}

TEST(QtOutlineFontMetrics, ItalicFaceLeansBackwards)
{
    QtOutlineFontMetrics metrics;
    const FontMeasurement m = metrics.Measure(DisplayFont{"Liberation Sans", false, true, 15});
    EXPECT_TRUE(m.hasOutline);
    EXPECT_LT(m.italicAngle, 0);
    EXPECT_GE(m.italicAngle, -300);
}

TEST(QtOutlineFontMetrics, TablesAreScaledRoundedAndBounded)
{
    // 2048 units per em at 15 pixels: 1854 -> 13.58 -> 14, -434 -> -3.18 -> -3.
    const QByteArray head = Table({{18, 2048}, {36, -1361 & 0xFFFF}, {38, -665 & 0xFFFF}, {40, 4096}, {42, 2059}}, 54);
    const QByteArray hhea = Table({{4, 1854}, {6, -434 & 0xFFFF}}, 36);
    const QByteArray post = Table({{4, 0xFFF4}, {6, 0x8000}}, 32);  // -11.5 degrees
    QByteArray os2 = Table({{64, 0x20}, {66, 0xFFFC}}, 78);
    FontMeasurement m;
    ASSERT_TRUE(ReadOutlineTables(head, hhea, post, os2, 15, m));
    EXPECT_EQ(m.boxLeft, -10);
    EXPECT_EQ(m.boxBottom, -5);
    EXPECT_EQ(m.boxRight, 30);
    EXPECT_EQ(m.boxTop, 15);
    EXPECT_EQ(m.ascent, 14);
    EXPECT_EQ(m.descent, -3);
    EXPECT_EQ(m.italicAngle, -115);
    EXPECT_EQ(m.firstChar, 32);
    EXPECT_EQ(m.lastChar, 255);

    // A font whose characters begin beyond the single bytes offers the printable ones.
    os2 = Table({{64, 0xF020}, {66, 0xF0FF}}, 78);
    ASSERT_TRUE(ReadOutlineTables(head, hhea, post, os2, 15, m));
    EXPECT_EQ(m.firstChar, 32);
    EXPECT_EQ(m.lastChar, 255);

    // Short or missing tables are never read past their end.
    FontMeasurement plain;
    EXPECT_FALSE(ReadOutlineTables(head.left(43), hhea, post, os2, 15, plain));
    EXPECT_FALSE(ReadOutlineTables(Table({}, 54), hhea, post, os2, 15, plain));  // no units per em
    EXPECT_FALSE(plain.hasOutline);
    FontMeasurement sparse;
    ASSERT_TRUE(ReadOutlineTables(head, QByteArray(5, '\0'), QByteArray(), os2.left(66), 15, sparse));
    EXPECT_EQ(sparse.ascent, sparse.boxTop);
    EXPECT_EQ(sparse.descent, sparse.boxBottom);
    EXPECT_EQ(sparse.italicAngle, 0);
    EXPECT_EQ(sparse.firstChar, 32);
    EXPECT_EQ(sparse.lastChar, 255);
}

}  // namespace
}  // namespace folivo
