// The content interpreter: text runs, images and paths from content bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "content/ContentInterpreter.h"
#include "content/FixedMeasuringCanvas.h"
#include "core/CharsetTables.h"

namespace folivo {
namespace {

class InterpreterTest : public ::testing::Test {
protected:
    ~InterpreterTest() override
    {
        DiscardAllItems(items, staging, ranges);
        for (uint32_t i = 0; i < fonts.Count(); ++i) ReleaseText(fonts.At(i)->resourceName);
        for (uint32_t i = 0; i < pictures.Count(); ++i) ReleaseText(pictures.At(i)->name);
    }

    FontRecord& AddFont(const char* name, int32_t encoding = WinAnsiEncoding)
    {
        FontRecord& font = *fonts.Append();
        font.resourceName = MakeText(name);
        font.encoding = encoding;
        font.boxWidth = font.boxHeight = 1;
        return font;
    }

    void AddPicture(const char* name) { pictures.Append()->name = MakeText(name); }

    // Interprets the content as page 1 and returns its items.
    std::vector<PageItem*> Run(const std::string& content, uint32_t page = 1)
    {
        ContentInterpreter interpreter({fonts, pictures, canvas, {}}, staging, page);
        FileBuffer buffer{reinterpret_cast<const uint8_t*>(content.data()), static_cast<int32_t>(content.size()), 0};
        interpreter.Run(buffer);
        ReplacePageItems(items, staging, ranges, page);
        std::vector<PageItem*> result;
        const PageItemRanges::Range range = ranges.Of(page);
        for (uint32_t i = range.first; i < range.first + range.count; ++i) result.push_back(items.At(i));
        return result;
    }

    // The page numbers of the items every reader sees, in list order.
    std::vector<uint32_t> LivePages() const
    {
        std::vector<uint32_t> pages;
        for (uint32_t i = 0; i < items.Count(); ++i) {
            if (items.At(i)->PageNumber != 0) pages.push_back(items.At(i)->PageNumber);
        }
        return pages;
    }

    FontRecord* currentFont = nullptr;
    ImageObject* currentPicture = nullptr;
    PageItem* currentItem = nullptr;
    PageItem* currentStaging = nullptr;
    TDynaArray<FontRecord> fonts{&currentFont};
    TDynaArray<ImageObject> pictures{&currentPicture};
    TDynaArray<PageItem> items{&currentItem};
    TDynaArray<PageItem> staging{&currentStaging};
    PageItemRanges ranges;
    FixedMeasuringCanvas canvas{72};  // one pixel per point keeps the figures exact
};

std::string TextOf(const PageItem* item) { return std::string(item->Text.View()); }

TEST_F(InterpreterTest, TextRunWithKnownWidths)
{
    FontRecord& font = AddFont("/F1");
    font.firstChar = 32;
    for (int code = 32; code < 128; ++code) {
        font.widths[code - 32] = 500 + code;
        font.widthPresent[code - 32] = 1;
    }
    const auto runs = Run("BT /F1 12 Tf 72 700 Td (Hello) Tj ET");
    ASSERT_EQ(runs.size(), 1u);
    const PageItem& run = *runs[0];
    EXPECT_EQ(TextOf(&run), "Hello");
    EXPECT_EQ(run.X, 72);
    EXPECT_EQ(run.FontSize, 12);
    EXPECT_EQ(run.LineHeight, 13);  // the fixed canvas: height + height / 8 pixels
    EXPECT_EQ(run.Y, 700 + run.LineHeight);
    EXPECT_EQ(run.FontName.View(), "/F1");
    EXPECT_DOUBLE_EQ(run.CharWidths[0], (500 + 'H') * 12 / 1000.0);
    double total = 0;
    for (int i = 0; i < 5; ++i) total += run.CharWidths[i] + run.CharSpacings[i];
    EXPECT_DOUBLE_EQ(run.TextWidth, total);
}

TEST_F(InterpreterTest, Type3GlyphSpaceIsScaledByTheFontMatrix)
{
    // Glyph units of 1/1000 with a box 1000 high: 12-point text is 12 points high, a glyph
    // 500 wide half an em. Without a matrix the box and widths count as text space.
    for (const bool withMatrix : {true, false}) {
        FontRecord& font = AddFont(withMatrix ? "/T3" : "/T0");
        font.isType3 = 1;
        font.boxHeight = 1000;
        font.firstChar = 'A';
        font.widths[0] = 500;
        font.widthPresent[0] = 1;
        font.hasFontMatrix = withMatrix;
        font.fontMatrixX = font.fontMatrixY = 0.001;
    }
    const auto runs = Run("BT /T3 12 Tf (A) Tj ET BT /T0 12 Tf (A) Tj ET");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_DOUBLE_EQ(runs[0]->FontSize, 12);
    EXPECT_DOUBLE_EQ(runs[0]->CharWidths[0], 6);
    EXPECT_DOUBLE_EQ(runs[1]->FontSize, 12000);
    EXPECT_DOUBLE_EQ(runs[1]->CharWidths[0], 6000);
}

TEST_F(InterpreterTest, TextRunsCarryTheirFontsStyle)
{
    AddFont("/B").style = StyleBold | StyleSerif;
    const auto runs = Run("BT /B 12 Tf (bold) Tj ET");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]->FontStyle, StyleBold | StyleSerif);
}

