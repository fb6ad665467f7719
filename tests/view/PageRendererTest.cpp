#include "view/PageRenderer.h"

#include <QColor>
#include <QFont>
#include <cmath>
#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "document/PdfDocument.h"
#include "tests/RecordingPort.h"
#include "view/RasterQImage.h"

namespace folivo {
namespace {

constexpr int Resolution = 96;

// A document put together in memory, without a file behind it.
struct MemoryDocument {
    test::RecordingPort port;
    PdfDocument document{port};

    void AddPage(double x1, double y1, double x2, double y2)
    {
        PageRecord& page = *document.pages.Append();
        page.mediaBox[0] = x1;
        page.mediaBox[1] = y1;
        page.mediaBox[2] = x2;
        page.mediaBox[3] = y2;
    }

    // Items wait here, by page, until the next render files them as the interpreter would.
    PageItem& AddItem(uint32_t pageNumber)
    {
        PageItem& item = pendingItems[pageNumber].emplace_back();
        item.PageNumber = pageNumber;
        return item;
    }

    void FilePendingItems()
    {
        for (auto& [pageNumber, items] : pendingItems) {
            for (const PageItem& item : items) *document.StagingItemList.Append() = item;
            ReplacePageItems(document.PageItemList, document.StagingItemList, document.pageItemRanges, pageNumber);
        }
        pendingItems.clear();
    }

    PageItem& AddText(uint32_t pageNumber, const std::string& text, double x, double y, double fontSize,
                      const std::vector<double>& widths, const std::vector<double>& spacings = {})
    {
        PageItem& item = AddItem(pageNumber);
        item.Text = MakeText(text);
        item.FontName = MakeText("/F1");
        item.X = x;
        item.Y = y;
        item.FontSize = fontSize;
        item.CharWidths = new double[text.size()]();
        item.CharSpacings = new double[text.size()]();
        for (size_t i = 0; i < text.size() && i < widths.size(); ++i) item.CharWidths[i] = widths[i];
        for (size_t i = 0; i < text.size() && i < spacings.size(); ++i) item.CharSpacings[i] = spacings[i];
        return item;
    }

    void AddComment(uint32_t pageIndex, int32_t kind, double left, double top, double right, double bottom,
                    const std::string& text = "")
    {
        PageRecord& page = *document.pages.At(pageIndex);
        if (!page.comments) page.comments = new TDynaArray<AnnotationRecord>();
        AnnotationRecord& comment = *page.comments->Append();
        comment.kind = kind;
        comment.left = left;
        comment.top = top;
        comment.right = right;
        comment.bottom = bottom;
        comment.inUse = 1;
        if (!text.empty()) comment.text = MakeText(text);
    }

    QImage Render(int pageNumber, int zoom)
    {
        FilePendingItems();
        return RenderPage(document, pageNumber, zoom, Resolution, QFont("Arial"));
    }

    // The document releases the items it was given.
    ~MemoryDocument() { FilePendingItems(); }

