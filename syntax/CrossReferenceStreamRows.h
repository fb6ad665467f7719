// The entries of a cross-reference stream (/Type /XRef), from its decoded data.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace folivo {

struct XrefStreamEntry {
    int32_t number;
    // 0 free, 1 at a byte offset (second), 2 inside object stream `second` at index `third`;
    // 255 for any other type, which names no object.
    uint8_t type;
    uint64_t second;
    uint64_t third;  // the generation for types 0 and 1
};

// /W gives the widths of the three fields in bytes, /Index the ranges "first count" (the
// default [0 Size] is the caller's). Fields of width 0 take their defaults (type 1, 0, 0).
// Empty when /W is not three widths of 0 ... 8 bytes with a non-empty entry, or /Index is not
// pairs. Ranges end at the data's end and never reach numbers beyond 2^31 - 1; negative ranges
// are skipped, so lying values cost no more than the data. Rows for numbers from numberLimit on
// are passed over without being kept: the entries grow with the objects a file can hold.
std::optional<std::vector<XrefStreamEntry>> ReadXrefStreamEntries(std::string_view data,
                                                                  const std::vector<int64_t>& widths,
                                                                  const std::vector<int64_t>& index,
                                                                  int64_t numberLimit = int64_t{INT32_MAX} + 1);

}  // namespace folivo
