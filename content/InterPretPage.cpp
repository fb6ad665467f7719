// The document's entry to the interpreter: one run over a page's content.
#include "content/ContentInterpreter.h"
#include "content/FixedMeasuringCanvas.h"
#include "pdfread/PdfDocument.h"

namespace folivo {

void PdfDocument::InterPretPage(const uint8_t* content, int32_t length, bool processMessages, uint32_t pageNumber)
{
    FixedMeasuringCanvas fallbackCanvas;
    ContentInterpreter::Sources sources{fonts, pictures, canvas ? *canvas : fallbackCanvas, {}};
    if (processMessages) sources.processMessages = [this] { ui_.ProcessMessages(); };
    ContentInterpreter interpreter(std::move(sources), StagingItemList, pageNumber);

    const FileBuffer saved = fileBuffer;
    fileBuffer = {content, length, 0};
    interpreter.Run(fileBuffer);
    fileBuffer = saved;

    ReplacePageItems(PageItemList, StagingItemList, pageItemRanges, pageNumber);
}

std::vector<uint32_t> PdfDocument::ItemCountsByPage() const
{
    std::vector<uint32_t> counts(pages.Count(), 0);
    for (uint32_t page = 1; page <= counts.size(); ++page) counts[page - 1] = pageItemRanges.Of(page).count;
    return counts;
}

}  // namespace folivo
