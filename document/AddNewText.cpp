// Adding the add-text settings' lines to the current page as a text object, on top of or behind
// everything the page already draws.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "document/PdfDocument.h"
#include "edit/AddTextLines.h"

namespace folivo {

void PdfDocument::AddNewText(double x, double y)
{
    if (!AddNewTextToDecodedPage(x, y)) ShowError(UndecodedPageMessage);
}

bool PdfDocument::AddNewTextToDecodedPage(double x, double y)
{
    if (currentPageNumber < 1 || static_cast<uint32_t>(currentPageNumber) > pages.Count()) return true;
    const uint32_t pageNumber = static_cast<uint32_t>(currentPageNumber);
    PageRecord* page = pages.At(pageNumber - 1);
    if (!page->contentLoaded) return false;

    const std::string_view oldContent =
        page->content ? std::string_view(reinterpret_cast<const char*>(page->content),
                                         static_cast<size_t>(std::max(page->contentLength, 0)))
                      : std::string_view();
    const std::string content =
        ContentWithAddedText(oldContent, BuildAddedTextBlock(addTextSettings, x, y), addTextSettings.pasteInBack);
    // Content lengths are 32-bit; a page that would outgrow them stays as it is.
    if (content.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return true;

    auto* bytes = new uint8_t[content.size()];
    if (!content.empty()) std::memcpy(bytes, content.data(), content.size());
    delete[] page->content;
    page->content = bytes;
    page->contentLength = static_cast<int32_t>(content.size());
    page->modified = 1;

    if (interpretPages) InterPretPage(page->content, page->contentLength, false, pageNumber);
    return true;
}

}  // namespace folivo