    std::map<uint32_t, std::deque<PageItem>> pendingItems;
};

bool IsWhite(QRgb pixel) { return (pixel & 0xFFFFFF) == 0xFFFFFF; }
bool IsDark(QRgb pixel) { return qGray(pixel) < 128; }

// Rows (or columns) of a region that hold a pixel passing the test.
template <typename Test>
std::vector<int> MarkedRows(const QImage& image, QRect region, Test test)
{
    std::vector<int> rows;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (test(image.pixel(x, y))) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

template <typename Test>
std::vector<int> MarkedColumns(const QImage& image, QRect region, Test test)
{
    return MarkedRows(image.transformed(QTransform(0, 1, 1, 0, 0, 0)),
                      QRect(region.top(), region.left(), region.height(), region.width()), test);
}

int CountWhere(const QImage& image, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST(PageRendererTest, DrawingSizeFollowsMediaBoxZoomAndResolution)
{
    MemoryDocument letter;
    letter.AddPage(0, 0, 612, 792);
    letter.AddPage(10, 20, 316, 416);
    EXPECT_EQ(PageDrawingSize(letter.document, 1, 100, Resolution), QSize(816, 1056));
    EXPECT_EQ(PageDrawingSize(letter.document, 1, 50, Resolution), QSize(408, 528));
    // Only the box's extent counts; 306 points at 96 ppi and 33 % is 134.64 px after truncation.
    EXPECT_EQ(PageDrawingSize(letter.document, 2, 33, Resolution), QSize(134, 174));
    const QImage image = letter.Render(1, 100);
    EXPECT_EQ(image.size(), QSize(816, 1056));
    EXPECT_EQ(CountWhere(image, IsWhite), 816 * 1056);
}

TEST(PageRendererTest, PageOutsideTheDocumentTakesThePrinterPageAndStaysBlank)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.AddText(1, "H", 100, 700, 40, {30});
    // A4 at 600 ppi: 4960 × 7016 printer pixels, both divided by the horizontal resolution.
    const QSize printer(396, 561);
    for (int page : {0, 2, -5}) {
        EXPECT_EQ(PageDrawingSize(document.document, page, 50, Resolution), printer);
        const QImage image = document.Render(page, 50);
        ASSERT_EQ(image.size(), printer);
        EXPECT_EQ(CountWhere(image, IsWhite), printer.width() * printer.height());
    }
    MemoryDocument empty;
    EXPECT_EQ(PageDrawingSize(empty.document, 1, 100, Resolution), QSize(793, 1122));
}

TEST(PageRendererTest, NothingIsDrawnWhileReading)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.document.readingInProgress = true;
    EXPECT_TRUE(document.Render(1, 100).isNull());
}

TEST(PageRendererTest, TextHeightFollowsFontSizeAndZoom)
{
    EXPECT_EQ(TextPixelHeight(12, 50, Resolution), 8);
    EXPECT_EQ(TextPixelHeight(10, 33, Resolution), 4);  // 4.4 truncated
    EXPECT_EQ(TextPixelHeight(0.5, 10, Resolution), 1);  // never below one pixel

    // A drawn 'H' at zoom 50 and 12 points stays within the 8 pixels below the text's top.
    MemoryDocument small;
    small.AddPage(0, 0, 612, 792);
    small.AddText(1, "H", 72, 720, 12, {9});
    const QImage smallImage = small.Render(1, 50);
    const int smallTop = 528 - 480;  // page y of 720 at zoom 50
    const auto smallRows = MarkedRows(smallImage, QRect(0, 0, 200, 200), IsDark);
    ASSERT_FALSE(smallRows.empty());
    EXPECT_GE(smallRows.front(), smallTop);
    EXPECT_LT(smallRows.back(), smallTop + 8);
    EXPECT_GE(smallRows.size(), 4u);

    // Large enough to see where the glyph sits: the top-left of its cell is at the point, so the
    // capital starts below the top and ends above the cell's foot.
    MemoryDocument large;
    large.AddPage(0, 0, 612, 792);
    large.AddText(1, "H", 72, 720, 48, {36});
    const QImage largeImage = large.Render(1, 100);
    const int top = 1056 - 960;
    const auto rows = MarkedRows(largeImage, QRect(0, 0, 400, 400), IsDark);
    ASSERT_FALSE(rows.empty());
    EXPECT_GT(rows.front(), top + 2);
    EXPECT_LT(rows.back(), top + 64);
    const int capHeight = rows.back() - rows.front() + 1;
    EXPECT_GT(capHeight, 64 * 6 / 10);
    EXPECT_LT(capHeight, 64 * 8 / 10);
    const auto columns = MarkedColumns(largeImage, QRect(0, 0, 400, 400), IsDark);
    EXPECT_GE(columns.front(), 96);
    EXPECT_LT(columns.front(), 96 + 12);
}

TEST(PageRendererTest, CharactersArePlacedByWidthsAndSpacingsInFillColour)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    // 0x000000FF is red in the item's blue-green-red order.
    document.AddText(1, "II", 72, 720, 36, {40, 0}, {20, 0}).FillColor = 0x000000FF;
    const QImage image = document.Render(1, 100);
    const auto redish = [](QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 100 && qBlue(pixel) < 100; };
    const auto columns = MarkedColumns(image, QRect(0, 0, 816, 300), redish);
    ASSERT_FALSE(columns.empty());
    // The second 'I' starts 60 points = 80 pixels after the first.
    std::vector<int> starts{columns.front()};
    for (size_t i = 1; i < columns.size(); ++i)
        if (columns[i] > columns[i - 1] + 1) starts.push_back(columns[i]);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1] - starts[0], 80);
    EXPECT_EQ(CountWhere(image, [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 100; }), 0);
}

