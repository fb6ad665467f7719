// Opening in-memory documents for the reader tests.
#pragma once

#include <memory>
#include <string>

#include "document/PdfDocument.h"
#include "tests/RecordingPort.h"
#include "tests/TestDocuments.h"

namespace folivo::test {

struct OpenedDocument {
    RecordingPort port;
    std::unique_ptr<PdfDocument> document = std::make_unique<PdfDocument>(port);

    explicit OpenedDocument(const std::string& bytes) { document->OpenBytes(Bytes(bytes), "test.pdf"); }
    PdfDocument* operator->() { return document.get(); }
    PageRecord& Page(uint32_t index) { return *document->pages.At(index); }
};

// A catalog (object 1) and a pages root (object 2) with the given kids, followed by `more`
// objects numbered from 3.
inline PdfBuilder DocumentWithPages(const std::string& rootEntries, const std::vector<std::string>& more)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages " + rootEntries + " >>"};
    builder.objects.insert(builder.objects.end(), more.begin(), more.end());
    builder.trailerEntries = "/Root 1 0 R";
    return builder;
}

}  // namespace folivo::test
