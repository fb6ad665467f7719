#include "content/PageItems.h"

#include <cstring>

namespace folivo {

void ReleasePageItem(PageItem& item)
{
    ReleaseText(item.FontName);
    ReleaseText(item.Text);
    delete[] item.CharSpacings;
    delete[] item.CharWidths;
    delete item.Segments;
    item.CharSpacings = nullptr;
    item.CharWidths = nullptr;
    item.Segments = nullptr;
}

void RefundPageItem(PageItemBudget& budget, const PageItem& item)
{
    constexpr uint32_t step = PathSegments::GrowthStep;
    budget.items += 1;
    budget.textBytes += item.Text.View().size();
    if (item.Segments) budget.segmentSlots += (item.Segments->Count() + step - 1) / step * step;
}

void ClearStagingItems(TDynaArray<PageItem>& stagingItems)
{
    for (uint32_t i = 0; i < stagingItems.Count(); ++i) ReleasePageItem(*stagingItems.At(i));
    stagingItems.Clear();
}

PageItemRanges::Range PageItemRanges::Of(uint32_t pageNumber) const
{
    const auto found = ranges_.find(pageNumber);
    return found == ranges_.end() ? Range{} : found->second;
}

void PageItemRanges::Compact(TDynaArray<PageItem>& pageItems)
{
    pageItems.DeleteWhere([](const PageItem& item) { return item.PageNumber == 0; });
    dead_ = 0;
    ranges_.clear();
    for (uint32_t i = 0; i < pageItems.Count(); ++i) {
        Range& range = ranges_[pageItems.At(i)->PageNumber];
        if (range.count == 0) range.first = i;
        ++range.count;
    }
}

void DiscardAllItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, PageItemRanges& ranges)
{
    for (uint32_t i = 0; i < pageItems.Count(); ++i) ReleasePageItem(*pageItems.At(i));
    pageItems.Clear();
    ClearStagingItems(stagingItems);
    ranges.ranges_.clear();
    ranges.dead_ = 0;
}

void ReplacePageItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, PageItemRanges& ranges,
                      uint32_t pageNumber)
{
    if (pageNumber == 0) {  // no such page; nothing can ask for its items
        ClearStagingItems(stagingItems);
        return;
    }
    const PageItemRanges::Range old = ranges.Of(pageNumber);
    for (uint32_t i = old.first; i < old.first + old.count; ++i) {
        PageItem& item = *pageItems.At(i);
        ReleasePageItem(item);
        item.PageNumber = 0;
    }
    ranges.dead_ += old.count;
    ranges.ranges_.erase(pageNumber);

    const uint32_t first = pageItems.Count();
    for (uint32_t i = 0; i < stagingItems.Count(); ++i) {
        PageItem* added = pageItems.Append();
        std::memcpy(static_cast<void*>(added), stagingItems.At(i), sizeof(PageItem));
        // The list files its items under the page it was asked to replace.
        added->PageNumber = pageNumber;
    }
    if (stagingItems.Count() > 0) ranges.ranges_[pageNumber] = {first, stagingItems.Count()};
    // The copies own the data now.
    stagingItems.Clear();

    if (ranges.dead_ > pageItems.Count() - ranges.dead_) ranges.Compact(pageItems);
}

}  // namespace folivo