TEST(PageRendererTest, TextEndsAtAZeroByte)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.AddText(1, std::string("H\0H", 3), 72, 720, 36, {100, 100, 100});
    const QImage image = document.Render(1, 100);
    const auto columns = MarkedColumns(image, QRect(0, 0, 816, 300), IsDark);
    ASSERT_FALSE(columns.empty());
    // Only the first 'H', from pixel 96 on; the third character would start at pixel 496.
    EXPECT_LT(columns.back(), 96 + 60);
}

TEST(PageRendererTest, InvisibleTextIsNotDrawn)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.AddText(1, "H", 72, 720, 36, {100}).Invisible = 1;
    document.AddText(1, "H", 300, 720, 36, {100});
    const auto columns = MarkedColumns(document.Render(1, 100), QRect(0, 0, 816, 300), IsDark);
    ASSERT_FALSE(columns.empty());
    EXPECT_GE(columns.front(), 400);  // only the second, at 300 points
}

TEST(PageRendererTest, ImageSitsOnTheMediaBoxCornerWithItsScaledSize)
{
    MemoryDocument document;
    document.AddPage(10, 20, 622, 812);
    document.AddPage(10, 20, 622, 812);
    ImageObject& picture = *document.document.pictures.Append();
    ASSERT_TRUE(newdib(picture.image, 2, 2, 24));
    // Rows are stored bottom-up, pixels as blue, green, red: the bottom row red, the top row blue.
    uint8_t* bottom = picture.image.pixels;
    uint8_t* upper = picture.image.pixels + picture.image.bytesPerRow;
    for (int x = 0; x < 2; ++x) {
        bottom[3 * x + 2] = 0xFF;
        upper[3 * x] = 0xFF;
    }
    for (uint32_t page : {1u, 2u}) {
        PageItem& item = document.AddItem(page);
        item.IsImage = 1;
        item.ImageIndex = 0;
        item.X = page == 1 ? 10 : 300;
        item.Y = 20;
        item.ScaleX = 72;
        item.ScaleY = 36;
    }
    // An index past the picture list is passed over.
    PageItem& stray = document.AddItem(1);
    stray.IsImage = 1;
    stray.ImageIndex = 7;
    stray.ScaleX = stray.ScaleY = 100;

    const QImage image = document.Render(1, 100);
    ASSERT_EQ(image.size(), QSize(816, 1056));
    EXPECT_EQ(QColor(image.pixel(0, 1055)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(95, 1032)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(0, 1008)), QColor(Qt::blue));
    EXPECT_EQ(QColor(image.pixel(95, 1031)), QColor(Qt::blue));
    EXPECT_TRUE(IsWhite(image.pixel(96, 1055)));
    EXPECT_TRUE(IsWhite(image.pixel(0, 1007)));
    // The item of page 2 is not drawn on page 1.
    EXPECT_EQ(CountWhere(image, IsWhite), 816 * 1056 - 96 * 48);
}

