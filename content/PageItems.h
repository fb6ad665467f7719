// Page items: what the interpreter reduces a page's content to and the page view draws.
// Coordinates are points in the page's default user space (y upwards).
#pragma once

#include <cstdint>
#include <unordered_map>

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

// A painted path's segments. Most paths have a handful, so they are kept in steps of four (a rectangle).
using PathSegments = TDynaArray<PathSegment, 4>;

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
    uint8_t IsInline;  // images: ImageIndex counts in the document's inline pictures
    // Text in rendering mode 3 (the recognised text over a scanned page): an item, never drawn.
    uint8_t Invisible;
    uint8_t FontStyle;  // text runs: FontStyleBits of their font
    int32_t ImageIndex;
    double ScaleX;
    double ScaleY;
    // Images and paths: b and c of the matrix that places them, 0 unless it turns or skews. The
    // unit point (x, y) lies at X + (ScaleX - MatrixC) x + MatrixC y, Y + MatrixB x + (ScaleY - MatrixB) y.
    double MatrixB;
    double MatrixC;
    PathSegments* Segments;  // paths only
    double* CharSpacings;               // text runs: one per byte of Text
    double* CharWidths;
    double TextWidth;
    uint32_t StrokeColor;  // 0x00BBGGRR
    uint32_t FillColor;
    // The clipping in force when the item was made, as a rectangle in page points. One with no
    // area (right <= left or top <= bottom) hides the item.
    uint8_t Clipped;
    double ClipLeft, ClipBottom, ClipRight, ClipTop;
};

// Releases what an item owns; the record itself stays.
void ReleasePageItem(PageItem& item);

// What page items may still take: a document's items together stay within these, whatever its
// pages' content asks for, so that a reading costs bounded memory.
struct PageItemBudget {
    uint64_t items = uint64_t{1} << 20;
    uint64_t textBytes = uint64_t{16} << 20;  // 17 bytes each with the widths and spacings
    // Segment records of paths, allocated a whole growth step at a time.
    uint64_t segmentSlots = uint64_t{1} << 21;
};

// Gives back to the budget what the item takes.
void RefundPageItem(PageItemBudget& budget, const PageItem& item);

// Where each page's items lie in the item list. A page's items are always contiguous: a
// page's new items go to the end, and compacting keeps the order of the rest.
class PageItemRanges {
public:
    struct Range {
        uint32_t first = 0;
        uint32_t count = 0;
    };

    Range Of(uint32_t pageNumber) const;
    // Records whose items were released (PageNumber 0) and wait for the next compaction.
    uint32_t DeadCount() const { return dead_; }

private:
    friend void ReplacePageItems(TDynaArray<PageItem>&, TDynaArray<PageItem>&, PageItemRanges&, uint32_t);
    friend void DiscardAllItems(TDynaArray<PageItem>&, TDynaArray<PageItem>&, PageItemRanges&);
    void Compact(TDynaArray<PageItem>& pageItems);

    std::unordered_map<uint32_t, Range> ranges_;
    uint32_t dead_ = 0;
};

// Releases every item of both lists and empties them.
void DiscardAllItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, PageItemRanges& ranges);

// Releases what the records of the staging list own and empties it (left over only when a
// run was interrupted).
void ClearStagingItems(TDynaArray<PageItem>& stagingItems);

// Replaces the items of page `pageNumber` in `pageItems` by the staging items, which move
// over with what they own, to the end of the list; the staging list ends empty. The old items
// are released and marked dead (page 0, which no reader asks for) and removed in one pass once
// they outnumber the live ones, so re-interpreting every page stays linear. After a
// compaction the list is exactly what removing each page's old items at once would leave.
void ReplacePageItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, PageItemRanges& ranges,
                      uint32_t pageNumber);

}  // namespace folivo
