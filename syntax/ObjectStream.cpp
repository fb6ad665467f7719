#include "syntax/ObjectStream.h"

#include <algorithm>
#include <optional>

#include "syntax/SyntaxTypes.h"
#include "syntax/ValueExtent.h"

namespace folivo {

namespace {

// The next unsigned whole number of the header at `at`, or empty at anything else.
std::optional<int64_t> NextNumber(std::string_view data, size_t& at, size_t end)
{
    while (at < end && IsWhiteSpace(data[at])) ++at;
    if (at >= end || data[at] < '0' || data[at] > '9') return std::nullopt;
    int64_t value = 0;
    while (at < end && data[at] >= '0' && data[at] <= '9') {
        value = std::min<int64_t>(value * 10 + (data[at] - '0'), int64_t{1} << 40);
        ++at;
    }
    return value;
}

}  // namespace

std::vector<ObjectStreamMember> ReadObjectStreamMembers(std::string_view data, int64_t count, int64_t first)
{
    std::vector<ObjectStreamMember> members;
    if (count <= 0 || first < 0 || static_cast<uint64_t>(first) > data.size()) return members;
    const auto headerEnd = static_cast<size_t>(first);
    size_t at = 0;
    std::vector<size_t> starts;
    for (int64_t k = 0; k < count; ++k) {
        const auto number = NextNumber(data, at, headerEnd);
        const auto offset = NextNumber(data, at, headerEnd);
        if (!number || !offset) break;
        const auto start = static_cast<uint64_t>(first) + static_cast<uint64_t>(*offset);
        // A dropped member keeps its place: index k still names the k-th pair.
        const bool usable = *number <= INT32_MAX && start < data.size();
        members.push_back({usable ? static_cast<int32_t>(*number) : -1, usable ? static_cast<size_t>(start) : 0, 0});
        if (usable) starts.push_back(static_cast<size_t>(start));
    }
    std::sort(starts.begin(), starts.end());
    for (ObjectStreamMember& member : members) {
        if (member.number < 0) continue;
        const auto next = std::upper_bound(starts.begin(), starts.end(), member.start);
        // Members that share an offset share one value, however much follows it.
        member.end = std::min(next == starts.end() ? data.size() : *next, ValueEnd(data, member.start));
    }
    return members;
}

}  // namespace folivo
