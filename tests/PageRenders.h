// Pictures of pages rendered by pdftoppm, and a copy of a document whose pages' media boxes are
// rounded to whole points as the writer rounds them: poppler puts glyphs and thin rules on whole
// pixel rows, so moving a page's top edge by a fraction of a point moves some of them by a pixel.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/PixmapCompare.h"
#include "tests/QpdfFacts.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {

constexpr int RenderResolution = 50;
constexpr double MaxMeanDifference = 0.01;

// Renders the given page ranges (first, last; 1-based) into folder: page number → picture file;
// `options` go to pdftoppm (a password).
// Nothing when pdftoppm fails.
inline std::optional<std::map<uint32_t, std::string>> RenderPages(
    const std::string& path, const std::string& folder, const std::vector<std::pair<uint32_t, uint32_t>>& ranges,
    const std::string& options = "")
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const auto& [first, last] : ranges) {
        const ToolRun run = RunTool("pdftoppm " + options + " -r " + std::to_string(RenderResolution) + " -f " +
                                    std::to_string(first) + " -l " + std::to_string(last) + " " + ShellQuoted(path) +
                                    " " + ShellQuoted(folder + "/p"));
        if (run.exitCode != 0) return std::nullopt;
    }
    // pdftoppm names them p-N.ppm, N with leading zeros to the width of the page count.
    std::map<uint32_t, std::string> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 7 || name.compare(0, 2, "p-") != 0 || name.compare(name.size() - 4, 4, ".ppm") != 0) continue;
        pictures[static_cast<uint32_t>(std::atol(name.c_str() + 2))] = entry.path().string();
    }
    return pictures;
}

// Why two pictures of a page do not agree; empty when they do.
inline std::string PictureDifference(const std::string& fileA, const std::string& fileB,
                                     const std::string& nameA = "read")
{
    const auto a = ParsePixmap(ReadBytes(fileA));
    const auto b = ParsePixmap(ReadBytes(fileB));
    if (!a || !b) return "unreadable picture";
    const PixmapDifference difference = ComparePixmaps(*a, *b);
    if (difference.sizesAgree && difference.meanShare < MaxMeanDifference) return {};
    std::ostringstream text;
    text << a->width << "x" << a->height << " " << nameA << ", " << b->width << "x" << b->height << " saved, mean difference "
         << difference.meanShare * 100 << " %";
    return text.str();
}

// The media box of a page as pdfinfo reports it (inherited and referenced boxes resolved).
inline std::optional<std::array<double, 4>> PopplerMediaBox(const std::string& path, uint32_t page)
{
    const ToolRun run = RunTool("pdfinfo -box -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                ShellQuoted(path));
    if (run.exitCode != 0) return std::nullopt;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string pageWord, box;
        uint32_t number = 0;
        std::array<double, 4> values{};
        if (words >> pageWord >> number >> box >> values[0] >> values[1] >> values[2] >> values[3] &&
            pageWord == "Page" && number == page && box == "MediaBox:") {
            return values;
        }
    }
    return std::nullopt;
}

inline bool IsWholeBox(const std::array<double, 4>& box)
{
    return std::all_of(box.begin(), box.end(), [](double v) { return std::nearbyint(v) == v; });
}