TEST_F(InterpreterTest, TextOutsideATextObjectShowsNothing)
{
    EXPECT_TRUE(Run("(Hello) Tj").empty());
    EXPECT_TRUE(Run("BT () Tj ET").empty());  // an empty string makes no run
}

TEST_F(InterpreterTest, RunsFollowEachOther)
{
    AddFont("/F1");
    const auto runs = Run("BT /F1 10 Tf (ab) Tj (cd) Tj ET");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_DOUBLE_EQ(runs[1]->X, runs[0]->X + runs[0]->TextWidth);
    EXPECT_EQ(runs[0]->TextWidth, 10);  // measured: 5 pixels per character at 10 pixels
}

TEST_F(InterpreterTest, BeforeAnyFontTheDefaultsApply)
{
    const auto runs = Run("BT (x) Tj ET");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]->FontName.View(), "/R1");
    EXPECT_EQ(runs[0]->FontSize, 1);
}

TEST_F(InterpreterTest, KerningAndHexStrings)
{
    AddFont("/F1");
    auto runs = Run("BT /F1 10 Tf [(A) -500 (B)] TJ ET");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), "AB");
    EXPECT_DOUBLE_EQ(runs[0]->CharSpacings[0], 5);
    EXPECT_DOUBLE_EQ(runs[0]->CharSpacings[1], 0);

    runs = Run("BT /F1 10 Tf <414200> Tj <4x4> Tj <5C6E>Tj ET");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(TextOf(runs[0]), "AB");
    EXPECT_EQ(TextOf(runs[1]), "@");      // "x" counts as 0, the odd last digit is dropped
    EXPECT_EQ(TextOf(runs[2]), "\\n");   // hex bytes are not escape sequences
}

TEST_F(InterpreterTest, NextLineOperatorsResetTheAdvance)
{
    AddFont("/F1");
    const auto runs = Run("BT /F1 10 Tf 14 TL 100 500 Td (a) Tj (b) ' ET");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1]->X, 100);
    EXPECT_EQ(runs[0]->Y - runs[1]->Y, 14);
}

TEST_F(InterpreterTest, ImagePlacement)
{
    AddPicture("/Other");
    AddPicture("/Im1");
    const auto placed = Run("q 200 0 0 100 50 60 cm /Im1 Do Q /Im1 Do /Missing Do");
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_TRUE(placed[0]->IsImage);
    EXPECT_EQ(placed[0]->ImageIndex, 1);
    EXPECT_EQ(placed[0]->X, 50);
    EXPECT_EQ(placed[0]->Y, 60);
    EXPECT_EQ(placed[0]->ScaleX, 200);
    EXPECT_EQ(placed[0]->ScaleY, 100);
    // After Q the matrix is the identity again.
    EXPECT_EQ(placed[1]->X, 0);
    EXPECT_EQ(placed[1]->ScaleX, 1);
}

