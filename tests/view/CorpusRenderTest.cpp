// The page view on real files: every page of every corpus document is drawn at the default zoom
// (the first page also at the smallest and largest) without a crash or a sanitizer report, at
// the size the page view lays out.
#include <QFont>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "tests/CorpusFixture.h"
#include "tests/RecordingPort.h"
#include "view/PageRenderer.h"
#include "view/QtMeasuringCanvas.h"

namespace folivo {
namespace {

TEST(CorpusRender, EveryPageOfEveryDocumentIsDrawnAtItsSize)
{
    const std::filesystem::path corpus = test::CorpusDir;
    if (!std::filesystem::exists(corpus / "MANIFEST.tsv")) FOLIVO_CORPUS_MISSING(corpus / "MANIFEST.tsv");
    int drawn = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().extension() != ".pdf") continue;
        test::RecordingPort port;
        PdfDocument document(port);
        QtMeasuringCanvas canvas;
        document.canvas = &canvas;
        document.openfilenow(entry.path().string());
        const int pages = static_cast<int>(document.pages.Count());
        for (int page = 1; page <= pages; ++page) {
            for (const int zoom : {50, page == 1 ? 10 : 0, page == 1 ? 300 : 0}) {
                if (zoom == 0) continue;
                const QImage image = RenderPage(document, page, zoom, 96, QFont("Arial"));
                const QSize size = PageDrawingSize(document, page, zoom, 96);
                // A drawing too large to hold (or of an empty media box) is left out.
                if (!image.isNull()) EXPECT_EQ(image.size(), size) << entry.path().filename() << " page " << page;
                else EXPECT_TRUE(size.isEmpty() || int64_t{size.width()} * size.height() > (int64_t{64} << 20) ||
                                 size.width() > 32767 || size.height() > 32767)
                    << entry.path().filename() << " page " << page;
                ++drawn;
            }
        }
    }
    EXPECT_GT(drawn, 1000);
}

}  // namespace
}  // namespace folivo
