// Pictures written into page content (BI ... ID ... EI): found, decoded and placed, whatever
// bytes their data hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

struct Case {
    const char* what;
    std::string content;
    std::vector<char> kinds;  // 'i' inline image, 'p' path, per item in order
    int width;                // of the first picture, when there is one
};

TEST(InlinePictures, DataOfAnyBytesEndWhereTheyEnd)
{
    const std::string rgb = Deflate(std::string(48, '\x7F'));
    const Case cases[] = {
        {"unfiltered data holding EI and an open parenthesis",
         "q 40 0 0 10 10 10 cm BI /W 8 /H 1 /CS /G /BPC 8 ID \n(a EI b)Q\nEI Q 0 0 m 5 5 l S", {'i', 'p'}, 8},
        {"Flate data, full names", "BI /Width 4 /Height 4 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode ID\n" + rgb +
             "\nEI 0 0 m 5 5 l S", {'i', 'p'}, 4},
        {"a stencil in the fill colour", "1 0 0 rg BI /IM true /W 8 /H 2 ID \xF0\x0F\nEI", {'i'}, 8},
        {"no ID: nothing is placed", "BI /W 2 /H 2 /CS /G", {}, 0},
        {"no EI: the data run to the end", "BI /W 2 /H 2 /CS /G /BPC 8 /F /AHx ID 00FF", {'i'}, 2},
    };
    for (const Case& c : cases) {
        OpenedDocument opened(
            DocumentWithPages("/Kids [3 0 R] /Count 1", {"<< /Type /Page /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                                                         StreamObject("", c.content)})
                .Build());
        const PageItemRanges::Range range = opened->pageItemRanges.Of(1);
        ASSERT_EQ(range.count, c.kinds.size()) << c.what;
        for (uint32_t i = 0; i < range.count; ++i) {
            const PageItem& item = *opened->PageItemList.At(range.first + i);
            EXPECT_EQ(item.IsImage && item.IsInline ? 'i' : item.IsPath ? 'p' : '?', c.kinds[i]) << c.what << ' ' << i;
            if (i == 0 && item.IsInline) {
                const ImageObject& picture = *opened->inlinePictures.At(static_cast<uint32_t>(item.ImageIndex));
                EXPECT_EQ(picture.width, c.width) << c.what;
                EXPECT_NE(picture.image.pixels, nullptr) << c.what;
            }
        }
    }
}

TEST(UndecodablePictures, KeepTheirPlaceAsImagesWithoutAPicture)
{
    // Corrupt JBIG2 and JPEG 2000 data, the latter claiming a huge size; a form named like a
    // picture is no picture at all.
    const std::vector<std::string> objects = {
        "<< /Type /Page /MediaBox [0 0 200 200] /Resources << /XObject << /J 5 0 R /X 6 0 R >> >> /Contents 4 0 R >>",
        StreamObject("", "q 20 0 0 20 10 10 cm /J Do Q /X Do"),
        StreamObject("/Subtype /Image /Width 64 /Height 64 /BitsPerComponent 1 /Filter /JBIG2Decode", "\x97JB2\r\n\x1A\n garbage"),
        StreamObject("/Subtype /Image /Width 100000 /Height 100000 /Filter /JPXDecode", std::string("\0\0\0\x0CjP  \r\n\x87\n", 12) + "xx"),
    };
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R] /Count 1", objects).Build());
    const PageItemRanges::Range range = opened->pageItemRanges.Of(1);
    ASSERT_EQ(range.count, 2u);
    const PageItem& first = *opened->PageItemList.At(range.first);
    EXPECT_TRUE(first.IsImage);
    EXPECT_EQ(first.ImageIndex, -1);
    EXPECT_DOUBLE_EQ(first.ScaleX, 20);
    EXPECT_EQ(opened->PageItemList.At(range.first + 1)->ImageIndex, -1);
}

}  // namespace
}  // namespace folivo::test
