// The page tree walk, page dictionaries and resource dictionaries.
#include <gtest/gtest.h>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

std::vector<int32_t> PageObjects(OpenedDocument& opened)
{
    std::vector<int32_t> objects;
    for (uint32_t i = 0; i < opened->pages.Count(); ++i) objects.push_back(opened.Page(i).objectNumber);
    return objects;
}

const std::string Page = "<< /Type /Page /Parent 2 0 R >>";

TEST(PageTree, InlineKidsGiveThePagesInOrder)
{
    OpenedDocument opened(DocumentWithPages("/Kids [4 0 R 3 0 R] /Count 2", {Page, Page}).Build());
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{4, 3}));
    EXPECT_EQ(opened.port.memo.front(), "2 Seiten gefunden...");
}

TEST(PageTree, UnevenTreeKeepsDocumentOrder)
{
    // Root: [page 3, node 4, page 5]; node 4: [node 6, page 7]; node 6: [page 8, page 9].
    // Document order is 3, 8, 9, 7, 5 although the leaves sit at three depths.
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 4 0 R 5 0 R] /Count 5",
                                            {Page, "<< /Type /Pages /Kids [6 0 R 7 0 R] /Count 3 >>", Page,
                                             "<< /Type /Pages /Kids [8 0 R 9 0 R] /Count 2 >>", Page, Page, Page})
                              .Build());
    EXPECT_FALSE(opened->invalid);
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{3, 8, 9, 7, 5}));
}

TEST(PageTree, KidsAsReferencedArray)
{
    OpenedDocument opened(DocumentWithPages("/Kids 3 0 R /Count 2", {"[4 0 R\n5 0 R]", Page, Page}).Build());
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{4, 5}));
}

TEST(PageTree, LoopsAndRepeatedKidsEnd)
{
    // Node 3 lists the root and itself: both are cut. Page 4 is listed twice and shown twice.
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 4 0 R 4 0 R] /Count 2",
                                            {"<< /Type /Pages /Kids [2 0 R 3 0 R 5 0 R] >>", Page, Page})
                              .Build());
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{5, 4, 4}));
}

TEST(PageTree, DeepTreeDoesNotExhaustTheStack)
{
    // 20000 nested nodes, one page at the bottom.
    std::vector<std::string> objects;
    const int depth = 20000;
    for (int i = 0; i < depth; ++i) objects.push_back("<< /Type /Pages /Kids [" + std::to_string(i + 4) + " 0 R] >>");
    objects.push_back(Page);
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R] /Count 1", objects).Build());
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{depth + 3}));
}

TEST(PageTree, UnreachableKidIsNoPageAndMarksInvalid)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 77 0 R] /Count 2", {Page}).Build());
    EXPECT_TRUE(opened->invalid);
    EXPECT_EQ(PageObjects(opened), (std::vector<int32_t>{3}));
    EXPECT_EQ(opened.port.MessageTexts(), std::vector<std::string>{"Dies ist keine gültige PDF-Datei."});
}

TEST(PageTree, CatalogWithoutPagesIsInvalid)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog >>"};
    builder.trailerEntries = "/Root 1 0 R";
    OpenedDocument opened(builder.Build());
    EXPECT_TRUE(opened->invalid);
    EXPECT_EQ(opened->pages.Count(), 0u);
}

TEST(PageTree, MediaBoxesFromPageRootOrDefault)
{
    OpenedDocument withoutBoxes(DocumentWithPages("/Kids [3 0 R] /Count 1", {Page}).Build());
    EXPECT_EQ(std::vector<double>(withoutBoxes.Page(0).mediaBox, withoutBoxes.Page(0).mediaBox + 4),
              (std::vector<double>{0, 0, 595, 842}));

    OpenedDocument fromRoot(DocumentWithPages("/Kids [3 0 R 4 0 R] /MediaBox [0 0 500.5 700]",
                                              {Page, "<< /Type /Page /MediaBox [0 0 612 792] >>"})
                                .Build());
    EXPECT_EQ(fromRoot.Page(0).mediaBox[2], 500.5);
    EXPECT_EQ(fromRoot.Page(1).mediaBox[2], 612);
    EXPECT_EQ(fromRoot.Page(1).mediaBox[3], 792);

    // A value that does not convert keeps the values before it and the defaults after it.
    OpenedDocument broken(DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /MediaBox [10 20 x 40] >>"}).Build());
    EXPECT_EQ(std::vector<double>(broken.Page(0).mediaBox, broken.Page(0).mediaBox + 4),
              (std::vector<double>{10, 20, 595, 842}));
}

TEST(PageTree, ContentStreamReferences)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 4 0 R 5 0 R]",
                                            {"<< /Type /Page /Contents [6 0 R 7 0 R] >>",
                                             "<< /Type /Page /Contents 8 0 R >>", "<< /Type /Page /Contents 6 0 R >>",
                                             "<< /Length 0 >>\nstream\n\nendstream", "<< /Length 0 >>\nstream\n\nendstream",
                                             "[6 0 R 7 0 R 9 0 R]"})
                              .Build());
    auto streams = [&](uint32_t page) {
        std::vector<int32_t> numbers;
        auto* list = opened.Page(page).contentStreams;
        for (uint32_t i = 0; i < list->Count(); ++i) {
            EXPECT_EQ(list->At(i)->inUse, 1);
            numbers.push_back(list->At(i)->objectNumber);
        }
        return numbers;
    };
    EXPECT_EQ(streams(0), (std::vector<int32_t>{6, 7}));
    EXPECT_EQ(streams(1), (std::vector<int32_t>{6, 7, 9}));
    EXPECT_EQ(streams(2), (std::vector<int32_t>{6}));
}

