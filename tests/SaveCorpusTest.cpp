// Saves every readable corpus file with folivo-cli, unchanged, with a new title and author, with
// the protection, and with both appended to the original file, and checks each saved file with
// the peer tools and with our own reader: qpdf finds no error in it, pdfinfo the same page count
// and the new fields, exiftool the new title in the XMP metadata, pdftoppm the same pictures of
// the pages, and our reader the same pages, fonts, comments, information and identifier.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "content/FixedMeasuringCanvas.h"
#include "document/PdfDocument.h"
#include "model/XmpMetadata.h"
#include "pdfwrite/Protection.h"
#include "tests/CorpusFixture.h"
#include "tests/ManifestReader.h"
#include "tests/OpeningWatch.h"
#include "tests/QpdfFacts.h"
#include "tests/PageRenders.h"
#include "tests/RecordingPort.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

#if defined(__SANITIZE_ADDRESS__)
#define FOLIVO_SAVE_CORPUS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FOLIVO_SAVE_CORPUS_SANITIZED 1
#endif
#endif

namespace folivo::test {
namespace {

#ifdef FOLIVO_SAVE_CORPUS_SANITIZED
constexpr bool SanitizerBuild = true;
#else
constexpr bool SanitizerBuild = false;
#endif
// Documents with more pages are saved in the normal build only: in the sanitizer build the one
// with over a thousand pages alone takes a minute per kind of save, and what the writer does
// per page is covered by the smaller ones.
constexpr long SanitizerPageLimit = 400;

const std::string CliPath = FOLIVO_CLI_PATH;
// Far beyond what the largest file takes even in the sanitizer build: only a reading that never
// ends runs into it.
constexpr int HangSeconds = 500;

// Pictures are compared for the first pages and the last one of each document: the largest
// documents have over a thousand pages of one kind, and rendering them all would cost minutes.
// The check with our reader covers every page.
constexpr uint32_t LeadingPagesRendered = 20;

const std::string NewTitle = "Neuer Titel";
const std::string NewAuthor = "Neue Autorin";
// Has no Windows-1252 form, so it is written as UTF-16.
const std::string GreekTitle = "\xCE\x9D\xCE\xAD\xCE\xBF\xCF\x82 \xCF\x84\xCE\xAF\xCF\x84\xCE\xBB\xCE\xBF\xCF\x82";

// More differences of one file than this are summarised in a count.
constexpr size_t DifferencesShownPerFile = 4;

enum class Change { None, Retitle, Protect, Append };
// The sanitizer build appends to every third file: the writer's appended path is the same for
// each, and the normal build covers them all.
constexpr size_t SanitizerAppendEvery = 3;

// ---------------------------------------------------------------------------------------------
// What our reader finds in a document.

struct CommentFacts {
    int32_t kind = 0;
    int32_t icon = 0;
    bool open = false;
    std::string title;
    std::string text;
    bool operator==(const CommentFacts&) const = default;
};

struct PageFacts {
    int32_t number = 0;
    int32_t generation = 0;
    double box[4] = {0, 0, 0, 0};
    std::vector<CommentFacts> comments;
    std::vector<std::string> fontNames;  // the keys of the page's font dictionary, sorted
};

struct FontFacts {
    uint32_t pageIndex = 0;
    bool type3 = false;
    int32_t encoding = 0;
    uint32_t firstChar = 0;
    std::vector<std::pair<int, double>> widths;  // code, width for the codes that have one
    bool operator==(const FontFacts&) const = default;
};

struct DocumentFacts {
    bool documentRead = false;
    bool invalid = false;
    bool hasInformation = false;
    // An encrypted file's author may forbid changes to whoever opens it without the owner
    // password.
    bool changesAllowed = true;
    // The cross-reference sections were rebuilt from the objects: no update can extend them.
    bool repaired = false;
    // An XMP packet that Exempi reads.
    bool readableXmp = false;
    std::vector<std::string> fileIds;
    std::vector<PageFacts> pages;
    std::map<std::string, FontFacts> fonts;
    InfoFields info;
};

DocumentFacts ReadFacts(const std::string& path, const std::string& temporaryFolder)
{
    std::filesystem::create_directories(temporaryFolder);
    RecordingPort port;
    FixedMeasuringCanvas canvas;
    auto document = std::make_unique<PdfDocument>(port);
    document->temporaryFolder = temporaryFolder + "/";
    // Pictures play no part in saving; decoding them would only cost time.
    document->readImages = false;
    document->canvas = &canvas;
    {
        OpeningWatch watch(path, HangSeconds);
        document->openfilenow(path);
    }
    DocumentFacts facts;
    facts.documentRead = document->documentRead;
    facts.invalid = document->invalid;
    facts.changesAllowed = document->ChangesAllowed();
    facts.hasInformation = document->infoReference.found && document->InfoEntries;
    facts.info = document->info;
    facts.repaired = document->repaired;
    facts.readableXmp = document->metadataPacket && ReadXmpInformation(*document->metadataPacket);
    facts.fileIds = document->fileIds;
    for (uint32_t i = 0; i < document->pages.Count(); ++i) {
        const PageRecord& page = *document->pages.At(i);
        PageFacts pageFacts;
        pageFacts.number = page.objectNumber;
        pageFacts.generation = page.generation;
        std::copy(std::begin(page.mediaBox), std::end(page.mediaBox), pageFacts.box);
        if (page.hasFonts) {
            document->fileBuffer.position = static_cast<int32_t>(page.fontDictionaryPosition);
            document->ParseDictionary();
            for (uint32_t k = 0; k < document->DictEntryList->Count(); ++k) {
                pageFacts.fontNames.push_back((*document->DictEntryList->At(k)->tokens)[0]);
            }
            document->ReleaseDictionary();
            // Pages sharing a font dictionary each add the protection's font to it.
            std::sort(pageFacts.fontNames.begin(), pageFacts.fontNames.end());
            pageFacts.fontNames.erase(std::unique(pageFacts.fontNames.begin(), pageFacts.fontNames.end()),
                                      pageFacts.fontNames.end());
        }
        for (uint32_t c = 0; page.comments && c < page.comments->Count(); ++c) {
            const AnnotationRecord& comment = *page.comments->At(c);
            pageFacts.comments.push_back({comment.kind, comment.icon, comment.open != 0,
                                          std::string(comment.title.View()), std::string(comment.text.View())});
        }
        facts.pages.push_back(std::move(pageFacts));
    }
    for (uint32_t i = 0; i < document->fonts.Count(); ++i) {
        const FontRecord& font = *document->fonts.At(i);
        FontFacts fontFacts{font.pageIndex, font.isType3 != 0, font.encoding, font.firstChar, {}};
        for (int code = 0; code < 256; ++code) {
            if (font.widthPresent[code]) fontFacts.widths.emplace_back(code, font.widths[code]);
        }
        facts.fonts[std::string(font.resourceName.View())] = std::move(fontFacts);
    }
    return facts;
}

std::string Joined(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) text += (i ? separator : "") + parts[i];
    return text;
}

// Seconds of a civil date and time, for comparisons only (no time zone applies).
int64_t CivilSeconds(const CivilDate& date, const CivilTime& time)
{
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    return static_cast<int64_t>(timegm(&fields));
}

std::string DateText(const CivilDate& date, const CivilTime& time)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day, time.hour,
                  time.minute, time.second);
    return text;
}

