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

void ClearStagingItems(TDynaArray<PageItem>& stagingItems)
{
    for (uint32_t i = 0; i < stagingItems.Count(); ++i) ReleasePageItem(*stagingItems.At(i));
    stagingItems.Clear();
}

void DiscardAllItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems)
{
    for (uint32_t i = 0; i < pageItems.Count(); ++i) ReleasePageItem(*pageItems.At(i));
    pageItems.Clear();
    ClearStagingItems(stagingItems);
}

void ReplacePageItems(TDynaArray<PageItem>& pageItems, TDynaArray<PageItem>& stagingItems, uint32_t pageNumber)
{
    pageItems.DeleteWhere([pageNumber](PageItem& item) {
        if (item.PageNumber != pageNumber) return false;
        ReleasePageItem(item);
        return true;
    });
    for (uint32_t i = 0; i < stagingItems.Count(); ++i) std::memcpy(static_cast<void*>(pageItems.Append()), stagingItems.At(i), sizeof(PageItem));
    // The copies own the data now.
    stagingItems.Clear();
}

}  // namespace folivo
