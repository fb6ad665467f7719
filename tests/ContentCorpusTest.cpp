// Interprets every page of the readable corpus files, pictures included, and compares what the
// reader gets out of them with poppler's tools: the words pdftotext finds on a page must be in
// the page's text runs, and the JPEG and Flate pictures pdfimages lists must become bitmaps of
// the listed size.
#include <gtest/gtest.h>

#include <stdlib.h>  // mkdtemp

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/FixedMeasuringCanvas.h"
#include "core/Windows1252.h"
#include "document/PdfDocument.h"
#include "tests/CorpusFixture.h"
#include "tests/LetterWords.h"
#include "tests/ManifestReader.h"
#include "tests/OpeningWatch.h"
#include "tests/PopplerListings.h"
#include "tests/QpdfFacts.h"
#include "tests/RecordingPort.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

// Far beyond what the largest file takes even in the sanitizer build: only a reading that never
// ends runs into it.
constexpr int HangSeconds = 500;
constexpr double RequiredWordShare = 0.9;
constexpr size_t ShortestWord = 3;

struct PictureFact {
    std::string name;
    int32_t pageIndex = 0;
    int32_t filterKind = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// What one reading of a corpus file with pictures and page content left behind.
struct ContentReading {
    bool documentRead = false;
    bool invalid = false;
    double seconds = 0;
    std::vector<bool> contentLoaded;       // by page index
    std::vector<std::string> pageLetters;  // the folded letters of each page's text runs
    std::vector<PictureFact> pictures;
};

// Each file is read once per process; the tests share the results.
const ContentReading& ReadContent(const std::string& file)
{
    static std::map<std::string, ContentReading> readings;
    if (const auto found = readings.find(file); found != readings.end()) return found->second;

    // Its own folder for the reader's temporary files: a test's scratch folder is named after the
    // test and would be emptied by a second one in the same test.
    char pattern[] = "/tmp/folivo-content-XXXXXX";
    const char* folder = mkdtemp(pattern);
    RecordingPort port;
    FixedMeasuringCanvas canvas;
    auto document = std::make_unique<PdfDocument>(port);
    document->temporaryFolder = folder ? std::string(folder) + "/" : std::string();
    document->readImages = true;
    document->canvas = &canvas;
    ContentReading reading;
    {
        const std::string path = CorpusDir + "/" + file;
        OpeningWatch watch(path, HangSeconds);
        const auto start = std::chrono::steady_clock::now();
        document->openfilenow(path);
        reading.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (folder) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    reading.documentRead = document->documentRead;
    reading.invalid = document->invalid;
    const uint32_t pageCount = document->pages.Count();
    for (uint32_t i = 0; i < pageCount; ++i) reading.contentLoaded.push_back(document->pages.At(i)->contentLoaded != 0);

    std::vector<std::string> pageText(pageCount);
    for (uint32_t i = 0; i < document->PageItemList.Count(); ++i) {
        const PageItem& item = *document->PageItemList.At(i);
        if (item.IsPath || item.IsImage || item.PageNumber < 1 || item.PageNumber > pageCount) continue;
        pageText[item.PageNumber - 1] += item.Text.View();
    }
    for (const std::string& text : pageText) reading.pageLetters.push_back(FoldedLetters(Windows1252ToUtf8(text)));

    for (uint32_t i = 0; i < document->pictures.Count(); ++i) {
        const ImageObject& picture = *document->pictures.At(i);
        if (!picture.image.pixels) continue;
        reading.pictures.push_back({std::string(picture.name.View()), picture.pageIndex, picture.filterKind,
                                    picture.image.width, picture.image.height});
    }
    return readings.emplace(file, std::move(reading)).first->second;
}

bool EndsWithPdf(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".pdf";
}

std::string Percent(size_t part, size_t whole)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << (whole ? 100.0 * static_cast<double>(part) / whole : 100.0) << " %";
    return text.str();
}

// Whether the file's text can be compared with pdftotext: pdffonts lists only simple fonts of
// the four types whose bytes the reader maps through an encoding, and none has a ToUnicode map
// (pdftotext would follow the map, the reader does not read it).
bool HasComparableFonts(const std::string& path)
{
    static const std::set<std::string> simpleTypes = {"Type 1", "Type 1C", "TrueType", "Type 3"};
    const ToolRun run = RunTool("pdffonts " + ShellQuoted(path));
    if (run.exitCode != 0) return false;
    const std::vector<FontListing> fonts = ParseFontListing(run.output);
    return !fonts.empty() && std::all_of(fonts.begin(), fonts.end(), [](const FontListing& font) {
        return simpleTypes.count(font.type) && !font.hasToUnicode;
    });
}

// How many of pdftotext's words a file's pages hold, and some that are missing.
struct WordCoverage {
    size_t words = 0;
    size_t found = 0;
    std::vector<std::string> missingSamples;  // "p. N: word"
};

WordCoverage CompareWords(const ContentReading& reading, const std::vector<std::string>& theirPages)
{
    constexpr size_t SampleCount = 25;
    WordCoverage coverage;
    for (size_t page = 0; page < theirPages.size(); ++page) {
        const std::string empty;
        const std::string& ours = page < reading.pageLetters.size() ? reading.pageLetters[page] : empty;
        for (const std::string& word : LetterWords(theirPages[page], ShortestWord)) {
            ++coverage.words;
            if (ours.find(word) != std::string::npos) {
                ++coverage.found;
            } else if (coverage.missingSamples.size() < SampleCount) {
                // The folded letters are Latin-1 bytes; shown as UTF-8.
                std::string shown;
                for (unsigned char c : word) AppendUtf8(shown, c);
                coverage.missingSamples.push_back("p. " + std::to_string(page + 1) + ": " + shown);
            }
        }
    }
    return coverage;
}

class ContentCorpusTest : public CorpusFixture {
protected:
    // Calls check for every readable file that selected accepts and the reader opened without
    // finding it invalid. Files are read only once selected, so that a test over a few files
    // does not wait for the large ones.
    size_t ForEachReadFile(const std::function<bool(const std::string&, size_t)>& selected,
                           const std::function<void(const std::string&, size_t, const ContentReading&)>& check) const
    {
        size_t count = 0;
        for (size_t row = 0; row < manifest->RowCount(); ++row) {
            const std::string& file = Cell(row, "file");
            if (!EndsWithPdf(file) || !Readable(row) || !selected(file, row)) continue;
            const ContentReading& reading = ReadContent(file);
            if (!reading.documentRead || reading.invalid) continue;
            ++count;
            check(file, row, reading);
        }
        return count;
    }