// What the saved file must hold: the title and author, and whether it has the protection's font.
struct Expected {
    std::string title;
    std::string author;
    bool protectionFont = false;
};

void AddPageDifferences(const DocumentFacts& input, const DocumentFacts& saved, std::vector<std::string>& differences)
{
    if (saved.pages.size() != input.pages.size()) {
        differences.push_back("pages: " + std::to_string(input.pages.size()) + " read, " +
                              std::to_string(saved.pages.size()) + " saved");
    }
    for (size_t i = 0; i < std::min(input.pages.size(), saved.pages.size()); ++i) {
        const PageFacts& in = input.pages[i];
        const PageFacts& out = saved.pages[i];
        const std::string page = "page " + std::to_string(i + 1) + ": ";
        if (in.number != out.number || in.generation != out.generation) {
            differences.push_back(page + "object " + std::to_string(in.number) + " " + std::to_string(in.generation) +
                                  " read, " + std::to_string(out.number) + " " + std::to_string(out.generation) +
                                  " saved");
        }
        for (int k = 0; k < 4; ++k) {
            // Saved boxes hold the values as read.
            if (in.box[k] != out.box[k]) {
                std::ostringstream text;
                text << page << "media box value " << k << " " << in.box[k] << " read, " << out.box[k] << " saved";
                differences.push_back(text.str());
                break;
            }
        }
        if (in.comments.size() != out.comments.size()) {
            differences.push_back(page + std::to_string(in.comments.size()) + " comments read, " +
                                  std::to_string(out.comments.size()) + " saved");
        } else if (in.comments != out.comments) {
            differences.push_back(page + "a comment's kind, icon, open state, title or text changed");
        }
    }
}