TEST_F(InterpreterTest, FilledRectangle)
{
    const auto paths = Run("0 0 1 rg 10 10 100 50 re f");
    ASSERT_EQ(paths.size(), 1u);
    const PageItem& path = *paths[0];
    EXPECT_TRUE(path.IsPath);
    EXPECT_TRUE(path.Filled);
    EXPECT_FALSE(path.Stroked);
    EXPECT_EQ(path.FillColor, 0x00FF0000u);
    ASSERT_EQ(path.Segments->Count(), 4u);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_TRUE(path.Segments->At(i)->IsDrawn);
    EXPECT_EQ(path.Segments->At(3)->X3, 10);
    EXPECT_EQ(path.Segments->At(3)->Y3, 10);
    EXPECT_EQ(path.Segments->At(1)->Y3, 60);
}

TEST_F(InterpreterTest, StrokedPathWithClose)
{
    const auto paths = Run("2 w 10 10 m 20 20 l h S 1 1 m 5 5 l f*");
    ASSERT_EQ(paths.size(), 2u);
    const auto& segments = *paths[0]->Segments;
    ASSERT_EQ(segments.Count(), 3u);
    EXPECT_FALSE(segments.At(0)->IsDrawn);
    EXPECT_TRUE(segments.At(1)->IsDrawn);
    EXPECT_EQ(segments.At(2)->X1, 10);
    EXPECT_EQ(segments.At(2)->Y3, 10);
    EXPECT_EQ(segments.At(1)->LineWidth, 2);
    EXPECT_TRUE(paths[0]->Stroked);
    EXPECT_FALSE(paths[0]->Filled);
    EXPECT_TRUE(paths[1]->Filled);  // f* fills like f
    EXPECT_EQ(paths[1]->Segments->Count(), 2u);  // each painting starts a new path
}

TEST_F(InterpreterTest, CurvesAsControlPolygons)
{
    auto paths = Run("0 0 m 1 2 3 4 5 6 c 7 8 9 10 v 11 12 13 14 y S");
    ASSERT_EQ(paths.size(), 1u);
    const auto& s = *paths[0]->Segments;
    ASSERT_EQ(s.Count(), 7u);
    EXPECT_EQ(s.At(2)->X2, 3);
    EXPECT_EQ(s.At(2)->X3, 5);
    // v: the first control point is the current point (5, 6).
    EXPECT_EQ(s.At(3)->X3, 5);
    EXPECT_EQ(s.At(4)->X1, 5);
    EXPECT_EQ(s.At(4)->X2, 7);
    EXPECT_EQ(s.At(4)->X3, 9);
    // y: the second control point is the end point.
    EXPECT_EQ(s.At(6)->X1, 11);
    EXPECT_EQ(s.At(6)->X2, 13);
    EXPECT_EQ(s.At(6)->X3, 13);
}

TEST_F(InterpreterTest, Colours)
{
    auto items = Run("2 g 0 0 m f 1 0 0 0 k 0 0 m f 0.5 0.25 0 RG 0 0 m S 0 1 0 sc 0 0 m f 0 0 0 1 scn 0 0 m f");
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0]->FillColor, 0x00FEFEFEu);  // 510 modulo 256
    EXPECT_EQ(items[1]->FillColor, 0x00FFFF00u);  // cyan: no red
    EXPECT_EQ(items[2]->StrokeColor, 0x00003F7Fu);  // components truncate: 127, 63
    EXPECT_EQ(items[3]->FillColor, 0x0000FF00u);
    EXPECT_EQ(items[4]->FillColor, 0x00000000u);  // four components: full black
    EXPECT_EQ(ColourByte(-1), 1);
    EXPECT_EQ(ColourByte(1e300), 0);
}

TEST_F(InterpreterTest, SavedStateRestoresColours)
{
    const auto items = Run("0 0 1 RG q 1 g 1 0 0 RG 0 0 m f Q 0 0 m S");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->FillColor, 0x00FFFFFFu);
    EXPECT_EQ(items[1]->FillColor, 0u);
    EXPECT_EQ(items[1]->StrokeColor, 0x00FF0000u);
}

