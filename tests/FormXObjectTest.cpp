// Form XObjects: entered with their matrix and resources, nested, and bounded against loops;
// comments drawn through their appearance forms.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

// A grey pixel, one picture the reader decodes.
const std::string Image =
    StreamObject("/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /Filter /FlateDecode", Deflate("\x80\x80\x80"));

std::string Form(const std::string& entries, const std::string& content)
{
    return StreamObject("/Type /XObject /Subtype /Form " + entries, content);
}

// Page 3 draws /Fm1 (5), then a picture of its own. /Fm1 moves by (50, 60), draws its picture
// and /Fm2 (6), known only from /Fm1's resources, which scales by 2 and draws at (5, 5).
std::vector<std::string> NestedForms()
{
    return {"<< /Type /Page /Resources << /XObject << /Fm1 5 0 R /Im1 7 0 R >> >> /Contents 4 0 R >>",
            StreamObject("", "/Fm1 Do /Im1 Do"),
            Form("/Matrix [1 0 0 1 50 60] /Resources << /XObject << /Fm2 6 0 R /Im2 8 0 R >> /ExtGState << /GS0 7 0 R >> >>",
                 "q 9 0 0 9 0 0 cm 0 0 0 rg /Im2 Do Q /Fm2 Do"),
            Form("/Matrix [2 0 0 2 0 0]", "1 0 0 1 5 5 cm /Im1 Do"),
            Image,
            Image};
}

std::vector<PageItem> ItemsOfFirstPage(PdfDocument& document)
{
    std::vector<PageItem> items;
    const PageItemRanges::Range range = document.pageItemRanges.Of(1);
    for (uint32_t i = range.first; i < range.first + range.count; ++i) items.push_back(*document.PageItemList.At(i));
    return items;
}

TEST(FormXObjects, FormsDrawWithTheirMatrixAndResourcesAndLeaveThePageStateAsItWas)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", NestedForms()).Build());
    ASSERT_FALSE(opened->invalid);
    // /Im2 exists only inside the form; it joins the pictures under its name.
    std::vector<std::string> names;
    for (uint32_t i = 0; i < opened->pictures.Count(); ++i) names.emplace_back(opened->pictures.At(i)->name.View());
    EXPECT_NE(std::find(names.begin(), names.end(), "/Im2"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "/GS0"), names.end());

    const std::vector<PageItem> items = ItemsOfFirstPage(*opened.document);
    ASSERT_EQ(items.size(), 3u);
    const double expected[3][3] = {{50, 60, 9}, {60, 70, 2}, {0, 0, 1}};  // x, y, scale
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(items[i].IsImage) << i;
        EXPECT_DOUBLE_EQ(items[i].X, expected[i][0]) << i;
        EXPECT_DOUBLE_EQ(items[i].Y, expected[i][1]) << i;
        EXPECT_DOUBLE_EQ(items[i].ScaleX, expected[i][2]) << i;
    }
}

TEST(FormXObjects, LoopsAndDeepNestingEndAndAreNamedInTheMemo)
{
    // /Self draws itself; /Ping and /Pong draw each other; /Deep starts a chain of 10000 forms.
    // Each form of a loop draws one path before its calls, so what was drawn can be counted.
    constexpr int Chain = 10000;
    std::vector<std::string> objects = {
        "<< /Type /Page /Resources << /XObject << /Self 5 0 R /Ping 6 0 R /Deep 8 0 R >> >> /Contents 4 0 R >>",
        StreamObject("", "/Self Do /Ping Do /Deep Do"),
        Form("/Resources << /XObject << /Self 5 0 R >> >>", "0 0 m 1 1 l S /Self Do"),
        Form("/Resources << /XObject << /Pong 7 0 R >> >>", "0 0 m 1 1 l S /Pong Do"),
        Form("/Resources << /XObject << /Ping 6 0 R >> >>", "0 0 m 1 1 l S /Ping Do"),
    };
    for (int i = 0; i < Chain; ++i) {
        const int next = 9 + i;
        objects.push_back(Form("/Resources << /XObject << /Next " + std::to_string(next) + " 0 R >> >>",
                               "0 0 m 1 1 l S /Next Do"));
    }
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    ASSERT_FALSE(opened->invalid);
    // Self once, Ping and Pong once each, and the chain down to the depth bound.
    EXPECT_EQ(ItemsOfFirstPage(*opened.document).size(), 1u + 2u + ContentInterpreter::MaxFormDepth);
    ASSERT_FALSE(opened.port.memo.empty());
    const auto memo = std::find_if(opened.port.memo.begin(), opened.port.memo.end(),
                                   [](const std::string& line) { return line.find("Formobjekte") != std::string::npos; });
    ASSERT_NE(memo, opened.port.memo.end());
    EXPECT_EQ(*memo, "Seite 1: 3 Formobjekte nicht gezeichnet (Schleife, Verschachtelung über 32 oder zu viel Inhalt).");
}

