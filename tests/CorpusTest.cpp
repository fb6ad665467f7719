// Reads every file of the shared PDF corpus and compares what the reader finds with the facts
// its manifest records from other tools: no crash and no long reading for any file, the page
// count and page order qpdf finds, encrypted files opened with the empty password, and plain titles and
// authors as pdfinfo prints them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "document/PdfDocument.h"
#include "tests/CorpusFixture.h"
#include "tests/ManifestReader.h"
#include "tests/OpeningWatch.h"
#include "tests/RecordingPort.h"

namespace folivo::test {
namespace {

// A reading that takes longer hangs. Sanitizer builds run several times slower, so the
// limit stretches with them.
#if defined(__SANITIZE_ADDRESS__)
constexpr double OpenLimitSeconds = 40.0;
constexpr bool SanitizerBuild = true;
#else
constexpr double OpenLimitSeconds = 10.0;
constexpr bool SanitizerBuild = false;
#endif
// Far beyond the limit: only a reading that never ends runs into it.
constexpr int HangSeconds = 120;

struct PageRef {
    int32_t number = 0;
    int32_t generation = 0;
    bool operator==(const PageRef&) const = default;
};

std::string Text(const PageRef& ref) { return std::to_string(ref.number) + " " + std::to_string(ref.generation); }

// What one reading of a corpus file left behind.
struct Reading {
    double seconds = 0;
    bool documentRead = false;
    bool invalid = false;
    bool encrypted = false;
    std::vector<PageRef> pages;
    std::string title;
    std::string author;
    std::vector<std::string> messages;
};

// Each file is read once per process; the tests share the results.
const Reading& Read(const std::string& file)
{
    static std::map<std::string, Reading> readings;
    if (const auto found = readings.find(file); found != readings.end()) return found->second;

    const std::string path = CorpusDir + "/" + file;
    RecordingPort port;
    auto document = std::make_unique<PdfDocument>(port);
    // Temporary picture files go to a folder of this process, not the working folder.
    static const std::string temporaryFolder = [] {
        const auto folder = std::filesystem::temp_directory_path() / ("folivo-corpus-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        return folder.string() + "/";
    }();
    document->temporaryFolder = temporaryFolder;
    Reading reading;
    {
        OpeningWatch watch(path, HangSeconds);
        const auto start = std::chrono::steady_clock::now();
        document->openfilenow(path);
        reading.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    reading.documentRead = document->documentRead;
    reading.invalid = document->invalid;
    reading.encrypted = document->encrypted;
    for (uint32_t i = 0; i < document->pages.Count(); ++i) {
        reading.pages.push_back({document->pages.At(i)->objectNumber, document->pages.At(i)->generation});
    }
    reading.title = document->info.title;
    reading.author = document->info.author;
    reading.messages = port.MessageTexts();
    return readings.emplace(file, std::move(reading)).first->second;
}

bool EndsWithPdf(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".pdf";
}

bool IsPlainAscii(const std::string& text)
{
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// The manifest's cells lost trailing blanks and NUL characters of pdfinfo's output (a UTF-16
// title may end in U+0000, which pdfinfo prints); ours is compared in the same form.
std::string AsManifestCell(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

std::optional<int64_t> ParseInteger(const std::string& text)
{
    try {
        size_t used = 0;
        const int64_t value = std::stoll(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

bool QpdfAvailable()
{
    static const bool available = std::system("qpdf --version > /dev/null 2>&1") == 0;
    return available;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The page objects in the order qpdf lists them, or an error text.
std::variant<std::vector<PageRef>, std::string> QpdfPages(const std::string& path)
{
    const std::string command = "qpdf --json --json-key=pages " + ShellQuoted(path) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::string("cannot run qpdf");
    std::string output;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    const int status = pclose(pipe);
    // Exit status 3 means warnings; the output is complete then.
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3)) {
        return "qpdf failed (wait status " + std::to_string(status) + ")";
    }
    const nlohmann::json json = nlohmann::json::parse(output, nullptr, false);
    if (json.is_discarded() || !json.contains("pages") || !json["pages"].is_array()) {
        return std::string("qpdf output has no pages array");
    }
    std::vector<PageRef> pages;
    for (const auto& page : json["pages"]) {
        // "object" is an indirect reference written as "N G R".
        std::istringstream reference(page.value("object", std::string()));
        PageRef ref;
        std::string r;
        if (!(reference >> ref.number >> ref.generation >> r) || r != "R") {
            return "unexpected page object in qpdf output: " + page.dump();
        }
        pages.push_back(ref);
    }
    return pages;
}

// Where two page lists first differ, e.g. "page 3: ours 12 0, qpdf 14 0".
std::string PageOrderDifference(const std::vector<PageRef>& ours, const std::vector<PageRef>& theirs)
{
    for (size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
        if (!(ours[i] == theirs[i])) {
            return "page " + std::to_string(i + 1) + ": ours " + Text(ours[i]) + ", qpdf " + Text(theirs[i]);
        }
    }
    if (ours.size() != theirs.size()) {
        return "ours has " + std::to_string(ours.size()) + " pages, qpdf " + std::to_string(theirs.size());
    }
    return {};
}

class CorpusTest : public CorpusFixture {
protected:
    // Readable files whose page tree qpdf accepts without complaint and whose root /Count is
    // the number of pages in the tree.
    bool PageTreeSound(size_t row) const
    {
        return Readable(row) && Cell(row, "qpdf_check") == "ok" &&
               Cell(row, "categories").find("bogus-page-count") == std::string::npos;
    }

    // Calls check for the file of every row that selected accepts; counts them.
    size_t ForEachFile(const std::function<bool(size_t)>& selected,
                       const std::function<void(const std::string&, size_t)>& check) const
    {
        size_t count = 0;
        for (size_t row = 0; row < manifest->RowCount(); ++row) {
            const std::string& file = Cell(row, "file");
            if (!EndsWithPdf(file) || !selected(row)) continue;
            ++count;
            check(file, row);
        }
        return count;
    }

};

TEST_F(CorpusTest, EveryFileOpensInTime)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && EndsWithPdf(name)) files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    ForEachFile([](size_t) { return true; }, [&](const std::string& file, size_t) {
        EXPECT_TRUE(std::binary_search(files.begin(), files.end(), file)) << file << " is in the manifest but missing";
    });
    ASSERT_FALSE(files.empty());

    for (const std::string& file : files) {
        const Reading& reading = Read(file);
        EXPECT_TRUE(reading.documentRead) << file << " could not be loaded";
        EXPECT_LE(reading.seconds, OpenLimitSeconds) << file << " took " << reading.seconds << " s to open";
    }
}

TEST_F(CorpusTest, PageCountsMatchQpdf)
{
    const size_t checked = ForEachFile([this](size_t row) { return PageTreeSound(row); },
                                       [this](const std::string& file, size_t row) {
        const Reading& reading = Read(file);
        const std::optional<int64_t> expected = ParseInteger(Cell(row, "pages"));
        ASSERT_TRUE(expected) << file << ": manifest pages \"" << Cell(row, "pages") << "\"";
        EXPECT_TRUE(reading.documentRead) << file << " could not be loaded";
        EXPECT_FALSE(reading.invalid) << file << " was refused as invalid";
        EXPECT_EQ(static_cast<int64_t>(reading.pages.size()), *expected) << file << ": page count";
    });
    EXPECT_GT(checked, 0u);
}

TEST_F(CorpusTest, DamagedFilesThatQpdfRepairsOpenWithItsPageCount)
{
    const size_t checked = ForEachFile(
        [this](size_t row) {
            return Readable(row) && Cell(row, "categories").find("broken-xref") != std::string::npos &&
                   Cell(row, "categories").find("bogus-page-count") == std::string::npos &&
                   ParseInteger(Cell(row, "pages")).value_or(-1) > 0;
        },
        [this](const std::string& file, size_t row) {
            const Reading& reading = Read(file);
            EXPECT_FALSE(reading.invalid) << file << " was refused as invalid";
            EXPECT_EQ(static_cast<int64_t>(reading.pages.size()), *ParseInteger(Cell(row, "pages"))) << file;
        });
    EXPECT_GT(checked, 0u);
}

TEST_F(CorpusTest, PageOrderMatchesQpdf)
{
    if (!QpdfAvailable()) GTEST_SKIP() << "page order not compared: qpdf is not installed";
    std::vector<std::string> differences;
    const size_t checked = ForEachFile([this](size_t row) { return PageTreeSound(row); }, [&](const std::string& file, size_t) {
        const auto theirs = QpdfPages(CorpusDir + "/" + file);
        if (const auto* error = std::get_if<std::string>(&theirs)) {
            differences.push_back(file + ": " + *error);
            return;
        }
        const std::string difference = PageOrderDifference(Read(file).pages, std::get<std::vector<PageRef>>(theirs));
        if (!difference.empty()) differences.push_back(file + ": " + difference);
    });
    EXPECT_GT(checked, 0u);
    for (const std::string& difference : differences) ADD_FAILURE() << difference;
}

TEST_F(CorpusTest, EncryptedFilesWithAnEmptyPasswordOpenWithQpdfsPageCount)
{
    // qpdf counts the pages of those that open with the empty password; the others need a
    // password that nobody gave, and are refused with a message.
    const size_t checked = ForEachFile(
        [this](size_t row) { return Cell(row, "encrypted") == "1"; },
        [&](const std::string& file, size_t row) {
            const Reading& reading = Read(file);
            EXPECT_TRUE(reading.encrypted) << file << " not recognised as encrypted";
            const long pages = std::stol(Cell(row, "pages"));
            if (pages > 0) {
                EXPECT_EQ(reading.pages.size(), static_cast<size_t>(pages)) << file;
            } else {
                EXPECT_EQ(reading.pages.size(), 0u) << file;
                EXPECT_FALSE(reading.messages.empty()) << file;
            }
        });
    EXPECT_GT(checked, 0u);
}

TEST_F(CorpusTest, AsciiTitlesAndAuthorsMatchPdfinfo)
{
    // Plain printable ASCII only: pdfinfo prints other text after its own conversion.
    size_t compared = 0;
    ForEachFile([this](size_t row) { return Readable(row); }, [&](const std::string& file, size_t row) {
        const Reading& reading = Read(file);
        const std::pair<const char*, const std::string*> fields[] = {{"info_title", &reading.title},
                                                                     {"info_author", &reading.author}};
        for (const auto& [column, ours] : fields) {
            const std::string& expected = Cell(row, column);
            if (!IsPlainAscii(expected)) continue;
            ++compared;
            EXPECT_EQ(AsManifestCell(*ours), expected) << file << ": " << column;
        }
    });
    EXPECT_GT(compared, 0u);
}

// A file and its twin rewritten with a classic table (the manifest's derived_from) hold the
// same document: the same pages, fonts, pictures, comments and items per page. Pictures are
// compared as found and read without decoding: the rewriting compresses pictures that had no
// filter, which changes which of them decode.
TEST_F(CorpusTest, FilesReadLikeTheirClassicTwins)
{
    struct Facts {
        uint32_t pages = 0, fonts = 0, pictures = 0;
        std::vector<uint32_t> comments, items;
        bool operator==(const Facts&) const = default;
    };
    auto facts = [](const std::string& file) {
        RecordingPort port;
        PdfDocument document(port);
        document.temporaryFolder = std::filesystem::temp_directory_path().string() + "/";
        document.readImages = false;
        document.openfilenow(CorpusDir + "/" + file);
        const auto found = std::find_if(port.memo.begin(), port.memo.end(), [](const std::string& line) {
            return line.find(" Bilder/Objekte gefunden") != std::string::npos;
        });
        const uint32_t pictures = found == port.memo.end() ? 0 : static_cast<uint32_t>(std::atol(found->c_str()));
        Facts read{document.pages.Count(), document.fonts.Count(), pictures, {}, document.ItemCountsByPage()};
        for (uint32_t i = 0; i < document.pages.Count(); ++i) read.comments.push_back(document.pages.At(i)->comments->Count());
        return read;
    };
    const size_t compared = ForEachFile(
        [this](size_t row) { return Readable(row) && !Cell(row, "derived_from").empty(); },
        [&](const std::string& file, size_t row) {
            if (SanitizerBuild && std::atol(Cell(row, "pages_walked").c_str()) > 100) return;
            const Facts classic = facts(file);
            const Facts original = facts(Cell(row, "derived_from"));
            EXPECT_GT(classic.pages, 0u) << file;
            EXPECT_TRUE(classic == original) << file << ": pages " << classic.pages << "/" << original.pages << ", fonts "
                                             << classic.fonts << "/" << original.fonts << ", pictures " << classic.pictures
                                             << "/" << original.pictures;
        });
    EXPECT_GT(compared, 0u);
}

}  // namespace
}  // namespace folivo::test