void AddFontDifferences(const DocumentFacts& input, const DocumentFacts& saved, const Expected& expected,
                        std::vector<std::string>& differences)
{
    std::vector<std::string> added;
    for (const auto& [name, font] : saved.fonts) {
        const auto found = input.fonts.find(name);
        if (found == input.fonts.end()) {
            added.push_back(name);
        } else if (!(found->second == font)) {
            differences.push_back("font " + name + ": page, type, encoding, first character or widths changed");
        }
    }
    for (const auto& [name, font] : input.fonts) {
        if (!saved.fonts.count(name)) differences.push_back("font " + name + " missing");
    }
    // The protection's font is the display font's name, with digits when a font had that name.
    const std::string protectionName = "/" + ProtectionFontName(DisplayFont{}.family);
    const bool addedIsProtection =
        added.size() == 1 && added[0].compare(0, protectionName.size(), protectionName) == 0 &&
        std::all_of(added[0].begin() + static_cast<std::ptrdiff_t>(protectionName.size()), added[0].end(),
                    [](char c) { return c >= '0' && c <= '9'; });
    // Without pages nothing refers to the added font, and the reader cannot see it.
    const bool fontExpected = expected.protectionFont && !input.pages.empty();
    if (fontExpected && !addedIsProtection) {
        differences.push_back("expected one added font " + protectionName + ", found " +
                              std::to_string(added.size()) + ":" + Joined(added, " "));
    } else if (!fontExpected && !added.empty()) {
        differences.push_back("unexpected added font " + Joined(added, " "));
    }
    // Every page's font dictionary names what it did before and, after the protection, the
    // added font, which the page's new text selects.
    std::vector<size_t> pagesWithOtherFonts;
    for (size_t i = 0; i < std::min(input.pages.size(), saved.pages.size()); ++i) {
        std::vector<std::string> names = input.pages[i].fontNames;
        if (fontExpected && addedIsProtection) {
            names.insert(std::upper_bound(names.begin(), names.end(), added[0]), added[0]);
        }
        if (names != saved.pages[i].fontNames) pagesWithOtherFonts.push_back(i + 1);
    }
    if (!pagesWithOtherFonts.empty()) {
        const size_t first = pagesWithOtherFonts.front();
        differences.push_back(std::to_string(pagesWithOtherFonts.size()) +
                              " pages whose font dictionary names other fonts, first page " + std::to_string(first) +
                              ": [" + Joined(input.pages[first - 1].fontNames, " ") +
                              "] read, [" + Joined(saved.pages[first - 1].fontNames, " ") + "] saved");
    }
}

void AddInformationDifferences(const DocumentFacts& input, const DocumentFacts& saved, const Expected& expected,
                               std::vector<std::string>& differences)
{
    const std::pair<const char*, std::pair<const std::string*, const std::string*>> texts[] = {
        {"title", {&expected.title, &saved.info.title}},
        {"author", {&expected.author, &saved.info.author}},
        {"producer", {&input.info.producer, &saved.info.producer}},
        {"creator", {&input.info.creator, &saved.info.creator}},
        {"subject", {&input.info.subject, &saved.info.subject}},
        {"keywords", {&input.info.keywords, &saved.info.keywords}},
    };
    for (const auto& [field, values] : texts) {
        if (*values.first != *values.second) {
            differences.push_back(std::string(field) + " \"" + *values.first + "\" expected, \"" + *values.second +
                                  "\" saved");
        }
    }
    // A date the file lacks stays absent; one it has is saved as read.
    struct DateFacts {
        CivilDate date;
        CivilTime time;
        bool present;
    };
    const std::pair<const char*, std::pair<DateFacts, DateFacts>> dates[] = {
        {"creation date",
         {{input.info.createdDate, input.info.createdTime, input.info.createdPresent},
          {saved.info.createdDate, saved.info.createdTime, saved.info.createdPresent}}},
        {"modification date",
         {{input.info.modifiedDate, input.info.modifiedTime, input.info.modifiedPresent},
          {saved.info.modifiedDate, saved.info.modifiedTime, saved.info.modifiedPresent}}},
    };
    auto text = [](const DateFacts& facts) { return facts.present ? DateText(facts.date, facts.time) : "none"; };
    for (const auto& [field, values] : dates) {
        const auto& [in, out] = values;
        if (in.present != out.present ||
            (in.present && CivilSeconds(in.date, in.time) != CivilSeconds(out.date, out.time))) {
            differences.push_back(std::string(field) + " " + text(in) + " read, " + text(out) + " saved");
        }
    }
}

