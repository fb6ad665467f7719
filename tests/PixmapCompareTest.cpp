// The picture reader and comparison behind the rendering checks of saved corpus files: a header
// read wrongly or a comparison over too few samples would let differing pages pass.
#include <gtest/gtest.h>

#include "tests/PixmapCompare.h"

namespace folivo::test {
namespace {

TEST(PixmapCompare, ReadsColourAndGreyWithCommentsAndRefusesShortOrOtherFiles)
{
    const std::string colour = std::string("P6\n# made by hand\n2 1\n255\n") + "\x01\x02\x03\x0a\x0b\x0c";
    const auto read = ParsePixmap(colour);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width, 2);
    EXPECT_EQ(read->height, 1);
    EXPECT_EQ(read->channels, 3);
    EXPECT_EQ(read->samples, "\x01\x02\x03\x0a\x0b\x0c");

    // A sample byte that looks like a blank right after the header is data, not header.
    const auto grey = ParsePixmap(std::string("P5 1 2 255\n\x20\x0a", 13));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->channels, 1);
    EXPECT_EQ(grey->samples, std::string("\x20\x0a", 2));

    EXPECT_FALSE(ParsePixmap("P6\n2 1\n255\n\x01\x02\x03"));  // samples missing
    EXPECT_FALSE(ParsePixmap("P3\n1 1\n255\n0 0 0\n"));       // plain text form
    EXPECT_FALSE(ParsePixmap("P6\n1 1\n65535\n\x01\x02\x03\x04\x05\x06"));
    EXPECT_FALSE(ParsePixmap("P6\n0 1\n255\n"));
    EXPECT_FALSE(ParsePixmap("P6"));
}

TEST(PixmapCompare, MeanDifferenceOverTheCommonAreaAndSizeWithinOnePixel)
{
    Pixmap white{3, 2, 1, std::string(6, '\xff')};
    Pixmap oneDark = white;
    oneDark.samples[4] = '\0';
    const PixmapDifference same = ComparePixmaps(white, white);
    EXPECT_TRUE(same.sizesAgree);
    EXPECT_EQ(same.meanShare, 0.0);
    EXPECT_NEAR(ComparePixmaps(white, oneDark).meanShare, 1.0 / 6.0, 1e-12);

    // One column more: compared over the common columns, row by row.
    Pixmap wider{4, 2, 1, std::string(8, '\xff')};
    wider.samples[7] = '\0';  // outside the common area
    const PixmapDifference widerResult = ComparePixmaps(white, wider);
    EXPECT_TRUE(widerResult.sizesAgree);
    EXPECT_EQ(widerResult.meanShare, 0.0);
    wider.samples[4] = '\0';  // row 1, column 0: inside
    EXPECT_NEAR(ComparePixmaps(white, wider).meanShare, 1.0 / 6.0, 1e-12);

    Pixmap muchWider{5, 2, 1, std::string(10, '\xff')};
    EXPECT_FALSE(ComparePixmaps(white, muchWider).sizesAgree);
    Pixmap colour{3, 2, 3, std::string(18, '\xff')};
    EXPECT_EQ(ComparePixmaps(white, colour).meanShare, 1.0);
}

}  // namespace
}  // namespace folivo::test
