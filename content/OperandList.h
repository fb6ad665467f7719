// The operands read since an operator last consumed them. A content stream may pile up any
// number of them before an operator comes; the list keeps a bounded tail, since operators only
// ever read the latest entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ResourceLimits.h"

namespace folivo {

class OperandList {
public:
    static constexpr size_t MaxCount = OperandCountLimit;
    static constexpr size_t MaxBytes = OperandBytesLimit;

    // Appends the token; when the list passes a bound, the oldest entries are dropped until it
    // is down to half of it (a single token beyond half the bytes goes too).
    void Push(std::string&& token);
    void Clear();
    // Keeps only the last `count` entries; what it drops does not count as lost.
    void KeepLast(size_t count);

    size_t Size() const { return entries_.size(); }
    const std::string& operator[](size_t index) const { return entries_[index]; }
    // Entries dropped for the bounds since the list was made.
    uint64_t Lost() const { return lost_; }

private:
    void Drop(size_t count);

    // A vector: the list is cleared after nearly every operator and its memory is kept.
    std::vector<std::string> entries_;
    size_t bytes_ = 0;
    uint64_t lost_ = 0;
};

}  // namespace folivo