TEST_F(InterpreterTest, EncodingsAndDifferences)
{
    FontRecord& mac = AddFont("/M", MacRomanEncoding);
    FontRecord& differences = AddFont("/D", StandardEncoding);
    differences.differences[65] = 128;
    differences.differencePresent[65] = 1;
    // Item text is UTF-8; the Latin set's ligatures come out as their letters.
    const auto runs = Run("BT (\\200) Tj /M 1 Tf (\\200) Tj /Nothing 1 Tf (\\200) Tj /D 1 Tf (A\\341\\256) Tj ET");
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(TextOf(runs[0]), "€");  // before any font: Windows-1252
    EXPECT_EQ(TextOf(runs[1]), "Ä");  // MacRoman Adieresis
    EXPECT_EQ(TextOf(runs[2]), "Ä");  // an unknown font keeps the last encoding
    EXPECT_EQ(TextOf(runs[3]), "€Æfi");
    // The two letters of "fi" share its one width; the run's width stays the sum.
    ASSERT_EQ(std::string(runs[3]->Text.View()).size(), 7u);
    EXPECT_DOUBLE_EQ(runs[3]->CharWidths[5], runs[3]->CharWidths[6]);
    (void)mac;
}

TEST_F(InterpreterTest, InvisibleTextIsAnItemMarkedNotToBeDrawn)
{
    // Mode 3 holds across text objects until another mode is set.
    const auto items = Run("3 Tr BT (ocr) Tj ET BT (too) Tj ET 0 Tr BT (seen) Tj ET 7 Tr BT (clip) Tj ET");
    ASSERT_EQ(items.size(), 4u);
    const uint8_t invisible[] = {1, 1, 0, 0};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(items[i]->Invisible, invisible[i]) << i;
}

TEST_F(InterpreterTest, OtherStringOperandsAreShownToo)
{
    AddFont("/F1");
    const auto runs = Run("BT /F1 10 Tf /Span <</ActualText (x)>> BDC (y) Tj EMC ET");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), "xy");
}

TEST_F(InterpreterTest, ReinterpretingReplacesThePageItems)
{
    Run("0 0 m f", 2);
    Run("0 0 m f 1 1 m S", 3);
    const auto again = Run("0 0 m f 1 1 m S", 3);
    EXPECT_EQ(again.size(), 2u);
    EXPECT_EQ(LivePages(), (std::vector<uint32_t>{2, 3, 3}));
    for (const PageItem* item : again) EXPECT_EQ(item->PageNumber, 3u);
    Run("", 2);
    EXPECT_EQ(ranges.Of(2).count, 0u);
    EXPECT_EQ(LivePages(), (std::vector<uint32_t>{3, 3}));
}

TEST_F(InterpreterTest, ReplacingEveryPageRepeatedlyKeepsTheListCompact)
{
    // Three rounds over 50 pages of two items each: the replaced items are released and
    // removed once they outnumber the live ones, so the list never holds more than twice
    // the live items, and every page keeps exactly its newest items.
    for (int round = 0; round < 3; ++round) {
        for (uint32_t page = 1; page <= 50; ++page) {
            Run("0 0 m f 1 1 m S", page);
            EXPECT_LE(items.Count(), 2 * (100 + 2));
        }
    }
    for (uint32_t page = 1; page <= 50; ++page) {
        const PageItemRanges::Range range = ranges.Of(page);
        ASSERT_EQ(range.count, 2u);
        EXPECT_EQ(items.At(range.first)->PageNumber, page);
        EXPECT_EQ(items.At(range.first + 1)->PageNumber, page);
    }
    EXPECT_EQ(LivePages().size(), 100u);
    EXPECT_EQ(items.Count() - ranges.DeadCount(), 100u);
}

TEST_F(InterpreterTest, BadOperandsStopTheOperator)
{
    // Tm keeps what it stored before the bad operand; cm changes nothing; a line keeps its
    // segment with 0 for what was not stored and leaves the current point.
    auto items = Run("BT 2 0 0 x 5 6 Tm (a) Tj ET 2 0 0 2 x 0 cm 3 3 m 7 x l 1 1 l S");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->X, 0);
    EXPECT_EQ(items[0]->FontSize, 1);
    const auto& segments = *items[1]->Segments;
    ASSERT_EQ(segments.Count(), 3u);
    EXPECT_EQ(segments.At(1)->X3, 7);
    EXPECT_EQ(segments.At(1)->Y3, 0);
    EXPECT_EQ(segments.At(2)->X1, 3);  // the current point stayed at the move
    EXPECT_EQ(items[1]->ScaleX, 1);
}

