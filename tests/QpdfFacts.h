// What qpdf reports about a file's pages and objects, read from its JSON output.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace folivo::test {

// An image XObject in a page's own /XObject resources (images used inside form XObjects are
// not among them).
struct PageImageResource {
    std::string name;  // with its slash
    int32_t objectNumber = 0;
};

struct QpdfPage {
    int32_t objectNumber = 0;
    size_t contentStreams = 0;
    std::vector<PageImageResource> images;
};

// The pages in order, or nothing when qpdf cannot read the file.
std::optional<std::vector<QpdfPage>> QpdfPageFacts(const std::string& path);

// The stream dictionaries of the given objects as qpdf writes them, by object number: names as
// "/Name", references as "N G R", arrays as arrays. Objects that are no streams are missing.
std::map<int32_t, nlohmann::json> QpdfStreamDictionaries(const std::string& path,
                                                         const std::vector<int32_t>& objectNumbers);

// The comments of all pages (entries of their /Annots arrays) and the items of the outline.
struct QpdfStructureCounts {
    size_t annotations = 0;
    size_t outlineItems = 0;
    bool operator==(const QpdfStructureCounts&) const = default;
};
std::optional<QpdfStructureCounts> QpdfCounts(const std::string& path);

// Writes a copy of the file whose pages have no /Annots, so that tools which draw annotation
// appearances see only the pages' own content. Returns whether the copy was written.
bool WriteCopyWithoutAnnotations(const std::string& path, const std::string& copyPath);

}  // namespace folivo::test