std::vector<std::string> FactDifferences(const DocumentFacts& input, const DocumentFacts& saved,
                                         const Expected& expected)
{
    if (!saved.documentRead || saved.invalid) return {"our reader finds the saved file invalid"};
    std::vector<std::string> differences;
    AddPageDifferences(input, saved, differences);
    AddFontDifferences(input, saved, expected, differences);
    AddInformationDifferences(input, saved, expected, differences);
    // Every saved file has an identifier; its first element stays the input's.
    if (saved.fileIds.size() != 2) {
        differences.push_back("no /ID");
    } else if (input.fileIds.size() == 2 && input.fileIds[0] != saved.fileIds[0]) {
        differences.push_back("/ID's first element changed");
    }
    return differences;
}

// ---------------------------------------------------------------------------------------------
// The peer tools.

// The boxes pdfinfo reports for a page, in the order of BoxNames, and its rotation.
constexpr const char* BoxNames[] = {"MediaBox", "CropBox", "BleedBox", "TrimBox", "ArtBox"};

struct PageGeometry {
    int rotation = 0;
    std::array<std::array<double, 4>, 5> boxes{};
};

struct PdfinfoFacts {
    bool ran = false;
    int64_t pages = -1;
    std::string title;
    std::string author;
    std::map<uint32_t, PageGeometry> geometry;  // by page number
};

PdfinfoFacts Pdfinfo(const std::string& path)
{
    PdfinfoFacts facts;
    const ToolRun run = RunTool("pdfinfo -box -f 1 -l 1000000 " + ShellQuoted(path));
    if (run.exitCode != 0) return facts;
    facts.ran = true;
    std::istringstream lines(run.output);
    std::string line;
    const auto valueOf = [](const std::string& text, const std::string& key) -> std::optional<std::string> {
        if (text.compare(0, key.size(), key) != 0) return std::nullopt;
        const size_t start = text.find_first_not_of(' ', key.size());
        return start == std::string::npos ? std::string() : text.substr(start);
    };
    while (std::getline(lines, line)) {
        if (const auto pages = valueOf(line, "Pages:")) facts.pages = std::atoll(pages->c_str());
        if (const auto title = valueOf(line, "Title:")) facts.title = *title;
        if (const auto author = valueOf(line, "Author:")) facts.author = *author;
        // "Page    2 rot:   90", "Page    2 CropBox:   0.00   0.00  841.89  595.28"
        std::istringstream words(line);
        std::string pageWord, what;
        uint32_t page = 0;
        if (!(words >> pageWord >> page >> what) || pageWord != "Page") continue;
        if (what == "rot:") words >> facts.geometry[page].rotation;
        for (size_t box = 0; box < std::size(BoxNames); ++box) {
            if (what != std::string(BoxNames[box]) + ":") continue;
            for (double& value : facts.geometry[page].boxes[box]) words >> value;
        }
    }
    return facts;
}

// How the pages' boxes and rotation differ; the saved boxes may differ by the rounding of the
// media box to whole points (and the other boxes, which poppler clips to it).
std::vector<std::string> GeometryDifferences(const PdfinfoFacts& before, const PdfinfoFacts& after)
{
    std::vector<std::string> differences;
    for (const auto& [page, geometry] : before.geometry) {
        const auto found = after.geometry.find(page);
        if (found == after.geometry.end()) continue;  // the page count is checked on its own
        const std::string name = "page " + std::to_string(page) + ": ";
        if (geometry.rotation != found->second.rotation) {
            differences.push_back(name + "rotation " + std::to_string(geometry.rotation) + " read, " +
                                  std::to_string(found->second.rotation) + " saved");
        }
        for (size_t box = 0; box < std::size(BoxNames); ++box) {
            const auto& a = geometry.boxes[box];
            const auto& b = found->second.boxes[box];
            // pdfinfo prints two decimals, so a value x.495 may show as x.50.
            if (std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) { return std::abs(x - y) <= 0.51; })) {
                continue;
            }
            std::ostringstream text;
            text << name << BoxNames[box] << " [" << a[0] << " " << a[1] << " " << a[2] << " " << a[3] << "] read, ["
                 << b[0] << " " << b[1] << " " << b[2] << " " << b[3] << "] saved";
            differences.push_back(text.str());
            break;
        }
    }
    return differences;
}

