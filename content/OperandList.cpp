#include "content/OperandList.h"

namespace folivo {

void OperandList::Push(std::string&& token)
{
    bytes_ += token.size();
    entries_.push_back(std::move(token));
    if (entries_.size() <= MaxCount && bytes_ <= MaxBytes) return;
    // Dropping half at a time keeps the bounds' checks rare.
    size_t count = 0;
    size_t kept = bytes_;
    while (count < entries_.size() && (entries_.size() - count > MaxCount / 2 || kept > MaxBytes / 2)) {
        kept -= entries_[count].size();
        ++count;
    }
    lost_ += count;
    Drop(count);
}

void OperandList::Clear()
{
    entries_.clear();
    bytes_ = 0;
}

void OperandList::KeepLast(size_t count)
{
    if (entries_.size() > count) Drop(entries_.size() - count);
}

void OperandList::Drop(size_t count)
{
    // Drops come in large steps or from a short list: the shift stays linear overall.
    for (size_t i = 0; i < count; ++i) bytes_ -= entries_[i].size();
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace folivo
