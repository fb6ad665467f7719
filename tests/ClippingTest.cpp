// Clipping in the content interpreter: the rectangle each item carries from W, W*, q/Q and forms.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/ContentInterpreter.h"
#include "content/FixedMeasuringCanvas.h"

namespace folivo {
namespace {

struct ExpectedClip {
    bool clipped;
    double left, bottom, right, top;
};
constexpr ExpectedClip Unclipped{false, 0, 0, 0, 0};

// A page's content with /Fm, a form of the given content, matrix and box, and /Im, a picture.
struct ClipCase {
    const char* name;
    std::string page;
    std::vector<ExpectedClip> items;
    std::string form = "";
    Matrix matrix = {};
    std::array<double, 4> box = {0, 0, 0, 0};
};

class ClippingTest : public ::testing::Test {
protected:
    ClippingTest() { pictures.Append()->name = MakeText("/Im"); }

    ~ClippingTest() override
    {
        DiscardAllItems(items, staging, ranges);
        ReleaseText(pictures.At(0)->name);
    }

    std::vector<PageItem*> Run(const ClipCase& c, const std::string& annotation = "")
    {
        FormContent form;
        form.content = std::make_shared<const std::string>(c.form);
        form.matrix = c.matrix;
        form.scope = 1;
        std::copy(c.box.begin(), c.box.end(), form.box);
        ContentInterpreter::Sources sources{fonts, pictures, canvas, {}};
        sources.form = [&](const std::string& name, int32_t) -> std::optional<FormContent> {
            if (name != "/Fm") return std::nullopt;
            return form;
        };
        ContentInterpreter interpreter(sources, staging, 1);
        FileBuffer buffer{reinterpret_cast<const uint8_t*>(c.page.data()), static_cast<int32_t>(c.page.size()), 0};
        interpreter.Run(buffer);
        if (!annotation.empty()) {
            form.content = std::make_shared<const std::string>(annotation);
            interpreter.DrawForm(form, Matrix{});
        }
        ReplacePageItems(items, staging, ranges, 1);
        std::vector<PageItem*> result;
        const PageItemRanges::Range range = ranges.Of(1);
        for (uint32_t i = range.first; i < range.first + range.count; ++i) result.push_back(items.At(i));
        return result;
    }

    void ExpectClips(const ClipCase& c, const std::vector<PageItem*>& found)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(found.size(), c.items.size());
        for (size_t i = 0; i < found.size(); ++i) {
            SCOPED_TRACE(i);
            const PageItem& item = *found[i];
            const ExpectedClip& expected = c.items[i];
            ASSERT_EQ(item.Clipped != 0, expected.clipped);
            if (!expected.clipped) continue;
            EXPECT_DOUBLE_EQ(item.ClipLeft, expected.left);
            EXPECT_DOUBLE_EQ(item.ClipBottom, expected.bottom);
            EXPECT_DOUBLE_EQ(item.ClipRight, expected.right);
            EXPECT_DOUBLE_EQ(item.ClipTop, expected.top);
        }
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
    FixedMeasuringCanvas canvas{72};
};

TEST_F(ClippingTest, ItemsCarryTheClipInForceWhenTheyAreMade)
{
    const ExpectedClip box{true, 10, 20, 110, 70};
    const ClipCase cases[] = {
        {"no clip", "0 0 m 10 10 l S /Im Do", {Unclipped, Unclipped}},
        {"rectangle then picture", "10 20 100 50 re W n /Im Do", {box}},
        {"even-odd rule alike", "10 20 100 50 re W* n BT (a) Tj ET", {box}},
        {"text and paths too", "10 20 100 50 re W n BT (a) Tj ET 0 0 m 5 5 l S", {box, box}},
        {"nested clips intersect", "10 20 100 50 re W n 50 0 100 100 re W n /Im Do", {{true, 50, 20, 110, 70}}},
        {"disjoint clips leave nothing", "0 0 10 10 re W n 20 20 10 10 re W n /Im Do", {{true, 20, 20, 10, 10}}},
        {"Q restores what q saved", "q 10 20 100 50 re W n /Im Do Q /Im Do", {box, Unclipped}},
        {"Q restores the outer clip", "10 20 100 50 re W n q 0 0 50 50 re W n /Im Do Q /Im Do",
         {{true, 10, 20, 50, 50}, box}},
        // The painting that ends a clipping path is not clipped by it, nor is a later path a clip.
        {"a clipping path's own painting", "10 20 100 50 re W f 0 0 500 500 re f /Im Do", {Unclipped, box, box}},
        {"scaled and moved", "2 0 0 3 100 200 cm 0 0 10 10 re W n /Im Do", {{true, 100, 200, 120, 230}}},
        // (x, y) goes to (100 - y, x): the 20 × 10 rectangle stands upright.
        {"turned a quarter", "0 1 -1 0 100 0 cm 0 0 20 10 re W n /Im Do", {{true, 90, 0, 100, 20}}},
        {"the cm after the clip leaves it", "10 20 100 50 re W n 2 0 0 2 0 0 cm /Im Do", {box}},
        {"curves by their control points", "0 0 m 50 100 100 -20 120 0 c W n /Im Do", {{true, 0, -20, 120, 100}}},
        {"a move alone encloses nothing", "500 500 m 0 0 m 10 10 l W n /Im Do", {{true, 0, 0, 10, 10}}},
        {"no path keeps the clip", "W n /Im Do 10 20 100 50 re W n W n /Im Do", {Unclipped, box}},
        {"numbers beyond range keep the clip", "1e308 1e308 1e308 1e308 re W n /Im Do", {Unclipped}},
    };
    for (const ClipCase& c : cases) ExpectClips(c, Run(c));
}

TEST_F(ClippingTest, FormsClipInsideThemselvesOnly)
{
    const Matrix moved{1, 0, 0, 1, 100, 100};
    const ClipCase cases[] = {
        {"a clip in the form ends with it", "/Fm Do /Im Do", {{true, 0, 0, 10, 10}, Unclipped}, "0 0 10 10 re W n /Im Do"},
        {"unbalanced q in the form", "/Fm Do /Im Do", {{true, 0, 0, 10, 10}, Unclipped}, "q q 0 0 10 10 re W n /Im Do"},
        {"the page's clip reaches into the form", "10 20 100 50 re W n /Fm Do", {{true, 10, 20, 110, 70}}, "/Im Do"},
        {"the form's box clips, placed by its matrix", "/Fm Do", {{true, 100, 100, 150, 150}}, "/Im Do", moved,
         {0, 0, 50, 50}},
        {"the box narrows the page's clip", "0 0 120 120 re W n /Fm Do /Im Do",
         {{true, 100, 100, 120, 120}, {true, 0, 0, 120, 120}}, "/Im Do", moved, {0, 0, 50, 50}},
        {"a box given corners reversed", "/Fm Do", {{true, 100, 100, 150, 150}}, "/Im Do", moved, {50, 50, 0, 0}},
        {"a box without area clips nothing", "/Fm Do", {Unclipped}, "/Im Do", moved, {10, 10, 10, 40}},
    };
    for (const ClipCase& c : cases) ExpectClips(c, Run(c));
}

TEST_F(ClippingTest, AppearancesAreNotClippedByWhatThePageLeftBehind)
{
    // The page ends inside its clip; the comment's form is drawn with a clear state.
    const ClipCase page{"appearance", "0 0 10 10 re W n /Im Do", {{true, 0, 0, 10, 10}, Unclipped}};
    ExpectClips(page, Run(page, "/Im Do"));
}

}  // namespace
}  // namespace folivo