struct QpdfCheck {
    int exitCode = -1;
    // What qpdf says besides its usual report lines, without the file name and the place in the
    // file, so that what it says about a file and about the saved file can be compared.
    std::vector<std::string> messages;
};

QpdfCheck CheckWithQpdf(const std::string& path)
{
    // Warnings go to standard error; both streams are read.
    const ToolRun run = RunTool("( qpdf --check " + ShellQuoted(path) + " 2>&1 )");
    QpdfCheck check{run.exitCode, {}};
    static const char* const usual[] = {"checking ",      "PDF Version:",     "File is not", "File is linearized",
                                        "No syntax or ",  "errors that qpdf", "R = ",        "P = ",
                                        "User password",  "extract ",         "modify ",     "qpdf: operation succeeded",
                                        "qpdf: errors detected"};
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        bool isUsual = false;
        for (const char* start : usual) isUsual = isUsual || line.rfind(start, 0) == 0;
        if (isUsual) continue;
        // "WARNING: FILE (object 10 0, offset 3795): text" → "WARNING: text"
        if (const size_t at = line.find(path); at != std::string::npos) {
            size_t end = at + path.size();
            if (line.compare(end, 2, " (") == 0) {
                if (const size_t close = line.find("): ", end); close != std::string::npos) end = close + 1;
            }
            if (line.compare(end, 2, ": ") == 0) end += 2;
            line = line.substr(0, at) + line.substr(end);
        }
        check.messages.push_back(line);
    }
    return check;
}

// Whether every message of check is among those of the original's check.
bool AllMessagesIn(const QpdfCheck& check, const QpdfCheck& original)
{
    return std::all_of(check.messages.begin(), check.messages.end(), [&](const std::string& message) {
        return std::find(original.messages.begin(), original.messages.end(), message) != original.messages.end();
    });
}

// ---------------------------------------------------------------------------------------------

bool EndsWithPdf(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".pdf";
}

// The failures of one kind of check over all files.
struct CheckTally {
    explicit CheckTally(const char* checkName) : name(checkName) {}

    const char* name;
    size_t checked = 0;
    std::vector<std::string> failures;

    void Record(const std::string& file, const std::vector<std::string>& differences)
    {
        ++checked;
        if (differences.empty()) return;
        std::vector<std::string> shown(differences.begin(),
                                       differences.begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(differences.size(), DifferencesShownPerFile)));
        if (differences.size() > shown.size()) {
            shown.push_back("and " + std::to_string(differences.size() - shown.size()) + " more");
        }
        failures.push_back(file + ": " + Joined(shown, "; "));
    }
};

class SaveCorpusTest : public CorpusFixture {
protected:
    void SetUp() override
    {
        CorpusFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(std::filesystem::exists(CliPath)) << CliPath << " is missing: build folivo-cli first";
        haveQpdf = ToolWorks("qpdf --version");
        havePdfinfo = ToolWorks("pdfinfo -v");
        haveExiftool = ToolWorks("exiftool -ver");
        // The pictures depend only on the saved bytes, which every build writes alike; the
        // sanitizer build, several times slower, leaves them to the normal build.
        havePdftoppm = !SanitizerBuild && ToolWorks("pdftoppm -v");
        if (SanitizerBuild) std::cout << "[ NOTE     ] sanitizer build: pictures are compared in the normal build only\n";
        for (const auto& [tool, present] :
             {std::pair{"qpdf", haveQpdf}, {"pdfinfo", havePdfinfo}, {"pdftoppm", havePdftoppm},
              {"exiftool", haveExiftool}}) {
            if (!present && !(SanitizerBuild && std::string(tool) == "pdftoppm")) {
                std::cout << "[ NOTE     ] " << tool << " is not installed: its check is left out\n";
            }
        }
    }

    void SaveEveryFile(Change change);
    void CheckWithQpdf(const std::string& file, const std::string& input, const std::string& saved);
    void CheckStructure(const std::string& file, const std::string& input, const std::string& saved);
    void CheckWithPdfinfo(const std::string& file, const std::string& input, const std::string& saved,
                          const DocumentFacts& read, Change change, const Expected& expected);
    void CheckPictures(const std::string& file, const std::string& input, const std::string& saved,
                       uint32_t pageCount, const ScratchFolder& scratch);
    void CheckXmpTitle(const std::string& file, const std::string& saved, const Expected& expected);
    void CheckAppended(const std::string& file, const std::string& input, const std::string& saved);
    void Report(size_t eligible, double seconds);

    bool haveQpdf = false;
    bool havePdfinfo = false;
    bool havePdftoppm = false;
    bool haveExiftool = false;

