// The readers of the tool listings that the corpus comparisons rest on: a row read wrongly
// would quietly take a file out of a comparison or let a missing word pass.
#include <gtest/gtest.h>

#include "tests/LetterWords.h"
#include "tests/PopplerListings.h"

namespace folivo::test {
namespace {

TEST(CorpusToolListings, FontRowsGiveTypeAndToUnicodeWhateverTheirWidth)
{
    const std::string listing =
        "name                                 type              encoding         emb sub uni object ID\n"
        "------------------------------------ ----------------- ---------------- --- --- --- ---------\n"
        "LVPXGP+CMR10                         Type 1            Builtin          yes yes yes     70  0\n"
        "Helvetica                            Type 1            WinAnsi          no  no  no  [none]\n"
        "ABCDEF+AVeryLongFontNameThatOverflowsItsColumn Type 1C Custom    yes yes no    1234  0\n"
        "AAAAAB+Habibi                        CID TrueType      Identity-H       yes yes no      12  0\n"
        "[none]                               Type 3            Custom           yes no  no      73  0\n"
        "garbage\n";
    const std::vector<FontListing> fonts = ParseFontListing(listing);
    ASSERT_EQ(fonts.size(), 6u);
    EXPECT_EQ(fonts[0].type, "Type 1");
    EXPECT_TRUE(fonts[0].hasToUnicode);
    EXPECT_EQ(fonts[1].type, "Type 1");
    EXPECT_EQ(fonts[1].encoding, "WinAnsi");
    EXPECT_FALSE(fonts[1].hasToUnicode);
    EXPECT_EQ(fonts[2].type, "Type 1C");
    EXPECT_EQ(fonts[3].type, "CID TrueType");
    EXPECT_EQ(fonts[4].name, "[none]");
    EXPECT_EQ(fonts[4].type, "Type 3");
    // An unreadable row must not pass as a plain font.
    EXPECT_EQ(fonts[5].type, "?");
}

TEST(CorpusToolListings, ImageRowsAndTextPages)
{
    const std::string listing =
        "page   num  type   width height color comp bpc  enc interp  object ID x-ppi y-ppi size ratio\n"
        "--------------------------------------------------------------------------------------------\n"
        "   1     0 image     512   543  rgb     3   8  jpeg   no        12  0   398   398  209K  26%\n"
        "   1     1 smask     512   543  gray    1   8  image  no        12  0   398   398 14.0K 5.2%\n"
        "  12     2 image      16    16  gray    1   1  image  no  [inline]      300   300   22B  69%\n";
    const std::vector<ImageListing> images = ParseImageListing(listing);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0].page, 1);
    EXPECT_EQ(images[0].width, 512);
    EXPECT_EQ(images[0].height, 543);
    EXPECT_EQ(images[0].encoding, "jpeg");
    EXPECT_EQ(images[0].objectNumber, 12);
    EXPECT_EQ(images[1].type, "smask");
    EXPECT_EQ(images[2].page, 12);
    EXPECT_EQ(images[2].objectNumber, 0);

    // pdftotext ends every page with a form feed, an empty page too.
    const std::vector<std::string> pages = SplitTextPages("one\n\f\ftwo\f");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], "one\n");
    EXPECT_EQ(pages[1], "");
    EXPECT_EQ(pages[2], "two");
}

TEST(CorpusToolListings, LettersFoldAndEverythingElseSeparates)
{
    // "Größe" and "ÉTÉ" in UTF-8; the fi ligature, digits and the multiplication sign separate.
    const std::string text = "Gr\xC3\xB6\xC3\x9F" "e, \xC3\x89T\xC3\x89 de\xEF\xAC\x81nition x2y 3\xC3\x97" "4ab";
    const std::vector<std::string> words = LetterWords(text, 3);
    const std::vector<std::string> expected = {"gr\xF6\xDF" "e", "\xE9t\xE9", "nition"};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(FoldedLetters(text), "gr\xF6\xDF" "e\xE9t\xE9" "denitionxyab");
}

}  // namespace
}  // namespace folivo::test
