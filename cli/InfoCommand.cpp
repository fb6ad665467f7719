// folivo-cli info: opens a file exactly as the window would and reports what was read.
#include "cli/InfoCommand.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/ConsolePort.h"
#include "pdfread/PdfDocument.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli info DATEI [--no-images] [--json]\n"
    "Liest DATEI wie das Programm und zeigt, was gelesen wurde.\n"
    "  --no-images  Bilder nicht einlesen\n"
    "  --json       Ausgabe als JSON-Objekt\n";

std::string Number(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string DateTimeText(const CivilDate& date, const CivilTime& time)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day, time.hour,
                  time.minute, time.second);
    return text;
}

// One line per value: line breaks inside a text would break the format.
std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

struct PageFacts {
    double mediaBox[4];
    int32_t objectNumber, generation;
    uint32_t contents, comments, items;
    bool contentLoaded;
};

std::vector<PageFacts> CollectPages(PdfDocument& document)
{
    std::vector<PageFacts> facts;
    for (uint32_t i = 0; i < document.pages.Count(); ++i) {
        const PageRecord& page = *document.pages.At(i);
        PageFacts fact{{page.mediaBox[0], page.mediaBox[1], page.mediaBox[2], page.mediaBox[3]},
                       page.objectNumber,
                       page.generation,
                       page.contentStreams ? page.contentStreams->Count() : 0,
                       page.comments ? page.comments->Count() : 0,
                       document.ItemCountOfPage(i + 1),
                       page.contentLoaded != 0};
        facts.push_back(fact);
    }
    return facts;
}

void PrintText(PdfDocument& document, const ConsolePort& port)
{
    const InfoFields& info = document.info;
    std::cout << "version-item: " << document.versionItem << '\n'
              << "pages: " << document.pages.Count() << '\n'
              << "invalid: " << (document.invalid ? "yes" : "no") << '\n'
              << "encrypted: " << (document.encrypted ? "yes" : "no") << '\n'
              << "producer: " << OneLine(info.producer) << '\n'
              << "creator: " << OneLine(info.creator) << '\n'
              << "author: " << OneLine(info.author) << '\n'
              << "title: " << OneLine(info.title) << '\n'
              << "subject: " << OneLine(info.subject) << '\n'
              << "keywords: " << OneLine(info.keywords) << '\n'
              << "created: " << DateTimeText(info.createdDate, info.createdTime) << '\n'
              << "modified: " << DateTimeText(info.modifiedDate, info.modifiedTime) << '\n'
              << "fonts: " << document.fonts.Count() << '\n'
              << "pictures: " << document.pictures.Count() << '\n';
    int number = 0;
    for (const PageFacts& page : CollectPages(document)) {
        std::cout << "page " << ++number << ": mediabox " << Number(page.mediaBox[0]) << ' ' << Number(page.mediaBox[1])
                  << ' ' << Number(page.mediaBox[2]) << ' ' << Number(page.mediaBox[3]) << "; object "
                  << page.objectNumber << ' ' << page.generation << "; contents " << page.contents << "; comments "
                  << page.comments << "; items " << page.items << "; content "
                  << (page.contentLoaded ? "loaded" : "none") << '\n';
    }
    for (const std::string& line : port.memo) std::cout << "memo: " << OneLine(line) << '\n';
    for (const std::string& message : port.messages) std::cout << "message: " << OneLine(message) << '\n';
}

void PrintJson(PdfDocument& document, const ConsolePort& port)
{
    const InfoFields& info = document.info;
    auto text = [](const std::string& value) { return nlohmann::json(value); };
    nlohmann::json report = {
        {"version-item", document.versionItem},
        {"pages", document.pages.Count()},
        {"invalid", document.invalid},
        {"encrypted", document.encrypted},
        {"producer", text(info.producer)},
        {"creator", text(info.creator)},
        {"author", text(info.author)},
        {"title", text(info.title)},
        {"subject", text(info.subject)},
        {"keywords", text(info.keywords)},
        {"created", DateTimeText(info.createdDate, info.createdTime)},
        {"modified", DateTimeText(info.modifiedDate, info.modifiedTime)},
        {"fonts", document.fonts.Count()},
        {"pictures", document.pictures.Count()},
    };
    nlohmann::json pageList = nlohmann::json::array();
    for (const PageFacts& page : CollectPages(document)) {
        pageList.push_back({
            {"mediabox", {page.mediaBox[0], page.mediaBox[1], page.mediaBox[2], page.mediaBox[3]}},
            {"object", {page.objectNumber, page.generation}},
            {"contents", page.contents},
            {"comments", page.comments},
            {"items", page.items},
            {"content", page.contentLoaded ? "loaded" : "none"},
        });
    }
    report["page-list"] = pageList;
    report["memo"] = port.memo;
    report["messages"] = port.messages;
    // Invalid UTF-8 cannot come from the reader's own conversions; replace it rather than fail.
    std::cout << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace

int RunInfo(int argc, char** argv)
{
    std::string path;
    bool json = false;
    bool readImages = true;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << Usage;
            return 0;
        }
        if (argument == "--json") {
            json = true;
        } else if (argument == "--no-images") {
            readImages = false;
        } else if (!argument.empty() && argument[0] == '-') {
            std::cerr << "folivo-cli info: unbekannte Option " << argument << '\n' << Usage;
            return 1;
        } else if (path.empty()) {
            path = argument;
        } else {
            std::cerr << "folivo-cli info: nur eine Datei angeben\n" << Usage;
            return 1;
        }
    }
    if (path.empty()) {
        std::cerr << "folivo-cli info: keine Datei angegeben\n" << Usage;
        return 1;
    }

    ConsolePort port;
    PdfDocument document(port);
    document.programFolder = ProgramFolder();
    document.readImages = readImages;
    document.openfilenow(path);

    if (json) PrintJson(document, port);
    else PrintText(document, port);
    return document.documentRead && !document.invalid ? 0 : 2;
}

}  // namespace folivo::cli
