// Shadings (sh): the clip region filled in the colour the shading's function gives halfway.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

struct Case {
    const char* what;
    std::string shading;                 // object 5
    std::vector<std::string> more;       // objects 6 ...
    uint32_t colour;                     // 0x00BBGGRR
};

TEST(Shadings, FillTheirClipInTheColourHalfwayThroughTheirFunction)
{
    const std::string axial = "<< /ShadingType 2 /Coords [0 0 1 0] ";
    const Case cases[] = {
        {"exponential, red to blue", axial + "/ColorSpace /DeviceRGB /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>",
         {}, 0x7F007F},
        {"stitching two functions, grey", axial + "/ColorSpace /DeviceGray /Function << /FunctionType 3 /Domain [0 1] /Bounds [0.4] "
                                                  "/Encode [0 1 0 1] /Functions [<< /FunctionType 2 /C0 [0] /C1 [0] >> 6 0 R] >> >>",
         {"<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [1] /N 1 >>"}, 0xFFFFFF},
        {"sampled, by reference", axial + "/ColorSpace /DeviceRGB /Function 6 0 R >>",
         {StreamObject("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [3] /BitsPerSample 8",
                       std::string("\x00\x00\x00\x00\xFF\x00\xFF\xFF\xFF", 9))},
         0x00FF00},
        {"CMYK through an array of functions", axial + "/ColorSpace /DeviceCMYK /Function [<< /FunctionType 2 /C0 [0] /C1 [0] >> "
                                                       "<< /FunctionType 2 /C0 [1] /C1 [1] >> << /FunctionType 2 /C0 [0] /C1 [0] >> "
                                                       "<< /FunctionType 2 /C0 [0] /C1 [0] >>] >>",
         {}, 0xFF00FF},
        {"a function that cannot be evaluated: mid grey", axial + "/ColorSpace /DeviceRGB /Function << /FunctionType 4 >> >>", {}, 0x7F7F7F},
    };
    for (const Case& c : cases) {
        std::vector<std::string> objects = {
            "<< /Type /Page /MediaBox [0 0 200 200] /Resources << /Shading << /Sh0 5 0 R >> >> /Contents 4 0 R >>",
            StreamObject("", "q 10 20 50 60 re W n 2 0 0 2 0 0 cm /Sh0 sh Q /Missing sh"), c.shading};
        objects.insert(objects.end(), c.more.begin(), c.more.end());
        OpenedDocument opened(DocumentWithPages("/Kids [3 0 R] /Count 1", objects).Build());
        const PageItemRanges::Range range = opened->pageItemRanges.Of(1);
        ASSERT_EQ(range.count, 1u) << c.what;  // a name that names no shading paints nothing
        const PageItem& item = *opened->PageItemList.At(range.first);
        EXPECT_TRUE(item.IsPath && item.Filled) << c.what;
        EXPECT_EQ(item.FillColor, c.colour) << c.what;
        // The clip region on the page, whatever the matrix in force.
        ASSERT_EQ(item.Segments->Count(), 4u);
        const PathSegment& first = *item.Segments->At(0);
        const PathSegment& third = *item.Segments->At(2);
        EXPECT_DOUBLE_EQ(item.X + first.X1 * item.ScaleX, 10) << c.what;
        EXPECT_DOUBLE_EQ(item.Y + first.Y1 * item.ScaleY, 20) << c.what;
        EXPECT_DOUBLE_EQ(item.X + third.X1 * item.ScaleX, 60) << c.what;
        EXPECT_DOUBLE_EQ(item.Y + third.Y1 * item.ScaleY, 80) << c.what;
    }
}

}  // namespace
}  // namespace folivo::test
