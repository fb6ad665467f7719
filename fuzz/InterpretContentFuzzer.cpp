// Runs the content interpreter over arbitrary bytes as a page's content, with two fonts (one
// with widths and differences, one Type3) and two pictures to find, then moves the items into
// a page list as the document does and releases them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "content/ContentInterpreter.h"
#include "content/FixedMeasuringCanvas.h"
#include "content/PageItems.h"
#include "core/OwnedText.h"

namespace {

struct Resources {
    folivo::FontRecord* currentFont = nullptr;
    folivo::ImageObject* currentPicture = nullptr;
    folivo::TDynaArray<folivo::FontRecord> fonts{&currentFont};
    folivo::TDynaArray<folivo::ImageObject> pictures{&currentPicture};

    Resources()
    {
        folivo::FontRecord* plain = fonts.Append();
        plain->resourceName = folivo::MakeText("/F1");
        plain->encoding = 2;
        plain->firstChar = 32;
        plain->boxHeight = 1;
        for (int i = 0; i < 200; ++i) {
            plain->widths[i] = 250 + i;
            plain->widthPresent[i] = 1;
        }
        plain->differences[140] = 'f';
        plain->differencePresent[140] = 1;

        folivo::FontRecord* type3 = fonts.Append();
        type3->resourceName = folivo::MakeText("/T3");
        type3->isType3 = 1;
        type3->encoding = 3;
        type3->boxHeight = 0.001;
        type3->widths[0] = 0.5;
        type3->widthPresent[0] = 1;

        for (const char* name : {"/Im1", "/Im2"}) {
            folivo::ImageObject* picture = pictures.Append();
            picture->name = folivo::MakeText(name);
            picture->width = picture->height = 2;
        }
    }

    ~Resources()
    {
        for (uint32_t i = 0; i < fonts.Count(); ++i) folivo::ReleaseText(fonts.At(i)->resourceName);
        for (uint32_t i = 0; i < pictures.Count(); ++i) folivo::ReleaseText(pictures.At(i)->name);
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The interpreter works on a 32-bit length, as the document hands it.
    if (size > (size_t{1} << 24)) return 0;
    static Resources resources;
    folivo::FixedMeasuringCanvas canvas;
    folivo::PageItem* currentItem = nullptr;
    folivo::PageItem* currentStaging = nullptr;
    folivo::TDynaArray<folivo::PageItem> pageItems{&currentItem};
    folivo::TDynaArray<folivo::PageItem> staging{&currentStaging};
    folivo::PageItemRanges ranges;
    {
        folivo::ContentInterpreter interpreter({resources.fonts, resources.pictures, canvas, {}}, staging, 1);
        folivo::FileBuffer content{data, static_cast<int32_t>(size), 0};
        interpreter.Run(content);
    }
    folivo::ReplacePageItems(pageItems, staging, ranges, 1);
    folivo::DiscardAllItems(pageItems, staging, ranges);
    return 0;
}
