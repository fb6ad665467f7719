// Page items: what the interpreter reduces a page's content to and the page view draws.
// Coordinates are points in the page's default user space (y upwards).
#pragma once

#include <cstdint>

#include "core/DynaArray.h"
#include "core/OwnedText.h"

namespace folivo {

struct PathSegment {
    double LineWidth;
    double X1, Y1;
    double X2, Y2;
    double X3, Y3;
    uint8_t IsDrawn;  // 0: a move; its third point only becomes the current point
};

struct PageItem {
    OwnedText FontName;
    OwnedText Text;  // text runs: WinAnsi bytes
    double FontSize;
    double X;
    double Y;  // text runs: the top of the line
    double LineHeight;
    uint32_t PageNumber;  // 1-based
    uint8_t Stroked;
    uint8_t Filled;
    uint8_t IsPath;
    uint8_t IsImage;
    int32_t ImageIndex;
    double ScaleX;
    double ScaleY;
    TDynaArray<PathSegment>* Segments;  // paths only
    double* CharSpacings;               // text runs: one per byte of Text
    double* CharWidths;
    double TextWidth;
    uint32_t StrokeColor;  // 0x00BBGGRR
    uint32_t FillColor;
};

// Releases what an item owns; the record itself stays.
void ReleasePageItem(PageItem& item);

// Releases every item of both lists and empties them.
void DiscardAllItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems);

// Releases what the records of the staging list own and empties it (left over only when a
// run was interrupted).
void ClearStagingItems(TDynaArray<PageItem>& stagingItems);

// Replaces the items of page `pageNumber` in `pageItems` by the staging items, which move
// over with what they own; the staging list ends empty. One pass over the list, whatever its
// length.
void ReplacePageItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, uint32_t pageNumber);

}  // namespace folivo
