// folivo-cli info: opens a file exactly as the window would and reports what was read.
#include "cli/InfoCommand.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CommandSession.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli info DATEI [--no-images] [--json] [--font SCHRIFT]\n"
    "Liest DATEI wie das Programm und zeigt, was gelesen wurde.\n"
    "  --no-images  Bilder nicht einlesen\n"
    "  --password KENNWORT  Kennwort einer verschlüsselten Datei\n"
    "  --json       Ausgabe als JSON-Objekt\n"
    "  --font SCHRIFT  Darstellungsschrift \"FAMILIE[,bold][,italic]\" (Vorgabe: Arial)\n";

// An absent date is an empty text (null in JSON).
std::string DateTimeText(const CivilDate& date, const CivilTime& time, bool present)
{
    if (!present) return {};
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
    const std::vector<uint32_t> itemCounts = document.ItemCountsByPage();
    for (uint32_t i = 0; i < document.pages.Count(); ++i) {
        const PageRecord& page = *document.pages.At(i);
        PageFacts fact{{page.mediaBox[0], page.mediaBox[1], page.mediaBox[2], page.mediaBox[3]},
                       page.objectNumber,
                       page.generation,
                       page.contentStreams ? page.contentStreams->Count() : 0,
                       page.comments ? page.comments->Count() : 0,
                       itemCounts[i],
                       page.contentLoaded != 0};
        facts.push_back(fact);
    }
    return facts;
}

const char* MethodText(CryptMethod method)
{
    switch (method) {
    case CryptMethod::RC4: return "RC4";
    case CryptMethod::AESV2: return "AES-128";
    case CryptMethod::AESV3: return "AES-256";
    case CryptMethod::Identity: break;
    }
    return "none";
}

// The handler's facts, or null for a document that was not opened encrypted.
nlohmann::json EncryptionJson(const PdfDocument& document)
{
    const auto& handler = document.encryption.handler;
    if (!handler) return nullptr;
    const EncryptionParameters& parameters = handler->Parameters();
    return {
        {"revision", parameters.revision},
        {"key-bits", parameters.keyBytes * 8},
        {"streams", MethodText(parameters.streams)},
        {"strings", MethodText(parameters.strings)},
        {"permissions", parameters.permissions},
        {"access", document.encryption.access == Access::Owner ? "owner" : "user"},
        {"changes-allowed", document.ChangesAllowed()},
    };
}

std::string EncryptionText(const PdfDocument& document)
{
    const nlohmann::json facts = EncryptionJson(document);
    if (facts.is_null()) return "none";
    return "revision " + facts["revision"].dump() + "; key " + facts["key-bits"].dump() + " bits; streams " +
           facts["streams"].get<std::string>() + "; strings " + facts["strings"].get<std::string>() + "; permissions " +
           facts["permissions"].dump() + "; access " + facts["access"].get<std::string>() + "; changes " +
           (document.ChangesAllowed() ? "allowed" : "denied");
}

const char* SourceName(InfoSource source)
{
    switch (source) {
    case InfoSource::Dictionary: return "info";
    case InfoSource::Xmp: return "xmp";
    case InfoSource::None: break;
    }
    return nullptr;
}

// Where each information field came from: "info", "xmp" or null.
nlohmann::json SourcesJson(const InfoSources& sources)
{
    nlohmann::json json = nlohmann::json::object();
    const std::pair<const char*, InfoSource> fields[] = {
        {"producer", sources.producer}, {"creator", sources.creator},   {"author", sources.author},
        {"title", sources.title},       {"subject", sources.subject},   {"keywords", sources.keywords},
        {"created", sources.created},   {"modified", sources.modified},
    };
    for (const auto& [name, source] : fields) {
        const char* text = SourceName(source);
        json[name] = text ? nlohmann::json(text) : nlohmann::json(nullptr);
    }
    return json;
}

void PrintText(PdfDocument& document, const ConsolePort& port)
{
    const InfoFields& info = document.info;
    std::cout << "version-item: " << document.versionItem << '\n'
              << "pages: " << document.pages.Count() << '\n'
              << "invalid: " << (document.invalid ? "yes" : "no") << '\n'
              << "encrypted: " << (document.encrypted ? "yes" : "no") << '\n'
              << "encryption: " << EncryptionText(document) << '\n'
              << "producer: " << OneLine(info.producer) << '\n'
              << "creator: " << OneLine(info.creator) << '\n'
              << "author: " << OneLine(info.author) << '\n'
              << "title: " << OneLine(info.title) << '\n'
              << "subject: " << OneLine(info.subject) << '\n'
              << "keywords: " << OneLine(info.keywords) << '\n'
              << "created: " << DateTimeText(info.createdDate, info.createdTime, info.createdPresent) << '\n'
              << "modified: " << DateTimeText(info.modifiedDate, info.modifiedTime, info.modifiedPresent) << '\n'
              << "metadata: " << (document.metadataReference.found ? "xmp" : "none") << '\n'
              << "signatures: " << document.signatures.size() << '\n'
              << "fonts: " << document.fonts.Count() << '\n'
              << "pictures: " << document.pictures.Count() << '\n';
    int number = 0;
    for (const PageFacts& page : CollectPages(document)) {
        std::cout << "page " << ++number << ": mediabox " << ShortestNumber(page.mediaBox[0]) << ' ' << ShortestNumber(page.mediaBox[1])
                  << ' ' << ShortestNumber(page.mediaBox[2]) << ' ' << ShortestNumber(page.mediaBox[3]) << "; object "
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
        {"encryption", EncryptionJson(document)},
        {"producer", text(info.producer)},
        {"creator", text(info.creator)},
        {"author", text(info.author)},
        {"title", text(info.title)},
        {"subject", text(info.subject)},
        {"keywords", text(info.keywords)},
        {"created", info.createdPresent ? nlohmann::json(DateTimeText(info.createdDate, info.createdTime, true)) : nullptr},
        {"modified",
         info.modifiedPresent ? nlohmann::json(DateTimeText(info.modifiedDate, info.modifiedTime, true)) : nullptr},
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
    report["sources"] = SourcesJson(info.sources);
    report["metadata"] = document.metadataReference.found ? "xmp" : "none";
    nlohmann::json signatures = nlohmann::json::array();
    for (const SignatureField& signature : document.signatures) {
        signatures.push_back(
            {{"field", signature.fieldName}, {"signer", signature.signerName}, {"time", signature.signingTime}});
    }
    report["signatures"] = signatures;
    report["page-list"] = pageList;
    report["memo"] = port.memo;
    report["messages"] = port.messages;
    // Invalid UTF-8 cannot come from the reader's own conversions; replace it rather than fail.
    std::cout << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace

int RunInfo(int argc, char** argv)
{
    CommandOptions options;
    OptionTable table("info", Usage);
    AddDocumentOptions(table, options, true);
    if (const auto status = table.Parse(argc, argv)) return *status;
    if (options.path.empty()) return table.Refuse("keine Datei angegeben");

    CommandSession session(options);
    if (options.json) PrintJson(session.document, session.port);
    else PrintText(session.document, session.port);
    return session.Readable() ? 0 : 2;
}

}  // namespace folivo::cli