// Writes a copy of the document in which the given pages (1-based) have their media box rounded
// to whole points, half to even. Returns whether the copy was written.
inline bool WriteCopyWithRoundedMediaBoxes(const std::string& path, const std::string& copyPath,
                                           const std::map<uint32_t, std::array<double, 4>>& boxes)
{
    const auto pages = QpdfPageFacts(path);
    if (!pages) return false;
    std::map<int32_t, std::array<double, 4>> byObject;
    for (const auto& [page, box] : boxes) {
        if (page < 1 || page > pages->size()) return false;
        byObject[(*pages)[page - 1].objectNumber] = box;
    }
    std::string arguments = "--json-key=qpdf";
    for (const auto& [number, box] : byObject) arguments += " --json-object=" + std::to_string(number);
    const ToolRun run = RunTool("qpdf --json " + arguments + " " + ShellQuoted(path));
    if (run.exitCode != 0 && run.exitCode != 3) return false;
    nlohmann::json json = nlohmann::json::parse(run.output, nullptr, false);
    if (json.is_discarded() || !json.contains("qpdf") || !json["qpdf"].is_array() || json["qpdf"].size() < 2) {
        return false;
    }
    for (auto& [key, object] : json["qpdf"][1].items()) {
        if (key.rfind("obj:", 0) != 0 || !object.contains("value") || !object["value"].is_object()) continue;
        const auto found = byObject.find(std::atoi(key.c_str() + 4));
        if (found == byObject.end()) continue;
        nlohmann::json rounded = nlohmann::json::array();
        for (double value : found->second) rounded.push_back(static_cast<int64_t>(std::nearbyint(value)));
        object["value"]["/MediaBox"] = rounded;
    }
    const std::string update = copyPath + ".json";
    std::ofstream(update) << nlohmann::json{{"qpdf", json["qpdf"]}}.dump();
    const ToolRun written = RunTool("qpdf " + ShellQuoted(path) + " --update-from-json=" + ShellQuoted(update) + " " +
                                    ShellQuoted(copyPath));
    return written.exitCode == 0 || written.exitCode == 3;
}

// Compares the pictures of a document (input) and of its saved form (saved), page by page. A
// page whose pictures differ while its media box has a fraction is compared once more, against
// the document with that box rounded; what that explains is no difference. The copy and its
// pictures go to workFolder.
struct RenderComparison {
    std::vector<std::string> differences;
    std::vector<uint32_t> explainedByRounding;
};

inline RenderComparison CompareRenders(const std::string& inputPath, const std::map<uint32_t, std::string>& input,
                                       const std::map<uint32_t, std::string>& saved, const std::string& workFolder)
{
    RenderComparison result;
    std::map<uint32_t, std::string> failing;
    for (const auto& [page, file] : input) {
        const auto found = saved.find(page);
        if (found == saved.end()) {
            result.differences.push_back("page " + std::to_string(page) + ": not rendered from the saved file");
            continue;
        }
        std::string difference = PictureDifference(file, found->second);
        if (!difference.empty()) failing[page] = std::move(difference);
    }
    if (saved.size() != input.size()) {
        result.differences.push_back(std::to_string(input.size()) + " pages rendered from the file, " +
                                     std::to_string(saved.size()) + " from the saved file");
    }

    std::map<uint32_t, std::array<double, 4>> fractionalBoxes;
    for (const auto& [page, difference] : failing) {
        const auto box = PopplerMediaBox(inputPath, page);
        if (box && !IsWholeBox(*box)) fractionalBoxes[page] = *box;
    }
    std::optional<std::map<uint32_t, std::string>> rounded;
    if (!fractionalBoxes.empty()) {
        std::filesystem::create_directories(workFolder);
        const std::string copy = workFolder + "/rounded.pdf";
        if (WriteCopyWithRoundedMediaBoxes(inputPath, copy, fractionalBoxes)) {
            std::vector<std::pair<uint32_t, uint32_t>> ranges;
            for (const auto& [page, box] : fractionalBoxes) ranges.emplace_back(page, page);
            rounded = RenderPages(copy, workFolder + "/pictures", ranges);
        }
    }
    for (const auto& [page, difference] : failing) {
        std::string text = "page " + std::to_string(page) + ": " + difference;
        if (fractionalBoxes.count(page)) {
            std::string again = "no copy with the media box rounded could be rendered";
            if (rounded && rounded->count(page)) again = PictureDifference(rounded->at(page), saved.at(page), "rounded");
            if (again.empty()) {
                result.explainedByRounding.push_back(page);
                continue;
            }
            text += "; with the media box rounded: " + again;
        }
        result.differences.push_back(std::move(text));
    }
    return result;
}

}  // namespace folivo::test