TEST(FormXObjects, NamesThatAreNoFormsChangeNothing)
{
    // A missing name, an image, and a "form" whose object is no stream.
    std::vector<std::string> objects = {
        "<< /Type /Page /Resources << /XObject << /Im1 5 0 R /Bad 6 0 R >> >> /Contents 4 0 R >>",
        StreamObject("", "/Missing Do /Im1 Do /Bad Do 0 0 m 1 1 l S"), Image, "<< /Subtype /Form >>"};
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    const std::vector<PageItem> items = ItemsOfFirstPage(*opened.document);
    ASSERT_EQ(items.size(), 2u);  // the image and the path; the broken form is nothing
    EXPECT_TRUE(items[0].IsImage);
    EXPECT_TRUE(items[1].IsPath);
}

TEST(FormXObjects, FormsClipByTheirBoxAndTheirOwnClipsEndWithThem)
{
    // /Fm1 sits at (100, 100) with a box of 50; /Fm2 has no box and clips itself. The comment's
    // appearance is clipped by its box on the comment, not by what the page left behind.
    std::vector<std::string> objects = {
        "<< /Type /Page /Resources << /XObject << /Fm1 5 0 R /Fm2 6 0 R /Im1 7 0 R >> >> /Contents 4 0 R "
        "/Annots [8 0 R] >>",
        StreamObject("", "q 0 0 120 120 re W n /Fm1 Do Q /Fm2 Do /Im1 Do 0 0 1 1 re W n"),
        Form("/BBox [0 0 50 50] /Matrix [1 0 0 1 100 100] /Resources << /XObject << /Im1 7 0 R >> >>", "/Im1 Do"),
        Form("/Resources << /XObject << /Im1 7 0 R >> >>", "0 0 10 10 re W n /Im1 Do"),
        Image,
        "<< /Subtype /Stamp /Rect [300 400 320 420] /AP << /N 5 0 R >> >>",
    };
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    const std::vector<PageItem> items = ItemsOfFirstPage(*opened.document);
    ASSERT_EQ(items.size(), 4u);
    const double expected[4][4] = {{100, 100, 120, 120}, {0, 0, 10, 10}, {}, {300, 400, 320, 420}};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(items[i].Clipped, i == 2 ? 0 : 1) << i;
        if (i == 2) continue;
        const double found[4] = {items[i].ClipLeft, items[i].ClipBottom, items[i].ClipRight, items[i].ClipTop};
        for (size_t k = 0; k < 4; ++k) EXPECT_DOUBLE_EQ(found[k], expected[i][k]) << i << ' ' << k;
    }
}

TEST(FormXObjects, CommentsShowTheirNormalAppearanceOnTheirRectangle)
{
    // Each appearance draws its own picture 10 units wide in a box of 10, so the item tells
    // which appearance was drawn, where and how large.
    auto appearance = [](const std::string& picture, const std::string& entries = "") {
        return Form("/BBox [0 0 10 10] " + entries + " /Resources << /XObject << " + picture + " 6 0 R >> >>",
                    "10 0 0 10 0 0 cm " + picture + " Do");
    };
    std::vector<std::string> objects = {
        "<< /Type /Page /MediaBox [0 0 600 800] /Contents 4 0 R /Annots [7 0 R 8 0 R 9 0 R 10 0 R 11 0 R] >>",
        StreamObject("", ""),
        "<< /Subtype /Form >>",  // no stream, never drawn
        Image,
        // A field 20 × 20 at (100, 200), one scaled by its matrix, a hidden one, a text note,
        // a check box in state /Off.
        "<< /Subtype /Widget /Rect [100 200 120 220] /AP << /N 12 0 R >> >>",
        "<< /Subtype /Stamp /Rect [300 400 310 410] /AP 13 0 R >>",
        "<< /Subtype /Widget /F 2 /Rect [0 0 50 50] /AP << /N 12 0 R >> >>",
        "<< /Subtype /Text /Rect [0 0 50 50] /AP << /N 12 0 R >> >>",
        "<< /Subtype /Widget /AS /Off /Rect [50 60 60 70] /AP << /N << /On 12 0 R /Off 14 0 R >> >> >>",
        appearance("/Im1"),
        "<< /N 15 0 R >>",
        appearance("/Im3"),
        appearance("/Im2", "/Matrix [2 0 0 2 0 0]"),
    };
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    ASSERT_FALSE(opened->invalid);
    const std::vector<PageItem> items = ItemsOfFirstPage(*opened.document);
    ASSERT_EQ(items.size(), 3u);
    struct Expected {
        const char* picture;
        double x, y, scale;
    };
    const Expected expected[] = {{"/Im1", 100, 200, 20}, {"/Im2", 300, 400, 10}, {"/Im3", 50, 60, 10}};
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(items[i].IsImage) << i;
        EXPECT_EQ(opened->pictures.At(static_cast<uint32_t>(items[i].ImageIndex))->name.View(), expected[i].picture) << i;
        EXPECT_DOUBLE_EQ(items[i].X, expected[i].x) << i;
        EXPECT_DOUBLE_EQ(items[i].Y, expected[i].y) << i;
        EXPECT_DOUBLE_EQ(items[i].ScaleX, expected[i].scale) << i;
    }
}

}  // namespace
}  // namespace folivo::test