TEST_F(InterpreterTest, LongContentOutsideTextKeepsFewOperands)
{
    std::string content;
    for (int i = 0; i < 100000; ++i) content += "1 2 m 3 4 l ";
    content += "0.5 g 5 5 m f";
    const auto items = Run(content);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->FillColor, 0x007F7F7Fu);
    EXPECT_EQ(items[0]->Segments->Count(), 200001u);
}

// The path is not part of the graphics state: q and Q leave it alone, while colours, matrix and
// line width come back.
TEST_F(InterpreterTest, SavedStatesKeepStateButNotThePath)
{
    struct Case {
        const char* content;
        uint32_t segments;
        double lineWidth;  // of the last segment
    };
    const Case cases[] = {
        {"0 0 m 1 1 l q Q S", 2, 1},
        {"0 0 m q 2 w 1 1 l Q 2 2 l S", 3, 1},
        {"q 0 0 m 1 1 l Q S", 2, 1},
        {"3 w q 5 w Q 0 0 m 1 1 l S", 2, 3},
        {"0 0 m q q q Q Q Q Q Q 1 1 l S", 2, 1},  // unmatched Q changes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        const auto items = Run(c.content);
        ASSERT_EQ(items.size(), 1u);
        ASSERT_EQ(items[0]->Segments->Count(), c.segments);
        EXPECT_EQ(items[0]->Segments->At(c.segments - 1)->LineWidth, c.lineWidth);
    }
}

// Clipping paths give each later item the bounding rectangle, on the page, of every clip in force.
TEST_F(InterpreterTest, ClippingPathsNarrowTheClipOfLaterItems)
{
    AddPicture("/Im");
    struct Clip {
        bool clipped;
        double left, bottom, right, top;
    };
    const Clip none{false, 0, 0, 0, 0}, box{true, 10, 20, 110, 70};
    const std::string clip = "10 20 100 50 re W n ";
    const struct {
        std::string content;
        std::vector<Clip> items;
    } cases[] = {
        {"0 0 m 10 10 l S /Im Do", {none, none}},
        {clip + "/Im Do", {box}},
        {"10 20 100 50 re W* n BT (a) Tj ET", {box}},
        {clip + "50 0 100 100 re W n /Im Do", {{true, 50, 20, 110, 70}}},
        {clip + "0 0 5 5 re W n /Im Do", {{true, 10, 20, 5, 5}}},  // disjoint: nothing left
        {"q " + clip + "/Im Do Q /Im Do", {box, none}},
        {clip + "q 0 0 50 50 re W n /Im Do Q /Im Do", {{true, 10, 20, 50, 50}, box}},
        // The painting that ends a clipping path is not clipped by it, nor is a later path a clip.
        {"10 20 100 50 re W f 0 0 500 500 re f /Im Do", {none, box, box}},
        {"2 0 0 3 100 200 cm 0 0 10 10 re W n /Im Do", {{true, 100, 200, 120, 230}}},
        {"0 1 -1 0 100 0 cm 0 0 20 10 re W n /Im Do", {{true, 90, 0, 100, 20}}},  // (x, y) to (100 - y, x)
        {"0 0 m 50 100 100 -20 120 0 c W n /Im Do", {{true, 0, -20, 120, 100}}},
        {"500 500 m 0 0 m 10 10 l W n /Im Do", {{true, 0, 0, 10, 10}}},  // a move alone encloses nothing
        {"W n /Im Do " + clip + "W n /Im Do", {none, box}},
        {"1e308 1e308 1e308 1e308 re W n /Im Do", {none}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const auto items = Run(c.content);
        ASSERT_EQ(items.size(), c.items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            const Clip& expected = c.items[i];
            ASSERT_EQ(items[i]->Clipped != 0, expected.clipped) << i;
            if (!expected.clipped) continue;
            EXPECT_EQ(items[i]->ClipLeft, expected.left) << i;
            EXPECT_EQ(items[i]->ClipBottom, expected.bottom) << i;
            EXPECT_EQ(items[i]->ClipRight, expected.right) << i;
            EXPECT_EQ(items[i]->ClipTop, expected.top) << i;
        }
    }
}

// Operands from a content stream can be any finite number: every operator that takes numbers
// runs on huge ones of both signs, the text and the path after it still come out.
TEST_F(InterpreterTest, HugeOperandsForEveryOperator)
{
    AddFont("/F1");
    const std::string huge(300, '9');
    const char* const operators[] = {"N g", "N G", "N N N rg", "N N N RG", "N N N N k", "N N N N K", "N N N sc",
                                     "N N N N SC", "N w", "N N N N N N cm", "N N m N N l S", "N N N N N N c S",
                                     "N N N N v S", "N N N N y S", "N N N N re f", "BT N Tr ET", "BT N Tc ET",
                                     "BT /F1 N Tf ET", "BT N TL T* ET", "BT N N Td ET", "BT N N TD ET",
                                     "BT N N N N N N Tm ET"};
    for (const std::string& value : {huge, "-" + huge, std::string("8900000000000000000000")}) {
        for (const std::string op : operators) {
            std::string content;
            for (const char c : op) content += c == 'N' ? value : std::string(1, c);
            // The text object is kept apart so that a huge matrix or font size reaches it too.
            content += " BT /F1 12 Tf (x) Tj ET 0 0 m 5 5 l S";
            const auto items = Run(content);
            const bool shown = std::any_of(items.begin(), items.end(), [](const PageItem* item) { return TextOf(item) == "x"; });
            EXPECT_TRUE(shown) << content.substr(0, 40);
            EXPECT_GE(items.size(), 2u) << content.substr(0, 40);
        }
    }
    // The render mode truncates as before; beyond int it is no mode that hides text.
    const auto runs = Run("BT 3.9 Tr (a) Tj " + huge + " Tr (b) Tj -" + huge + " Tr (c) Tj ET");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0]->Invisible, 1);
    EXPECT_EQ(runs[1]->Invisible, 0);
    EXPECT_EQ(runs[2]->Invisible, 0);
}

