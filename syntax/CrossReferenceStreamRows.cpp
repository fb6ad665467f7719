#include "syntax/CrossReferenceStreamRows.h"

#include <algorithm>
#include <cstdint>

namespace folivo {

std::optional<std::vector<XrefStreamEntry>> ReadXrefStreamEntries(std::string_view data,
                                                                  const std::vector<int64_t>& widths,
                                                                  const std::vector<int64_t>& index,
                                                                  int64_t numberLimit)
{
    if (widths.size() < 3 || index.size() % 2 != 0) return std::nullopt;
    size_t entryBytes = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (widths[i] < 0 || widths[i] > 8) return std::nullopt;
        entryBytes += static_cast<size_t>(widths[i]);
    }
    if (entryBytes == 0) return std::nullopt;

    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    size_t at = 0;
    auto field = [&](int64_t width, uint64_t fallback) {
        if (width == 0) return fallback;
        uint64_t value = 0;
        for (int64_t k = 0; k < width; ++k) value = (value << 8) | bytes[at++];
        return value;
    };
    std::vector<XrefStreamEntry> entries;
    for (size_t range = 0; range < index.size(); range += 2) {
        const int64_t first = index[range];
        const int64_t count = index[range + 1];
        if (first < 0 || count < 0) continue;
        for (int64_t k = 0; k < count && first + k <= INT32_MAX; ++k) {
            if (data.size() - at < entryBytes) return entries;
            if (first + k >= numberLimit) {
                // The rest of the range names no object the file can hold.
                const uint64_t rows = std::min<uint64_t>(static_cast<uint64_t>(count - k), (data.size() - at) / entryBytes);
                at += static_cast<size_t>(rows) * entryBytes;
                break;
            }
            XrefStreamEntry entry{};
            entry.number = static_cast<int32_t>(first + k);
            const uint64_t type = field(widths[0], 1);
            entry.type = type > 2 ? 0xFF : static_cast<uint8_t>(type);
            entry.second = field(widths[1], 0);
            entry.third = field(widths[2], 0);
            entries.push_back(entry);
        }
    }
    return entries;
}

}  // namespace folivo