TEST(PageRendererTest, PicturesTextAndCommentsTurnWithThePage)
{
    // A 288 × 144 point page (at zoom 50: 192 × 96 pixels upright) with a 2 × 1 picture whose
    // left pixel is red and right one blue on the bottom-left inch, a yellow note on the top-left
    // inch and a line of text near the top-right corner.
    const struct {
        int rotation;
        QSize size;
        QPoint red, blue;  // the middles of the picture's halves
        QRect note;
        QRect textArea;  // the quarter of the drawing that holds the text
    } cases[] = {
        {0, {192, 96}, {24, 72}, {72, 72}, {0, 0, 48, 24}, {96, 0, 96, 48}},
        {90, {96, 192}, {24, 24}, {24, 72}, {72, 0, 24, 48}, {48, 96, 48, 96}},
        {180, {192, 96}, {168, 24}, {120, 24}, {144, 72, 48, 24}, {0, 48, 96, 48}},
        {270, {96, 192}, {72, 168}, {72, 120}, {0, 144, 24, 48}, {0, 0, 48, 96}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotation);
        MemoryDocument document;
        document.AddPage(0, 0, 288, 144);
        document.document.pages.At(0)->rotation = c.rotation;
        ImageObject& picture = *document.document.pictures.Append();
        ASSERT_TRUE(newdib(picture.image, 2, 1, 24));
        picture.image.pixels[2] = 0xFF;  // blue, green, red
        picture.image.pixels[3] = 0xFF;
        PageItem& item = document.AddItem(1);
        item.IsImage = 1;
        item.ImageIndex = 0;
        item.ScaleX = 144;
        item.ScaleY = 72;
        document.AddComment(0, AnnotStamp, 0, 0, 1, 0.5);
        document.AddText(1, "Wort", 200, 120, 12, {8, 8, 8, 8});

        const QImage image = document.Render(1, 50);
        ASSERT_EQ(image.size(), c.size);
        EXPECT_EQ(QColor(image.pixel(c.red)), QColor(Qt::red));
        EXPECT_EQ(QColor(image.pixel(c.blue)), QColor(Qt::blue));
        // The note's outline runs along its box; inside it is yellow.
        const QRect& note = c.note;
        for (const QPoint corner : {note.topLeft(), note.topRight(), note.bottomLeft(), note.bottomRight()})
            EXPECT_EQ(QColor(image.pixel(corner)), QColor(Qt::black)) << corner.x() << ',' << corner.y();
        EXPECT_EQ(QColor(image.pixel(note.center())), QColor(Qt::yellow));
        // Black ink: the text's in its quarter, the outline's in the note, none elsewhere.
        const auto black = [](QRgb pixel) { return qRed(pixel) < 128 && qGreen(pixel) < 128 && qBlue(pixel) < 128; };
        EXPECT_GT(CountWhere(image.copy(c.textArea), black), 20);
        EXPECT_EQ(CountWhere(image, black) - CountWhere(image.copy(c.textArea), black), CountWhere(image.copy(note), black));
    }
}