    static void RequireTool(const char* versionCommand)
    {
        if (!ToolWorks(versionCommand)) GTEST_SKIP() << "not compared: " << versionCommand << " does not run";
    }

};

TEST_F(ContentCorpusTest, EveryPageIsInterpreted)
{
    const bool haveQpdf = ToolWorks("qpdf --version");
    size_t files = 0, pages = 0, pagesWithContent = 0;
    double slowest = 0;
    std::string slowestFile;
    for (size_t row = 0; row < manifest->RowCount(); ++row) {
        const std::string& file = Cell(row, "file");
        if (!EndsWithPdf(file) || !Readable(row)) continue;
        const ContentReading& reading = ReadContent(file);
        EXPECT_TRUE(reading.documentRead) << file << " could not be loaded";
        ++files;
        pages += reading.contentLoaded.size();
        pagesWithContent += static_cast<size_t>(std::count(reading.contentLoaded.begin(), reading.contentLoaded.end(), true));
        if (reading.seconds > slowest) {
            slowest = reading.seconds;
            slowestFile = file;
        }
        // In files qpdf finds sound, every page that has content streams gets its content: the
        // corpus's content streams use only filters the reader decodes.
        if (!haveQpdf || reading.invalid || Cell(row, "qpdf_check") != "ok") continue;
        const auto qpdfPages = QpdfPageFacts(CorpusDir + "/" + file);
        if (!qpdfPages || qpdfPages->size() != reading.contentLoaded.size()) continue;
        for (size_t page = 0; page < qpdfPages->size(); ++page) {
            if ((*qpdfPages)[page].contentStreams > 0) {
                EXPECT_TRUE(reading.contentLoaded[page]) << file << ": page " << page + 1 << " has no content";
            }
        }
    }
    std::cout << "[ content  ] " << files << " readable files, " << pagesWithContent << " of " << pages
              << " pages with content interpreted; slowest " << slowestFile << " (" << std::fixed
              << std::setprecision(2) << slowest << " s)\n";
    EXPECT_GT(pagesWithContent, 0u);
}

TEST_F(ContentCorpusTest, PageTextHoldsTheWordsPdftotextFinds)
{
    RequireTool("pdffonts -v");
    RequireTool("pdftotext -v");
    WordCoverage overall;
    size_t files = 0;
    std::vector<std::string> report;
    ScratchFolder copies;
    auto comparable = [](const std::string& file, size_t) { return HasComparableFonts(CorpusDir + "/" + file); };
    ForEachReadFile(comparable, [&](const std::string& file, size_t row, const ContentReading& reading) {
        const std::string path = CorpusDir + "/" + file;
        // pdftotext also takes the text that annotation appearances draw; the reader keeps
        // annotations apart from the page content. Their words are left out.
        std::string textSource = path;
        if (Cell(row, "annots") != "0" && WriteCopyWithoutAnnotations(path, copies.File("without-annotations.pdf"))) {
            textSource = copies.File("without-annotations.pdf");
        }
        const ToolRun text = RunTool("pdftotext -enc UTF-8 " + ShellQuoted(textSource) + " -");
        if (text.exitCode != 0) return;
        const std::vector<std::string> theirPages = SplitTextPages(text.output);
        EXPECT_EQ(theirPages.size(), reading.contentLoaded.size()) << file << ": pages of pdftotext and ours";
        const WordCoverage coverage = CompareWords(reading, theirPages);
        ++files;
        overall.words += coverage.words;
        overall.found += coverage.found;
        if (coverage.words == 0) return;
        const double share = static_cast<double>(coverage.found) / static_cast<double>(coverage.words);
        if (share < 1) {
            report.push_back(file + ": " + std::to_string(coverage.found) + " of " + std::to_string(coverage.words) +
                             " words (" + Percent(coverage.found, coverage.words) + ")");
        }
        if (share < RequiredWordShare) {
            std::string missing;
            for (const std::string& sample : coverage.missingSamples) missing += "\n    " + sample;
            ADD_FAILURE() << file << ": only " << coverage.found << " of " << coverage.words << " words of pdftotext ("
                          << Percent(coverage.found, coverage.words) << ") are in the page text; missing, e.g.:"
                          << missing;
        }
    });
    std::cout << "[ words    ] " << files << " files with simple fonts and no ToUnicode maps: " << overall.found
              << " of " << overall.words << " words found (" << Percent(overall.found, overall.words) << ")\n";
    for (const std::string& line : report) std::cout << "[ words    ]   " << line << "\n";
    EXPECT_GT(files, 0u);
    EXPECT_GT(overall.words, 0u);
}

// Why a picture pdfimages lists is not expected among the reader's bitmaps.
enum class NotExpected { InlineOrNested, NameTaken, DictionaryForm };

// The expected bitmaps of one file: the image XObjects pdfimages lists as JPEG or Flate
// pictures that the reader is made to decode. It decodes the image XObjects named in the pages'
// own /XObject dictionaries, one per resource name for the whole document (the first page that
// uses a name owns it), and only those whose /Filter is the single name /DCTDecode or
// /FlateDecode and whose /Width, /Height and /BitsPerComponent are direct numbers. pdfimages
// also lists inline images and the images drawn by form XObjects and annotations; they, and
// pictures left out by the other rules, are counted by reason instead.
struct ExpectedPicture {
    std::string name;
    int32_t pageIndex;
    int32_t filterKind;
    int32_t width;
    int32_t height;
};

std::vector<ExpectedPicture> ExpectedPictures(const std::string& path, std::map<NotExpected, size_t>& leftOut)
{
    const ToolRun run = RunTool("pdfimages -list " + ShellQuoted(path));
    std::vector<ImageListing> listed;
    for (const ImageListing& image : ParseImageListing(run.output)) {
        if (image.type == "image" && (image.encoding == "jpeg" || image.encoding == "image")) listed.push_back(image);
    }
    if (listed.empty()) return {};
    const auto pages = QpdfPageFacts(path);
    if (!pages) return {};

    // The page that owns each resource name, and the object it names there.
    std::map<std::string, std::pair<int32_t, int32_t>> owners;
    for (size_t page = 0; page < pages->size(); ++page) {
        for (const PageImageResource& image : (*pages)[page].images) {
            owners.emplace(image.name, std::make_pair(static_cast<int32_t>(page), image.objectNumber));
        }
    }
    std::vector<std::pair<ImageListing, std::string>> candidates;
    std::vector<int32_t> objects;
    for (const ImageListing& image : listed) {
        const std::vector<PageImageResource> none;
        const auto& resources = image.page >= 1 && static_cast<size_t>(image.page) <= pages->size()
                                    ? (*pages)[image.page - 1].images
                                    : none;
        const auto resource = std::find_if(resources.begin(), resources.end(), [&](const PageImageResource& r) {
            return image.objectNumber > 0 && r.objectNumber == image.objectNumber;
        });
        if (resource == resources.end()) {
            ++leftOut[NotExpected::InlineOrNested];
        } else if (owners[resource->name].second != image.objectNumber) {
            ++leftOut[NotExpected::NameTaken];
        } else {
            candidates.emplace_back(image, resource->name);
            objects.push_back(image.objectNumber);
        }
    }
    const auto dictionaries = QpdfStreamDictionaries(path, objects);
    auto directPositive = [](const nlohmann::json& dictionary, const char* key) {
        return dictionary.contains(key) && dictionary[key].is_number_integer() && dictionary[key].get<int64_t>() > 0;
    };
    std::vector<ExpectedPicture> expected;
    std::set<std::string> seen;
    for (const auto& [image, name] : candidates) {
        const auto found = dictionaries.find(image.objectNumber);
        const nlohmann::json dictionary = found == dictionaries.end() ? nlohmann::json::object() : found->second;
        const std::string filter = dictionary.value("/Filter", nlohmann::json()).is_string()
                                       ? dictionary["/Filter"].get<std::string>()
                                       : std::string();
        const int32_t kind = filter == "/DCTDecode" ? FilterDCT : filter == "/FlateDecode" ? FilterFlate : FilterNone;
        const bool decodable = dictionary.value("/Subtype", nlohmann::json()) == "/Image" && kind != FilterNone &&
                               directPositive(dictionary, "/Width") && directPositive(dictionary, "/Height") &&
                               directPositive(dictionary, "/BitsPerComponent");
        if (!decodable) {
            ++leftOut[NotExpected::DictionaryForm];
            continue;
        }
        // A picture drawn twice is one bitmap.
        if (!seen.insert(name).second) continue;
        expected.push_back({name, owners[name].first, kind, image.width, image.height});
    }
    return expected;
}

TEST_F(ContentCorpusTest, ListedPicturesBecomeBitmapsOfTheirSize)
{
    RequireTool("pdfimages -v");
    RequireTool("qpdf --version");
    // Pictures do not depend on fonts: every readable file takes part.
    size_t expectedCount = 0, matched = 0;
    std::map<NotExpected, size_t> leftOut;
    std::map<std::string, std::vector<ExpectedPicture>> expectedByFile;
    auto listsPictures = [&](const std::string& file, size_t) {
        return !(expectedByFile[file] = ExpectedPictures(CorpusDir + "/" + file, leftOut)).empty();
    };
    ForEachReadFile(listsPictures, [&](const std::string& file, size_t, const ContentReading& reading) {
        for (const ExpectedPicture& want : expectedByFile[file]) {
            ++expectedCount;
            const auto found = std::find_if(reading.pictures.begin(), reading.pictures.end(), [&](const PictureFact& p) {
                return p.name == want.name && p.pageIndex == want.pageIndex;
            });
            if (found == reading.pictures.end()) {
                ADD_FAILURE() << file << ": picture " << want.name << " of page " << want.pageIndex + 1 << " ("
                              << want.width << " x " << want.height << ", filter kind " << want.filterKind
                              << ") was not decoded";
                continue;
            }
            EXPECT_EQ(found->filterKind, want.filterKind) << file << ": " << want.name;
            EXPECT_EQ(found->width, want.width) << file << ": width of " << want.name;
            EXPECT_EQ(found->height, want.height) << file << ": height of " << want.name;
            if (found->filterKind == want.filterKind && found->width == want.width && found->height == want.height) {
                ++matched;
            }
        }
    });
    std::cout << "[ pictures ] " << matched << " of " << expectedCount
              << " JPEG and Flate image XObjects decoded at their listed size; not expected: "
              << leftOut[NotExpected::InlineOrNested] << " inline or drawn from forms or annotations, "
              << leftOut[NotExpected::NameTaken] << " under a name an earlier page owns, "
              << leftOut[NotExpected::DictionaryForm] << " with a filter array, another filter or indirect sizes\n";
    EXPECT_GT(expectedCount, 0u);
}

}  // namespace
}  // namespace folivo::test