TEST(PageTree, KeptEntriesAreThePageEntriesThenWhatItInherits)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R] /MediaBox [0 0 1 1] /Resources << /Font << >> >>",
                                            {"<</Type/Page/Parent 2 0 R>>"})
                              .Build());
    const auto* kept = opened.Page(0).keptEntries;
    ASSERT_EQ(kept->Count(), 4u);
    EXPECT_EQ(*kept->At(0)->tokens, (TokenList{"/Type", "/Page"}));
    EXPECT_EQ(*kept->At(1)->tokens, (TokenList{"/Parent", "2", "0", "R"}));
    EXPECT_EQ(*kept->At(2)->tokens, (TokenList{"/Resources", "<<", "/Font", "<<", ">>", ">>"}));
    EXPECT_EQ((*kept->At(3)->tokens)[0], "/MediaBox");
}

TEST(PageTree, PagesInheritFromTheNearestAncestor)
{
    // Root: resources R1, media box A; node 4: resources 6 (referenced), crop box, rotation;
    // page 5 under node 4 has nothing of its own, page 3 under the root has its own resources.
    OpenedDocument opened(DocumentWithPages(
        "/Kids [3 0 R 4 0 R] /MediaBox [0 0 300 400] /Resources << /Font << /R1 7 0 R >> >>",
        {"<< /Type /Page /Resources << /XObject << >> >> /Rotate 90 >>",
         "<< /Type /Pages /Kids [5 0 R] /Resources 6 0 R /CropBox [1 2 3 4] /Rotate 180 /MediaBox [0 0 500 600] >>",
         "<< /Type /Page >>", "<< /Font << /F9 7 0 R >> >>", "<< /Type /Font >>"})
                              .Build());
    ASSERT_EQ(opened->pages.Count(), 2u);
    auto keys = [&](uint32_t page) {
        std::vector<std::string> result;
        const auto* kept = opened.Page(page).keptEntries;
        for (uint32_t i = 0; i < kept->Count(); ++i) result.push_back((*kept->At(i)->tokens)[0] + " " + (*kept->At(i)->tokens)[1]);
        return result;
    };
    // The page with its own resources gets no second /Resources.
    EXPECT_EQ(keys(0), (std::vector<std::string>{"/Type /Page", "/Resources <<", "/Rotate 90", "/MediaBox ["}));
    EXPECT_EQ(keys(1), (std::vector<std::string>{"/Type /Page", "/Resources 6", "/MediaBox [", "/CropBox [", "/Rotate 180"}));
    EXPECT_EQ(opened.Page(0).mediaBox[3], 400);
    EXPECT_EQ(opened.Page(1).mediaBox[3], 600);
    EXPECT_EQ(opened.Page(0).rotation, 90);
    EXPECT_EQ(opened.Page(1).rotation, 180);
    // Fonts of inherited resources are found.
    ASSERT_TRUE(opened.Page(1).hasFonts);
    ASSERT_EQ(opened->fonts.Count(), 1u);
    EXPECT_EQ(opened->fonts.At(0)->resourceName.View(), "/F9");
}

TEST(PageTree, ResourceDictionariesInlineAndReferenced)
{
    const std::string pdf = DocumentWithPages("/Kids [3 0 R 4 0 R]",
                                              {"<< /Type /Page /Resources << /ProcSet [/PDF]\n/Font << /F1 5 0 R >> "
                                               "/XObject 6 0 R >> >>",
                                               "<< /Type /Page /Resources 7 0 R >>", "<< /Type /Font >>", "<< >>",
                                               "<< /Font 8 0 R >>", "<< /F2 5 0 R >>"})
                                .Build();
    OpenedDocument opened(pdf);
    const PageRecord& first = opened.Page(0);
    ASSERT_TRUE(first.hasResources);
    EXPECT_EQ(pdf.substr(static_cast<size_t>(first.resourcesFirstKey), 8), "/ProcSet");
    ASSERT_TRUE(first.hasFonts);
    EXPECT_EQ(pdf.substr(first.fontDictionaryPosition, 6), "<< /F1");
    ASSERT_TRUE(first.hasXObjects);
    EXPECT_EQ(pdf.substr(first.xobjectDictionaryPosition, 5), "<< >>");
    EXPECT_EQ(pdf.substr(static_cast<size_t>(first.fontsFirstKey), 3), "/F1");

    const PageRecord& second = opened.Page(1);
    ASSERT_TRUE(second.hasResources);
    EXPECT_EQ(pdf.substr(second.resourceDictionaryPosition, 8), "<< /Font");
    ASSERT_TRUE(second.hasFonts);
    EXPECT_FALSE(second.hasXObjects);
    EXPECT_EQ(second.xobjectsFirstKey, -1);
    EXPECT_EQ(opened->fonts.Count(), 2u);
}

TEST(PageTree, CancelStopsThePageLoop)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R 4 0 R 5 0 R]", {Page, Page, Page});
    RecordingPort port;
    port.cancelAfterTurns = 2;
    PdfDocument document(port);
    document.OpenBytes(Bytes(builder.Build()), "three.pdf");
    EXPECT_EQ(port.labels, (std::vector<std::string>{"", "Lese Seite 1...", "Lese Seite 2..."}));
    EXPECT_EQ(port.progress, (std::vector<int>{33, 66, 0}));
    EXPECT_EQ(document.pages.Count(), 3u);  // pages after the cancel stay, unread
    EXPECT_EQ(port.finishedPageCount, 3);
}

}  // namespace
}  // namespace folivo::test