TEST(PageRendererTest, PaletteBitmapsConvertThroughTheirPalette)
{
    RasterImage mono;
    ASSERT_TRUE(newdib(mono, 3, 1, 1));
    mono.pixels[0] = 0b1010'0000;
    const QImage monoImage = QImageFromRaster(mono);
    ASSERT_EQ(monoImage.size(), QSize(3, 1));
    EXPECT_EQ(QColor(monoImage.pixel(0, 0)), QColor(Qt::white));
    EXPECT_EQ(QColor(monoImage.pixel(1, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(monoImage.pixel(2, 0)), QColor(Qt::white));
    deldib(mono);

    RasterImage indexed;
    ASSERT_TRUE(newdib(indexed, 2, 2, 8));
    indexed.palette[5] = 0x00FF8000;  // red, green, blue from the top byte down
    indexed.pixels[0] = 5;
    indexed.pixels[1] = 255;
    indexed.paletteCount = 6;
    const QImage indexedImage = QImageFromRaster(indexed);
    ASSERT_EQ(indexedImage.size(), QSize(2, 2));
    EXPECT_EQ(QColor(indexedImage.pixel(0, 1)), QColor(255, 128, 0));
    EXPECT_EQ(QColor(indexedImage.pixel(1, 1)), QColor(Qt::black));  // past the palette
    EXPECT_EQ(QColor(indexedImage.pixel(0, 0)), QColor(indexed.palette[0] | 0xFF000000u));
    // A row too short for its pixels is refused rather than read past.
    indexed.bytesPerRow = 1;
    EXPECT_TRUE(QImageFromRaster(indexed).isNull());
    deldib(indexed);

    RasterImage none{};
    EXPECT_TRUE(QImageFromRaster(none).isNull());
}

TEST(PageRendererTest, CommentsAreYellowNotesOfTheKnownKinds)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.AddComment(0, AnnotText, 1, 2, 3, 3);
    document.AddComment(0, AnnotOther, 4, 4, 5, 5);
    document.AddComment(0, AnnotFreeText, 4, 6, 6.5, 7, "Ein Kommentar mit vielen Worten, der umbrochen wird");
    const QImage image = document.Render(1, 100);
    // Inches at 96 ppi: the outline runs from 96 to 287 across and 192 to 287 down.
    EXPECT_EQ(QColor(image.pixel(96, 192)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(287, 287)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(150, 250)), QColor(Qt::yellow));
    EXPECT_TRUE(IsWhite(image.pixel(288, 250)));
    EXPECT_TRUE(IsWhite(image.pixel(150, 288)));
    EXPECT_TRUE(IsWhite(image.pixel(95, 250)));
    // Other kinds are not drawn.
    EXPECT_TRUE(IsWhite(image.pixel(400, 400)));

    // The text stays inside the note shrunk by 3 pixels and breaks into several lines.
    const QRect note(384, 576, 240, 96);
    const QRect inner = note.adjusted(3, 3, -4, -4);
    const auto rows = MarkedRows(image, inner, IsDark);
    ASSERT_FALSE(rows.empty());
    EXPECT_GT(rows.back() - rows.front(), CommentFontPixelHeight(100, Resolution));
    for (int y = note.top() + 1; y < note.bottom(); ++y) {
        for (int x = note.left() + 1; x < note.right(); ++x) {
            if (!inner.contains(x, y)) {
                ASSERT_EQ(QColor(image.pixel(x, y)), QColor(Qt::yellow)) << x << ',' << y;
            }
        }
    }
}

TEST(PageRendererTest, CommentsShiftByTheMediaBoxCornerAndScaleTheirFont)
{
    MemoryDocument document;
    document.AddPage(72, 144, 684, 936);
    document.AddComment(0, AnnotStamp, 1, 2, 2, 3);
    const QImage image = document.Render(1, 50);
    // Comment coordinates lose the media box corner in inches: 1 - 1 and 2 - 2 inches.
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(47, 47)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(20, 20)), QColor(Qt::yellow));
    EXPECT_TRUE(IsWhite(image.pixel(48, 20)));

    // zoom × 11 / 100 points, halves to even, then points at 96 ppi.
    EXPECT_EQ(CommentFontPixelHeight(50, Resolution), 8);    // 5.5 -> 6 pt
    EXPECT_EQ(CommentFontPixelHeight(150, Resolution), 21);  // 16.5 -> 16 pt
    EXPECT_EQ(CommentFontPixelHeight(250, Resolution), 37);  // 27.5 -> 28 pt
    EXPECT_EQ(CommentFontPixelHeight(10, Resolution), 1);
}

PageItem& AddPath(MemoryDocument& document, const std::vector<PathSegment>& segments)
{
    PageItem& item = document.AddItem(1);
    item.IsPath = 1;
    item.ScaleX = item.ScaleY = 1;
    item.Segments = new PathSegments();
    for (const PathSegment& segment : segments) *item.Segments->Append() = segment;
    return item;
}

PathSegment Line(double x1, double y1, double x2, double y2, double width = 1)
{
    return PathSegment{width, x1, y1, x1, y1, x2, y2, 1};
}

TEST(PageRendererTest, PathsFillOverAllPointsAndStrokeWithTheirWidth)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    // A move far away adds no point to the polygon.
    PathSegment move{1, 500, 500, 500, 500, 500, 500, 0};
    PageItem& triangle = AddPath(document, {move, Line(100, 100, 300, 100, 10), Line(300, 100, 200, 300, 10), Line(200, 300, 100, 100, 10)});
    triangle.Filled = 1;
    triangle.Stroked = 1;
    triangle.FillColor = 0x0000FF00;    // green
    triangle.StrokeColor = 0x00FF0000;  // blue
    PageItem& rule = AddPath(document, {Line(350, 600, 550, 600, 4)});
    rule.Stroked = 1;
    rule.StrokeColor = 0x00FF0000;
    rule.X = 10;
    rule.Y = -30;

    const QImage image = document.Render(1, 100);
    // Inside the triangle: green. The 13-pixel stroke along the base (row 923) stays blue
    // outside the polygon and is covered by the fill inside it.
    EXPECT_EQ(QColor(image.pixel(266, 830)), QColor(Qt::green));
    EXPECT_EQ(QColor(image.pixel(266, 918)), QColor(Qt::green));
    EXPECT_EQ(QColor(image.pixel(266, 928)), QColor(Qt::blue));
    EXPECT_TRUE(IsWhite(image.pixel(600, 1056 - 600)));
    EXPECT_TRUE(IsWhite(image.pixel(500, 1056 - 400)));
    // The rule is moved by the item's origin and is px(4) = 5 pixels wide.
    const auto blue = [](QRgb pixel) { return QColor(pixel) == QColor(Qt::blue); };
    const int column = 600;
    const auto rows = MarkedRows(image, QRect(column, 0, 1, 1056), blue);
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR((rows.front() + rows.back()) / 2.0, 1056 - 760, 1.0);
    EXPECT_EQ(rows.back() - rows.front() + 1, 5);
}

