// Finding objects without a cross-reference table: the scan that repairs damaged files.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace folivo {

struct FoundObject {
    int32_t number;
    int32_t generation;
    int64_t offset;  // of the header's first digit
};

// Every object header "N G obj" of the file, in file order. One pass over the bytes.
std::vector<FoundObject> ScanObjectHeaders(std::string_view file);

// The offsets of every keyword `word` (for example "trailer") that stands alone: not part of a
// longer name or word. One pass.
std::vector<int64_t> FindKeyword(std::string_view file, std::string_view word);

}  // namespace folivo