// Bounds of one page's run: each is passed by a generated content, the run goes on, and what
// was left out is counted.
TEST_F(InterpreterTest, BoundsLeaveOutAndCount)
{
    AddFont("/F1");
    std::string numbers = "BT /F1 10 Tf ";
    for (size_t i = 0; i < 3 * OperandList::MaxCount; ++i) numbers += "7 ";
    numbers += "(x) Tj ET";
    std::string saves;
    for (size_t i = 0; i < ContentInterpreter::MaxSavedStates + 10; ++i) saves += "q ";
    saves += "1 0 0 RG ";
    for (size_t i = 0; i < ContentInterpreter::MaxSavedStates + 10; ++i) saves += "Q ";
    saves += "0 0 m S";
    const std::string big(PageItemBudget{}.textBytes / 2 + 1, 'A');
    const std::string text = "BT (" + big + ") Tj (" + big + ") Tj (B) Tj ET";

    struct Case {
        std::string content;
        uint64_t ContentInterpreter::Omissions::*counter;
        uint64_t omitted;
        size_t items;
    };
    const Case cases[] = {
        {numbers, &ContentInterpreter::Omissions::operands, 2 * OperandList::MaxCount, 1},
        {saves, &ContentInterpreter::Omissions::savedStates, 10, 1},
        {text, &ContentInterpreter::Omissions::textBytes, big.size(), 2},
    };
    for (const Case& c : cases) {
        ContentInterpreter interpreter({fonts, pictures, canvas, {}}, staging, 1);
        FileBuffer buffer{reinterpret_cast<const uint8_t*>(c.content.data()), static_cast<int32_t>(c.content.size()), 0};
        interpreter.Run(buffer);
        EXPECT_GE(interpreter.Omitted().*c.counter, c.omitted);
        EXPECT_EQ(staging.Count(), c.items);
        ClearStagingItems(staging);
    }
    // The text after the numbers is still shown; the stroke colour set inside the deep saves is
    // undone by the Q that match saved states.
    const auto shown = Run(numbers);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(TextOf(shown[0]), "x");
    const auto stroked = Run(saves, 2);
    ASSERT_EQ(stroked.size(), 1u);
    EXPECT_EQ(stroked[0]->StrokeColor, 0u);
}

}  // namespace
}  // namespace folivo
