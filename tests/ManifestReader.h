// Reads the corpus manifest: a tab-separated table with one header line, cells addressed by
// column name so that added or reordered columns do not break the tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace folivo::test {

class Manifest {
public:
    // The table at path, or nothing when the file cannot be read. Throws std::runtime_error
    // when a row has a different number of cells than the header.
    static std::optional<Manifest> Load(const std::string& path);
    // The same from text already in memory; source names it in error messages.
    static Manifest Parse(const std::string& text, const std::string& source);

    size_t RowCount() const { return rows_.size(); }
    // Throws std::out_of_range naming the column when there is no such column.
    const std::string& Cell(size_t row, const std::string& column) const;

private:
    std::map<std::string, size_t> columns_;
    std::vector<std::vector<std::string>> rows_;
};

}  // namespace folivo::test
