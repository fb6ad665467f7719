// The document protection: one new TrueType font, described from the display font, selected by
// an empty text object on every page, so that other programs no longer edit the text.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "document/PdfDocument.h"
#include "pdfwrite/Protection.h"

namespace folivo {

void PdfDocument::FileProtectBtnClick(const DisplayFont& font, OutlineFontMetrics& metrics,
                                      const std::function<int(int pageNumber)>& pageViewHeight, int resolution,
                                      int zoom)
{
    AddTextSettings& settings = addTextSettings;
    // The font list offers the fonts of the current page and every font added before.
    const int selected = std::max(settings.selectedFont, 0);
    settings.fontNames.clear();
    for (uint32_t i = 0; i < fonts.Count(); ++i) {
        const FontRecord& record = *fonts.At(i);
        if (record.addedByUser || static_cast<int64_t>(record.pageIndex) == static_cast<int64_t>(currentPageNumber) - 1)
            settings.fontNames.emplace_back(record.resourceName.View());
    }
    settings.selectedFont = selected;
    settings.lines.clear();

    const std::string resourceName = UniqueResourceName("/" + ProtectionFontName(font.family), fonts);
    const std::string baseFont = "/" + ProtectionBaseFont(font.family, font.bold, font.italic);
    settings.fontNames.push_back(resourceName);

    const FontMeasurement measurement = metrics.Measure(font);
    FontRecord& record = *fonts.Append();
    record.resourceName = MakeText(resourceName);
    record.baseFontText = MakeText(baseFont);
    record.addedByUser = 1;
    record.pageIndex = 0;
    record.encoding = 3;
    record.boxWidth = 1.0;
    record.boxHeight = 1.0;
    record.fontDictionaryText = MakeText(DescriptorText(measurement, record.widths, record.widthPresent));
    settings.selectedFont = static_cast<int>(settings.fontNames.size()) - 1;

    documentModified = true;

    // The block goes to the vertical middle of each page as the page view lays it out. A page
    // whose content was not decoded keeps it; one message tells of all of them, instead of one
    // box per page (a document of blank pages without content would bring hundreds).
    bool undecodedPages = false;
    for (uint32_t i = 1; i <= pages.Count(); ++i) {
        currentPageNumber = static_cast<int>(i);
        const int height = pageViewHeight ? pageViewHeight(currentPageNumber) : 0;
        // A view without zoom or resolution has no middle; its block goes to the baseline 0.
        const double y = zoom > 0 && resolution > 0 ? (height / 2) * 100.0 / zoom * 72.0 / resolution : 0.0;
        if (!AddNewTextToDecodedPage(0, y)) undecodedPages = true;
    }
    if (undecodedPages) ShowError(UndecodedPageMessage);
    currentPageNumber = 1;
    ui_.ShowMessage(
        "Der PDF-Datei Schutz wurde hinzugefügt. Nach dem Speichern kann der Text durch Acrobat nun nicht mehr "
        "verändert werden!",
        "Fertig", MessageIcon::Information);
}

}  // namespace folivo
