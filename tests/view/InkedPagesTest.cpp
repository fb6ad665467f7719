// Every page that shows anything in poppler's rendering shows something in ours: each page of
// each readable corpus document is drawn as the page view draws it at its default zoom and
// compared, blank or not, with pdftoppm's rendering at a low resolution. Every blank page is
// listed in one failure.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/CorpusFixture.h"
#include "tests/PixmapCompare.h"
#include "tests/RecordingPort.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"
#include "view/PageRenderer.h"
#include "view/QtMeasuringCanvas.h"

namespace folivo::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SanitizerBuild = true;
#else
constexpr bool SanitizerBuild = false;
#endif
// The sanitizer build runs several times slower; it checks the smaller documents only.
constexpr long SanitizerPageLimit = 40;

constexpr int TheirResolution = 24;
// The page view's default zoom.
constexpr int OurZoom = 50;
// A sample this far below white in any channel is ink; fainter ones are the edges of
// anti-aliasing and paper tones.
constexpr int InkBelow = 200;

bool HasInk(const Pixmap& pixmap)
{
    return std::any_of(pixmap.samples.begin(), pixmap.samples.end(),
                       [](char sample) { return static_cast<unsigned char>(sample) < InkBelow; });
}

bool HasInk(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(row[x]) < InkBelow || qGreen(row[x]) < InkBelow || qBlue(row[x]) < InkBelow) return true;
        }
    }
    return false;
}

// pdftoppm's pictures of the file's pages: page number → whether it has ink. A damaged file may
// make pdftoppm fail after some pages; those pages count.
std::map<uint32_t, bool> TheirInk(const std::string& path, const std::string& folder)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::map<uint32_t, bool> inked;
    RunTool("pdftoppm -r " + std::to_string(TheirResolution) + " " + ShellQuoted(path) + " " + ShellQuoted(folder + "/p"));
    // p-N.ppm, N with leading zeros to the width of the page count.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 7 || name.compare(0, 2, "p-") != 0 || name.compare(name.size() - 4, 4, ".ppm") != 0) continue;
        const auto pixmap = ParsePixmap(ReadBytes(entry.path().string()));
        if (pixmap) inked[static_cast<uint32_t>(std::atol(name.c_str() + 2))] = HasInk(*pixmap);
    }
    return inked;
}

// "3, 5, 7-9"
std::string PageList(const std::vector<uint32_t>& pages)
{
    std::ostringstream text;
    for (size_t i = 0; i < pages.size();) {
        size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1) ++j;
        text << (i ? ", " : "") << pages[i];
        if (j > i) text << "-" << pages[j];
        i = j + 1;
    }
    return text.str();
}

class InkedPagesTest : public CorpusFixture {};

TEST_F(InkedPagesTest, NoPageInkedByPopplerIsBlankInOurDrawing)
{
    if (!ToolWorks("pdftoppm -v")) GTEST_SKIP() << "not compared: pdftoppm does not run";
    ScratchFolder scratch;
    size_t files = 0, inkedPages = 0;
    std::vector<std::string> blank, notes;
    for (size_t row = 0; row < manifest->RowCount(); ++row) {
        const std::string& file = Cell(row, "file");
        const std::filesystem::path path = std::filesystem::path(CorpusDir) / file;
        if (path.extension() != ".pdf" || !Readable(row)) continue;
        if (SanitizerBuild && std::atol(Cell(row, "pages_walked").c_str()) > SanitizerPageLimit) {
            notes.push_back(file + ": more than " + std::to_string(SanitizerPageLimit) + " pages, normal build only");
            continue;
        }
        const std::map<uint32_t, bool> theirs = TheirInk(path.string(), scratch.File("pictures"));
        if (theirs.empty()) {
            notes.push_back(file + ": pdftoppm renders no page");
            continue;
        }

        RecordingPort port;
        QtMeasuringCanvas canvas;
        PdfDocument document(port);
        document.canvas = &canvas;
        document.temporaryFolder = scratch.File("");
        document.openfilenow(path.string());
        ++files;
        if (!document.documentRead || document.invalid) {
            const auto inked = std::count_if(theirs.begin(), theirs.end(), [](const auto& page) { return page.second; });
            inkedPages += static_cast<size_t>(inked);
            if (inked > 0) blank.push_back(file + ": not opened, " + std::to_string(inked) + " pages with ink");
            continue;
        }

        std::vector<uint32_t> blankPages;
        for (const auto& [page, inked] : theirs) {
            if (!inked) continue;
            ++inkedPages;
            // A page we do not find shows nothing either.
            if (page > document.pages.Count()) {
                blankPages.push_back(page);
                continue;
            }
            const QImage ours = RenderPage(document, static_cast<int>(page), OurZoom, canvas.PixelsPerInch(),
                                         canvas.DisplayFont());
            if (!ours.isNull() && !HasInk(ours)) blankPages.push_back(page);
        }
        if (!blankPages.empty()) {
            blank.push_back(file + (blankPages.size() == 1 ? ": page " : ": pages ") + PageList(blankPages));
        }
    }
    for (const std::string& note : notes) std::cout << "[ NOTE     ] " << note << "\n";
    std::cout << "[ inked    ] " << files << " files, " << inkedPages << " pages with ink in pdftoppm's rendering\n";
    EXPECT_GT(files, 0u);
    if (!blank.empty()) {
        std::string list;
        for (const std::string& line : blank) list += "\n    " + line;
        ADD_FAILURE() << "pages with ink in pdftoppm's rendering that are blank in ours:" << list;
    }
}

}  // namespace
}  // namespace folivo::test