    CheckTally saving{"saving"};
    CheckTally qpdf{"qpdf --check"};
    CheckTally structure{"qpdf annotations and outline items"};
    CheckTally size{"size of unchanged files with object streams"};
    CheckTally pdfinfo{"pdfinfo"};
    CheckTally pictures{"pdftoppm pictures"};
    CheckTally reading{"our reader"};
    CheckTally xmp{"exiftool: the XMP title is the new one"};
    CheckTally appended{"the input's bytes unchanged in front of the appended changes"};
    std::vector<std::string> qpdfNotes;
    std::vector<std::string> notes;
    std::vector<std::pair<double, std::string>> fileSeconds;
};

void SaveCorpusTest::CheckWithQpdf(const std::string& file, const std::string& input, const std::string& saved)
{
    const QpdfCheck check = test::CheckWithQpdf(saved);
    if (check.exitCode != 0 && check.exitCode != 3 && check.exitCode != 2) {
        qpdf.Record(file, {"qpdf exit status " + std::to_string(check.exitCode)});
        return;
    }
    // What qpdf says about the saved file is compared with what it says about the file: damaged
    // stream data that is copied unchanged stays damaged.
    const QpdfCheck original = check.messages.empty() ? QpdfCheck{} : test::CheckWithQpdf(input);
    std::vector<std::string> marked;
    for (const std::string& message : check.messages) {
        const bool inherited =
            std::find(original.messages.begin(), original.messages.end(), message) != original.messages.end();
        marked.push_back((inherited ? "(also in the file) " : "(new) ") + message);
    }
    if (check.exitCode == 2 && !(original.exitCode == 2 && AllMessagesIn(check, original))) {
        qpdf.Record(file, marked);
        return;
    }
    qpdf.Record(file, {});
    if (!marked.empty()) qpdfNotes.push_back(file + " (exit status " + std::to_string(check.exitCode) + "):\n      " +
                                             Joined(marked, "\n      "));
}

void SaveCorpusTest::CheckStructure(const std::string& file, const std::string& input, const std::string& saved)
{
    const auto before = QpdfCounts(input);
    if (!before) return;
    const auto after = QpdfCounts(saved);
    if (!after) {
        structure.Record(file, {"qpdf --json fails on the saved file"});
    } else if (*after != *before) {
        structure.Record(file, {"annotations " + std::to_string(after->annotations) + " of " +
                                std::to_string(before->annotations) + ", outline items " +
                                std::to_string(after->outlineItems) + " of " + std::to_string(before->outlineItems)});
    } else {
        structure.Record(file, {});
    }
}

void SaveCorpusTest::CheckWithPdfinfo(const std::string& file, const std::string& input, const std::string& saved,
                                      const DocumentFacts& read, Change change, const Expected& expected)
{
    const PdfinfoFacts before = Pdfinfo(input);
    const PdfinfoFacts after = Pdfinfo(saved);
    if (!before.ran && !after.ran) {
        notes.push_back(file + ": pdfinfo fails on the file and on the saved file");
        return;
    }
    std::vector<std::string> differences;
    if (!after.ran) {
        differences.push_back("pdfinfo fails on the saved file");
    } else {
        // Where pdfinfo cannot read the file, the saved one must have the pages we read.
        const int64_t pages = before.ran ? before.pages : static_cast<int64_t>(read.pages.size());
        if (after.pages != pages) {
            differences.push_back("pages " + std::to_string(after.pages) + ", expected " + std::to_string(pages) +
                                  (before.ran ? " as in the file" : " as our reader (pdfinfo fails on the file)") +
                                  "; our reader read " + std::to_string(read.pages.size()));
        }
        const bool retitled = change == Change::Retitle || change == Change::Append;
        if (retitled && after.title != expected.title) {
            differences.push_back("title \"" + after.title + "\"");
        }
        if (retitled && after.author != expected.author) {
            differences.push_back("author \"" + after.author + "\"");
        }
        const std::vector<std::string> geometry = GeometryDifferences(before, after);
        differences.insert(differences.end(), geometry.begin(), geometry.end());
    }
    pdfinfo.Record(file, differences);
}

