#include "view/QtMeasuringCanvas.h"

#include <QFontInfo>
#include <climits>
#include <gtest/gtest.h>

#include "core/Windows1252.h"
#include "model/DocumentModel.h"
#include "view/QtText.h"

namespace folivo {
namespace {

// What the canvas must measure, computed here without its cache.
int ReferenceWidth(const QtMeasuringCanvas& canvas, int pixelHeight, const QString& text)
{
    QFont font = canvas.DisplayFont();
    font.setPixelSize(pixelHeight);
    QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(font, &device).horizontalAdvance(text);
}

int WidthOfByte(QtMeasuringCanvas& canvas, int byte)
{
    const char text = static_cast<char>(byte);
    return canvas.TextWidth(std::string_view(&text, 1));
}

TEST(QtMeasuringCanvas, ArialMeasuresWithAMetricCompatibleFace)
{
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(16);
    QFont font = canvas.DisplayFont();
    font.setPixelSize(16);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    // H 12 + e 9 + l 4 + l 4 + o 9 in whole pixels.
    EXPECT_EQ(canvas.TextWidth("Hello"), 38);
    EXPECT_EQ(canvas.TextHeight(" "), 17);
    EXPECT_EQ(canvas.TextWidth(""), 0);
}

TEST(QtMeasuringCanvas, StylesPickTheirFaceUntilThePlainFontIsSelectedAgain)
{
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(40);
    const int plain = canvas.TextWidth("iiii");
    canvas.SelectDisplayStyle(StyleFixedPitch);
    EXPECT_EQ(canvas.TextWidth("iiii"), canvas.TextWidth("MMMM"));  // one advance for all
    canvas.SelectDisplayStyle(StyleBold);
    const int bold = canvas.TextWidth("tttttttt");  // 't' is wider in bold
    canvas.SelectDisplayStyle(0);
    EXPECT_GT(bold, canvas.TextWidth("tttttttt"));
    EXPECT_EQ(canvas.TextWidth("iiii"), plain);
    EXPECT_EQ(QFontInfo(StyledFont(canvas.DisplayFont(), StyleSerif)).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(StyledFont(canvas.DisplayFont(), StyleSerif | StyleItalic)).italic(), true);
}

TEST(QtMeasuringCanvas, TextWidthIsTheSumOfWholePixelAdvances)
{
    // No kerning ("AV"), no ligatures ("fi"), no fractional advances summed before rounding.
    QtMeasuringCanvas canvas;
    for (int pixelHeight : {7, 12, 16, 33}) {
        canvas.SelectDisplayFont(pixelHeight);
        for (std::string text : {"AV", "fi", "Hello, World", "Wasserfl\xE4" "che 1,80 \x80"}) {
            int sum = 0;
            for (char c : text) sum += canvas.TextWidth(std::string_view(&c, 1));
            EXPECT_EQ(canvas.TextWidth(text), sum) << text << " at " << pixelHeight;
        }
    }
}

TEST(QtMeasuringCanvas, EveryByteMeasuresAsItsCharacterAtEverySize)
{
    QtMeasuringCanvas canvas;
    // Sizes revisited after others were selected: the cached widths must stay with their size.
    for (int pixelHeight : {1, 12, 33, 12, 100, 1}) {
        canvas.SelectDisplayFont(pixelHeight);
        for (int byte = 0; byte < 256; ++byte) {
            const QString character(QChar(static_cast<char16_t>(UnicodeOfWindows1252(static_cast<uint8_t>(byte)))));
            ASSERT_EQ(WidthOfByte(canvas, byte), ReferenceWidth(canvas, pixelHeight, character))
                << "byte " << byte << " at " << pixelHeight;
        }
    }
    canvas.SelectDisplayFont(40);
    EXPECT_EQ(canvas.TextWidth("\x80"), ReferenceWidth(canvas, 40, QString::fromUtf8("\u20AC")));
    EXPECT_EQ(canvas.TextWidth("\xE4"), ReferenceWidth(canvas, 40, QString::fromUtf8("\u00E4")));
    EXPECT_NE(canvas.TextWidth("\x80"), ReferenceWidth(canvas, 40, QString(QChar(0x80))));
}

TEST(QtMeasuringCanvas, ManySizesStayCorrectBeyondTheCache)
{
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(20);
    const int width = canvas.TextWidth("W");
    for (int pixelHeight = 1; pixelHeight <= 300; ++pixelHeight) {
        canvas.SelectDisplayFont(pixelHeight);
        canvas.TextWidth("W");
    }
    canvas.SelectDisplayFont(20);
    EXPECT_EQ(canvas.TextWidth("W"), width);
}

TEST(QtMeasuringCanvas, PixelHeightIsBoundedOnBothSides)
{
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(1);
    const int width = canvas.TextWidth("W");
    const int height = canvas.TextHeight(" ");
    for (int tooSmall : {0, -5, INT_MIN}) {
        canvas.SelectDisplayFont(tooSmall);
        EXPECT_EQ(canvas.SelectedPixelHeight(), 1);
        EXPECT_EQ(canvas.TextWidth("W"), width);
        EXPECT_EQ(canvas.TextHeight(" "), height);
    }
    // Absurd heights from broken pages still measure as large, positive extents.
    canvas.SelectDisplayFont(INT_MAX);
    EXPECT_GT(canvas.TextHeight(" "), 1000);
    EXPECT_GT(canvas.TextWidth("W"), 1000);
}

TEST(QtMeasuringCanvas, ResolutionIsReportedAndPixelSizesDoNotDependOnIt)
{
    EXPECT_EQ(QtMeasuringCanvas().PixelsPerInch(), 96);
    QtMeasuringCanvas printer(600);
    EXPECT_EQ(printer.PixelsPerInch(), 600);
    printer.SelectDisplayFont(16);
    EXPECT_EQ(printer.TextWidth("Hello"), 38);
    EXPECT_EQ(printer.TextHeight(" "), 17);
}

TEST(QtMeasuringCanvas, ChangingTheDisplayFontDropsCachedWidths)
{
    QtMeasuringCanvas canvas;
    canvas.SelectDisplayFont(20);
    const int regular = canvas.TextWidth("Hello");
    const int narrowI = canvas.TextWidth("i");

    canvas.SetDisplayFont("Arial", true, false);
    EXPECT_GT(canvas.TextWidth("Hello"), regular);

    canvas.SetDisplayFont("Courier New");
    canvas.SelectDisplayFont(20);
    EXPECT_EQ(canvas.TextWidth("i"), canvas.TextWidth("W"));
    EXPECT_GT(canvas.TextWidth("i"), narrowI);
}

}  // namespace
}  // namespace folivo
