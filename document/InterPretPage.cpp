// The document's entry to the interpreter: one run over a page's content.
#include <string>

#include "content/ContentInterpreter.h"
#include "content/FixedMeasuringCanvas.h"
#include "document/PdfDocument.h"

namespace folivo {

namespace {

// One memo line for each bound a page's content went past.
void ReportOmissions(UserInterfacePort& ui, const ContentInterpreter::Omissions& omitted, uint32_t pageNumber)
{
    const std::string page = "Seite " + std::to_string(pageNumber) + ": ";
    auto report = [&](uint64_t count, const std::string& what) {
        if (count > 0) ui.AddMemoLine(page + std::to_string(count) + " " + what);
    };
    const PageItemBudget limits;
    report(omitted.operands, "Operanden ohne Operator übersprungen.");
    report(omitted.textBytes, "Textzeichen über der Grenze von " + std::to_string(limits.textBytes >> 20) +
                                  " MB Text je Dokument übersprungen.");
    report(omitted.items, "Seitenelemente über der Grenze von " + std::to_string(limits.items) +
                              " je Dokument übersprungen.");
    report(omitted.segments, "Pfadsegmente über der Grenze von " + std::to_string(limits.segmentSlots) +
                                 " je Dokument übersprungen.");
    report(omitted.forms, "Formobjekte nicht gezeichnet (Schleife, Verschachtelung über " +
                              std::to_string(ContentInterpreter::MaxFormDepth) + " oder zu viel Inhalt).");
    report(omitted.savedStates, "Grafikzustände (q) über der Verschachtelungstiefe von " +
                                    std::to_string(ContentInterpreter::MaxSavedStates) + " nicht gesichert.");
}

}  // namespace

void PdfDocument::InterPretPage(const uint8_t* content, int32_t length, bool processMessages, uint32_t pageNumber)
{
    FixedMeasuringCanvas fallbackCanvas;
    ContentInterpreter::Sources sources{fonts, pictures, canvas ? *canvas : fallbackCanvas, {}};
    if (processMessages) sources.processMessages = [this] { ui_.ProcessMessages(); };
    // The page's present items make way for the new ones.
    const PageItemRanges::Range present = pageItemRanges.Of(pageNumber);
    for (uint32_t i = present.first; i < present.first + present.count; ++i)
        RefundPageItem(pageItemBudget_, *PageItemList.At(i));
    sources.budget = &pageItemBudget_;
    resourceTables_.clear();
    resourceTablesAt_.clear();
    sources.form = [this, pageNumber](const std::string& name, int32_t scope) {
        return ResolveForm(pageNumber, name, scope);
    };
    sources.font = [this, pageNumber](const std::string& name, int32_t scope) {
        return ResolveTextFont(pageNumber, name, scope);
    };
    sources.inlinePicture = [this](const TokenList& dictionary, std::string_view data) {
        return readImages ? DecodeInlinePicture(dictionary, data) : std::nullopt;
    };
    sources.shading = [this, pageNumber](const std::string& name, int32_t scope) {
        return ResolveShading(pageNumber, name, scope);
    };
    sources.undecodedPicture = [this](const std::string& name) { return undecodedPictures_.count(name) > 0; };
    ContentInterpreter interpreter(std::move(sources), StagingItemList, pageNumber);

    FileBuffer pageContent{content, length, 0};
    interpreter.Run(pageContent);
    DrawAppearances(interpreter, pageNumber);
    ReportOmissions(ui_, interpreter.Omitted(), pageNumber);

    ReplacePageItems(PageItemList, StagingItemList, pageItemRanges, pageNumber);
}

std::vector<uint32_t> PdfDocument::ItemCountsByPage() const
{
    std::vector<uint32_t> counts(pages.Count(), 0);
    for (uint32_t page = 1; page <= counts.size(); ++page) counts[page - 1] = pageItemRanges.Of(page).count;
    return counts;
}

}  // namespace folivo