void SaveCorpusTest::CheckPictures(const std::string& file, const std::string& input, const std::string& saved,
                                   uint32_t pageCount, const ScratchFolder& scratch)
{
    std::vector<std::pair<uint32_t, uint32_t>> ranges = {{1, std::min(pageCount, LeadingPagesRendered)}};
    if (pageCount > LeadingPagesRendered) ranges.emplace_back(pageCount, pageCount);
    const auto before = RenderPages(input, scratch.File("pictures-input"), ranges);
    if (!before) {
        notes.push_back(file + ": pdftoppm cannot render the file itself; no pictures compared");
    } else if (const auto after = RenderPages(saved, scratch.File("pictures-saved"), ranges); !after) {
        pictures.Record(file, {"pdftoppm fails on the saved file"});
    } else {
        const RenderComparison comparison = CompareRenders(input, *before, *after, scratch.File("pictures-rounded"));
        pictures.Record(file, comparison.differences);
        if (!comparison.explainedByRounding.empty()) {
            std::string pages;
            for (uint32_t page : comparison.explainedByRounding) pages += " " + std::to_string(page);
            notes.push_back(file + ": pictures of pages" + pages +
                            " differ as the rounding of their media box to whole points predicts");
        }
    }
    for (const char* folder : {"pictures-input", "pictures-saved", "pictures-rounded"}) {
        std::filesystem::remove_all(scratch.File(folder));
    }
}

void SaveCorpusTest::CheckXmpTitle(const std::string& file, const std::string& saved, const Expected& expected)
{
    const ToolRun run = RunTool("exiftool -s3 -XMP-dc:Title " + ShellQuoted(saved));
    std::string title = run.output;
    while (!title.empty() && (title.back() == '\n' || title.back() == '\r')) title.pop_back();
    xmp.Record(file, title == expected.title ? std::vector<std::string>{}
                                             : std::vector<std::string>{"XMP title \"" + title + "\""});
}

void SaveCorpusTest::CheckAppended(const std::string& file, const std::string& input, const std::string& saved)
{
    auto bytes = [](const std::string& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    };
    const std::string original = bytes(input);
    const std::string written = bytes(saved);
    const bool kept = written.size() > original.size() && written.compare(0, original.size(), original) == 0;
    appended.Record(file, kept ? std::vector<std::string>{} : std::vector<std::string>{"the input's bytes changed"});
}

void SaveCorpusTest::Report(size_t eligible, double seconds)
{
    std::sort(fileSeconds.rbegin(), fileSeconds.rend());
    std::ostringstream slowest;
    for (size_t i = 0; i < std::min<size_t>(3, fileSeconds.size()); ++i) {
        slowest << (i ? ", " : "") << fileSeconds[i].second << " " << static_cast<int>(fileSeconds[i].first) << " s";
    }
    std::cout << "[ SAVED    ] " << eligible << " readable files in " << static_cast<int>(seconds)
              << " s; slowest: " << slowest.str() << "\n";
    if (!qpdfNotes.empty()) {
        std::cout << "[ NOTE     ] qpdf --check reports on " << qpdfNotes.size() << " saved files:\n    "
                  << Joined(qpdfNotes, "\n    ") << "\n";
    }
    if (!notes.empty()) std::cout << "[ NOTE     ] " << Joined(notes, "\n[ NOTE     ] ") << "\n";
    EXPECT_GT(eligible, 0u);
    for (const CheckTally* tally : {&saving, &qpdf, &structure, &size, &pdfinfo, &pictures, &reading, &xmp, &appended}) {
        if (tally->checked == 0) continue;
        std::cout << "[ CHECK    ] " << tally->name << ": " << tally->checked - tally->failures.size() << " of "
                  << tally->checked << " files pass\n";
        if (!tally->failures.empty()) {
            ADD_FAILURE() << tally->name << " fails for " << tally->failures.size() << " files:\n  "
                          << Joined(tally->failures, "\n  ");
        }
    }
}

