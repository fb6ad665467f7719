// The members of an object stream (/Type /ObjStm), from its decoded data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace folivo {

struct ObjectStreamMember {
    int32_t number;
    // The member's bytes within the decoded data: [start, end).
    size_t start;
    size_t end;
};

// The data begin with /N pairs "number offset"; offsets count from /First. A member ends where
// its value ends, or earlier where the next one in the data begins. Lying /N or /First cost no more than
// the data: pairs are read while they are there. Members come in the order of the pairs, so
// index k is the k-th pair; one whose offset lies outside the data has number -1.
std::vector<ObjectStreamMember> ReadObjectStreamMembers(std::string_view data, int64_t count, int64_t first);

}  // namespace folivo
