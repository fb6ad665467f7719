#include "tests/ManifestReader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace folivo::test {

namespace {

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return cells;
        start = tab + 1;
    }
}

}  // namespace

std::optional<Manifest> Manifest::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return Parse(text.str(), path);
}

Manifest Manifest::Parse(const std::string& text, const std::string& source)
{
    Manifest manifest;
    std::istringstream lines(text);
    std::string line;
    size_t lineNumber = 0;
    size_t width = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> cells = SplitTabs(line);
        if (lineNumber == 1) {
            width = cells.size();
            for (size_t i = 0; i < cells.size(); ++i) manifest.columns_[cells[i]] = i;
            continue;
        }
        if (cells.size() != width) {
            throw std::runtime_error(source + " line " + std::to_string(lineNumber) + ": " +
                                     std::to_string(cells.size()) + " cells, header has " + std::to_string(width));
        }
        manifest.rows_.push_back(std::move(cells));
    }
    return manifest;
}

const std::string& Manifest::Cell(size_t row, const std::string& column) const
{
    const auto found = columns_.find(column);
    if (found == columns_.end()) throw std::out_of_range("manifest has no column \"" + column + "\"");
    return rows_.at(row).at(found->second);
}

}  // namespace folivo::test