void SaveCorpusTest::SaveEveryFile(Change change)
{
    ScratchFolder scratch;
    const std::string saved = scratch.File("saved.pdf");
    size_t eligible = 0;
    bool greekWithInformation = false;
    bool greekWithoutInformation = false;
    const auto started = std::chrono::steady_clock::now();

    for (size_t row = 0; row < manifest->RowCount(); ++row) {
        const std::string file = manifest->Cell(row, "file");
        if (!EndsWithPdf(file)) continue;
        if (SanitizerBuild && std::atol(manifest->Cell(row, "pages_walked").c_str()) > SanitizerPageLimit) {
            notes.push_back(file + ": more than " + std::to_string(SanitizerPageLimit) +
                            " pages, saved in the normal build only");
            continue;
        }
        const auto fileStarted = std::chrono::steady_clock::now();
        const std::string input = CorpusDir + "/" + file;
        const DocumentFacts read = ReadFacts(input, scratch.File("temporary"));
        if (!read.documentRead || read.invalid) continue;
        if (change == Change::Append && SanitizerBuild && row % SanitizerAppendEvery != 0) continue;
        ++eligible;

        const bool retitled = change == Change::Retitle || change == Change::Append;
        Expected expected{read.info.title, read.info.author, change == Change::Protect || change == Change::Append};
        std::string options;
        if (change == Change::Append) {
            expected.title = NewTitle;
            expected.author = NewAuthor;
            options = " --append --protect --title " + ShellQuoted(NewTitle) + " --author " + ShellQuoted(NewAuthor);
        } else if (change == Change::Retitle) {
            // A title without a Windows-1252 form, once with an information dictionary to
            // rewrite and once with none, where the command makes a new one.
            bool& greekDone = read.hasInformation ? greekWithInformation : greekWithoutInformation;
            expected.title = greekDone ? NewTitle : GreekTitle;
            if (!greekDone) notes.push_back(file + ": saved with the Greek title");
            greekDone = true;
            expected.author = NewAuthor;
            options = " --title " + ShellQuoted(expected.title) + " --author " + ShellQuoted(expected.author);
        } else if (change == Change::Protect) {
            options = " --protect";
        }

        std::filesystem::remove(saved);
        const ToolRun save = RunTool("( " + ShellQuoted(CliPath) + " save " + ShellQuoted(input) + " -o " +
                                     ShellQuoted(saved) + options + " 2>&1 )");
        if (change != Change::None && !read.changesAllowed) {
            // Refused, as the author asks, and nothing written.
            const bool refused = save.exitCode == 2 && !std::filesystem::exists(saved) &&
                                 save.output.find("erlaubt keine Änderungen") != std::string::npos;
            saving.Record(file, refused ? std::vector<std::string>{}
                                        : std::vector<std::string>{"saved although the author forbids changes"});
            continue;
        }
        if (change == Change::Append && read.repaired) {
            // Damaged cross-references cannot be extended: refused with a message.
            const bool refused = save.exitCode == 2 && !std::filesystem::exists(saved) &&
                                 save.output.find("repariert") != std::string::npos;
            saving.Record(file, refused ? std::vector<std::string>{}
                                        : std::vector<std::string>{"appended to a repaired file"});
            continue;
        }
        if (save.exitCode != 0 || !std::filesystem::exists(saved)) {
            std::string message = save.output.substr(0, 300);
            std::replace(message.begin(), message.end(), '\n', ' ');
            saving.Record(file, {"exit status " + std::to_string(save.exitCode) + ": " + message});
            continue;
        }
        saving.Record(file, {});
        if (change == Change::None && manifest->Cell(row, "objstm") == "1") {
            // Objects that came from object streams go back into them: no bloat.
            const auto before = std::filesystem::file_size(input);
            const auto after = std::filesystem::file_size(saved);
            size.Record(file, after * 10 <= before * 11 ? std::vector<std::string>{}
                                                         : std::vector<std::string>{std::to_string(after) + " bytes from " +
                                                                                    std::to_string(before)});
        }

        if (haveQpdf) {
            CheckWithQpdf(file, input, saved);
            CheckStructure(file, input, saved);
        }
        if (havePdfinfo) CheckWithPdfinfo(file, input, saved, read, change, expected);
        if (haveExiftool && retitled && read.readableXmp) CheckXmpTitle(file, saved, expected);
        if (change == Change::Append) CheckAppended(file, input, saved);
        if (havePdftoppm && !read.pages.empty()) {
            CheckPictures(file, input, saved, static_cast<uint32_t>(read.pages.size()), scratch);
        }
        const DocumentFacts reread = ReadFacts(saved, scratch.File("temporary"));
        reading.Record(file, FactDifferences(read, reread, expected));
        fileSeconds.emplace_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - fileStarted).count(),
                                 file);
    }
    Report(eligible, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

TEST_F(SaveCorpusTest, UnchangedSavesKeepEverything) { SaveEveryFile(Change::None); }

TEST_F(SaveCorpusTest, RetitledSavesCarryTheNewFields) { SaveEveryFile(Change::Retitle); }

TEST_F(SaveCorpusTest, ProtectedSavesAddOneFontAndKeepThePictures) { SaveEveryFile(Change::Protect); }

TEST_F(SaveCorpusTest, AppendedSavesKeepTheInputAndCarryTheChanges) { SaveEveryFile(Change::Append); }

}  // namespace
}  // namespace folivo::test
