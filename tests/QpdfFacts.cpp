#include "tests/QpdfFacts.h"

#include <fstream>

#include "tests/ToolOutput.h"

namespace folivo::test {

namespace {

// qpdf's JSON, or a discarded value. Exit status 3 means warnings; the output is complete then.
nlohmann::json QpdfJson(const std::string& arguments, const std::string& path)
{
    const ToolRun run = RunTool("qpdf --json " + arguments + " " + ShellQuoted(path));
    if (run.exitCode != 0 && run.exitCode != 3) return nlohmann::json::value_t::discarded;
    return nlohmann::json::parse(run.output, nullptr, false);
}

// The object number of a reference written as "N G R"; 0 when it is none.
int32_t ReferencedNumber(const nlohmann::json& value)
{
    if (!value.is_string()) return 0;
    try {
        return std::stoi(value.get<std::string>());
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

std::optional<std::vector<QpdfPage>> QpdfPageFacts(const std::string& path)
{
    const nlohmann::json json = QpdfJson("--json-key=pages", path);
    if (json.is_discarded() || !json.contains("pages") || !json["pages"].is_array()) return std::nullopt;
    std::vector<QpdfPage> pages;
    for (const auto& page : json["pages"]) {
        QpdfPage facts;
        facts.objectNumber = ReferencedNumber(page.value("object", nlohmann::json()));
        if (page.contains("contents") && page["contents"].is_array()) facts.contentStreams = page["contents"].size();
        if (page.contains("images") && page["images"].is_array()) {
            for (const auto& image : page["images"]) {
                facts.images.push_back({image.value("name", std::string()), ReferencedNumber(image.value("object", nlohmann::json()))});
            }
        }
        pages.push_back(std::move(facts));
    }
    return pages;
}

std::map<int32_t, nlohmann::json> QpdfStreamDictionaries(const std::string& path,
                                                         const std::vector<int32_t>& objectNumbers)
{
    std::map<int32_t, nlohmann::json> dictionaries;
    if (objectNumbers.empty()) return dictionaries;
    std::string arguments = "--json-key=qpdf";
    for (int32_t number : objectNumbers) arguments += " --json-object=" + std::to_string(number);
    const nlohmann::json json = QpdfJson(arguments, path);
    // "qpdf": [ {header}, { "obj:N G R": { "stream": { "dict": {...} } }, ... } ]
    if (json.is_discarded() || !json.contains("qpdf") || !json["qpdf"].is_array() || json["qpdf"].size() < 2) {
        return dictionaries;
    }
    for (const auto& [key, object] : json["qpdf"][1].items()) {
        if (key.rfind("obj:", 0) != 0 || !object.is_object() || !object.contains("stream")) continue;
        const auto& stream = object["stream"];
        if (!stream.contains("dict")) continue;
        try {
            dictionaries[std::stoi(key.substr(4))] = stream["dict"];
        } catch (const std::exception&) {
        }
    }
    return dictionaries;
}

std::optional<QpdfStructureCounts> QpdfCounts(const std::string& path)
{
    const nlohmann::json json =
        QpdfJson("--json-stream-data=none --json-key=pages --json-key=outlines --json-key=qpdf", path);
    if (json.is_discarded() || !json.contains("pages") || !json.contains("qpdf") || !json["qpdf"].is_array() ||
        json["qpdf"].size() < 2) {
        return std::nullopt;
    }
    const nlohmann::json& objects = json["qpdf"][1];
    auto value = [&](const nlohmann::json& reference) -> const nlohmann::json* {
        if (!reference.is_string()) return &reference;
        const auto found = objects.find("obj:" + reference.get<std::string>());
        return found != objects.end() && found->contains("value") ? &(*found)["value"] : nullptr;
    };
    QpdfStructureCounts counts;
    for (const auto& page : json["pages"]) {
        const nlohmann::json* dictionary = value(page.value("object", nlohmann::json()));
        if (!dictionary || !dictionary->is_object() || !dictionary->contains("/Annots")) continue;
        const nlohmann::json* annotations = value((*dictionary)["/Annots"]);
        if (annotations && annotations->is_array()) counts.annotations += annotations->size();
    }
    std::vector<const nlohmann::json*> pending{&json["outlines"]};
    while (!pending.empty()) {
        const nlohmann::json* items = pending.back();
        pending.pop_back();
        if (!items->is_array()) continue;
        counts.outlineItems += items->size();
        for (const auto& item : *items) {
            if (item.contains("kids")) pending.push_back(&item["kids"]);
        }
    }
    return counts;
}

bool WriteCopyWithoutAnnotations(const std::string& path, const std::string& copyPath)
{
    const auto pages = QpdfPageFacts(path);
    if (!pages) return false;
    std::string arguments = "--json-key=qpdf";
    for (const QpdfPage& page : *pages) arguments += " --json-object=" + std::to_string(page.objectNumber);
    nlohmann::json json = QpdfJson(arguments, path);
    if (json.is_discarded() || !json.contains("qpdf") || !json["qpdf"].is_array() || json["qpdf"].size() < 2) {
        return false;
    }
    // The same objects given back to qpdf replace the originals.
    for (auto& [key, object] : json["qpdf"][1].items()) {
        if (object.contains("value") && object["value"].is_object()) object["value"].erase("/Annots");
    }
    const std::string update = copyPath + ".json";
    std::ofstream(update) << nlohmann::json{{"qpdf", json["qpdf"]}}.dump();
    const ToolRun run = RunTool("qpdf " + ShellQuoted(path) + " --update-from-json=" + ShellQuoted(update) + " " +
                                ShellQuoted(copyPath));
    return run.exitCode == 0 || run.exitCode == 3;
}

}  // namespace folivo::test