TEST(PageRendererTest, WildNumbersNeitherCrashNorExhaustMemory)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    document.AddPage(0, 0, 1e7, 1e7);
    const double nan = std::nan("");
    document.AddText(1, "Hi", nan, 1e300, 1e9, {nan, -1e300});
    PageItem& path = AddPath(document, {Line(-1e300, 1e300, nan, 5, 1e12), Line(0, 0, 1e9, 1e9, nan)});
    path.Stroked = path.Filled = 1;
    ImageObject& picture = *document.document.pictures.Append();
    ASSERT_TRUE(newdib(picture.image, 1, 1, 24));
    PageItem& image = document.AddItem(1);
    image.IsImage = 1;
    image.ScaleX = -1e200;
    image.ScaleY = 50;
    EXPECT_EQ(document.Render(1, 300).size(), QSize(2448, 3168));
    // A drawing of several gigabytes is refused, not attempted.
    EXPECT_TRUE(document.Render(2, 300).isNull());
}

TEST(PageRendererTest, StencilPaintsItsFillColourAndLetsThePageShowThrough)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    ImageObject& backdrop = *document.document.pictures.Append();
    ASSERT_TRUE(newdib(backdrop.image, 1, 1, 24));
    backdrop.image.pixels[0] = 0xFF;  // blue
    ImageObject& stencil = *document.document.pictures.Append();
    stencil.stencil = 1;
    // Two pixels: the left one paints (bit 0), the right one does not.
    ASSERT_TRUE(newdib(stencil.image, 2, 1, 1));
    stencil.image.pixels[0] = 0x40;
    for (int index = 0; index < 2; ++index) {
        for (uint32_t colour : {0x0000FFu, 0x00FF00u}) {  // red, then green: 0x00BBGGRR
            PageItem& item = document.AddItem(1);
            item.IsImage = 1;
            item.ImageIndex = index;
            item.X = colour == 0x0000FFu ? 0 : 144;
            item.Y = 792 - 72;
            item.ScaleX = 72;
            item.ScaleY = 72;
            item.FillColor = colour;
        }
    }
    const QImage image = document.Render(1, 100);
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(80, 10)), QColor(Qt::blue));
    // The same stencil in another fill colour is not taken from the first one's conversion.
    EXPECT_EQ(QColor(image.pixel(202, 10)), QColor(Qt::green));
    EXPECT_EQ(QColor(image.pixel(272, 10)), QColor(Qt::blue));
}

TEST(PageRendererTest, MaskedPictureShowsThePageWhereItsMaskIsClear)
{
    MemoryDocument document;
    document.AddPage(0, 0, 612, 792);
    ImageObject& backdrop = *document.document.pictures.Append();
    ASSERT_TRUE(newdib(backdrop.image, 1, 1, 24));
    backdrop.image.pixels[0] = 0xFF;  // blue
    ImageObject& picture = *document.document.pictures.Append();
    ASSERT_TRUE(newdib(picture.image, 1, 1, 24));
    picture.image.pixels[2] = 0xFF;  // red
    // A grey mask twice as wide as the picture: opaque on the left, clear on the right.
    ASSERT_TRUE(newdib(picture.mask, 2, 1, 8));
    picture.mask.pixels[0] = 0xFF;
    for (int index = 0; index < 2; ++index) {
        PageItem& item = document.AddItem(1);
        item.IsImage = 1;
        item.ImageIndex = index;
        item.Y = 792 - 72;
        item.ScaleX = item.ScaleY = 72;
    }
    const QImage image = document.Render(1, 100);
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(80, 10)), QColor(Qt::blue));
}

}  // namespace
}  // namespace folivo
