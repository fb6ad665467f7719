// TDynaArray: a growable array of plain, zero-filled records with a bound cursor variable.
//
// Every positioning operation writes the address of the current record into the owner's
// cursor variable, so the owner works on "the current page" or "the current font" through its
// own pointer. Records are raw bytes: moving, inserting and deleting copy bytes and never
// release what a record points to; that is the owner's job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "core/RecordStorage.h"

namespace folivo {

// Storage grows and shrinks in whole steps of `Step` records.
template <typename Record, uint32_t Step = 100>
class TDynaArray {
    static_assert(std::is_trivially_copyable_v<Record>, "TDynaArray holds plain records only");
    static_assert(alignof(Record) <= alignof(std::max_align_t), "storage comes from malloc");

public:
    static constexpr uint32_t GrowthStep = Step;

    explicit TDynaArray(Record** cursor = nullptr) : cursor_(cursor) {}
    ~TDynaArray() { ResizeRecordStorage(storage_, static_cast<size_t>(capacity_), 0); }

    TDynaArray(const TDynaArray&) = delete;
    TDynaArray& operator=(const TDynaArray&) = delete;

    uint32_t Count() const { return count_; }
    int32_t CurrentIndex() const { return currentIndex_; }
    void SetCurrentIndex(int32_t index) { currentIndex_ = index; }
    Record* Current() const { return current_; }
    // Bytes allocated for storage: always a whole number of growth steps.
    int64_t Capacity() const { return capacity_; }

    // Trusts its caller: 0 <= index < Count().
    Record* Select(int32_t index)
    {
        currentIndex_ = index;
        Position(storage_ + index);
        return current_;
    }

    Record* At(uint32_t index) const { return storage_ + index; }

    Record* Append()
    {
        ++count_;
        Resize();
        Record* last = storage_ + (count_ - 1);
        std::memset(static_cast<void*>(last), 0, sizeof(Record));
        currentIndex_ = static_cast<int32_t>(count_ - 1);
        Position(last);
        return last;
    }

    // Appends copies of `n` records in one growth of the storage; no current record is set.
    void AppendCopies(const Record* records, uint32_t n)
    {
        if (n == 0) return;
        const uint32_t first = count_;
        count_ += n;
        Resize();
        std::memcpy(static_cast<void*>(storage_ + first), records, size_t{n} * sizeof(Record));
    }

    Record* InsertAt(int32_t index)
    {
        if (index < 0 || static_cast<uint32_t>(index) > count_) return nullptr;
        ++count_;
        Resize();
        std::memmove(static_cast<void*>(storage_ + index + 1), storage_ + index,
                     (count_ - static_cast<uint32_t>(index) - 1) * sizeof(Record));
        std::memset(static_cast<void*>(storage_ + index), 0, sizeof(Record));
        currentIndex_ = index;
        Position(storage_ + index);
        return current_;
    }

    void DeleteAt(int32_t index)
    {
        if (index < 0 || static_cast<uint32_t>(index) >= count_) return;
        --count_;
        std::memmove(static_cast<void*>(storage_ + index), storage_ + index + 1,
                     (count_ - static_cast<uint32_t>(index)) * sizeof(Record));
        Resize();
        currentIndex_ = -1;
        Position(nullptr);
    }

    // Drops every record for which remove(record) is true in one pass, keeping the order of the
    // rest; the same result as deleting them one by one, without the quadratic moves.
    template <typename Predicate>
    void DeleteWhere(Predicate remove)
    {
        uint32_t kept = 0;
        for (uint32_t i = 0; i < count_; ++i) {
            if (remove(storage_[i])) continue;
            if (kept != i) std::memcpy(static_cast<void*>(storage_ + kept), storage_ + i, sizeof(Record));
            ++kept;
        }
        if (kept == count_) return;
        count_ = kept;
        Resize();
        currentIndex_ = -1;
        Position(nullptr);
    }

    void Clear()
    {
        count_ = 0;
        Resize();
        currentIndex_ = -1;
        Position(nullptr);
    }

    void Swap(int32_t a, int32_t b)
    {
        if (a < 0 || b < 0 || static_cast<uint32_t>(a) >= count_ || static_cast<uint32_t>(b) >= count_) return;
        // memcpy onto itself is undefined; swapping a record with itself changes nothing anyway.
        if (a == b) return;
        alignas(Record) unsigned char temporary[sizeof(Record)];
        std::memcpy(temporary, storage_ + a, sizeof(Record));
        std::memcpy(static_cast<void*>(storage_ + a), storage_ + b, sizeof(Record));
        std::memcpy(static_cast<void*>(storage_ + b), temporary, sizeof(Record));
    }

    void First()
    {
        if (count_ == 0) return;
        currentIndex_ = 0;
        Position(storage_);
    }

    bool Next()
    {
        if (count_ == 0 || currentIndex_ < -1 || currentIndex_ > static_cast<int32_t>(count_) - 2) return false;
        ++currentIndex_;
        Position(storage_ + currentIndex_);
        return true;
    }

    // Positions on the record at the current index, then advances the index: inside a
    // First/FetchNext loop the current index is the 1-based number of the visited record.
    bool FetchNext()
    {
        if (count_ == 0 || currentIndex_ < 0 || currentIndex_ > static_cast<int32_t>(count_) - 1) return false;
        Position(storage_ + currentIndex_);
        ++currentIndex_;
        return true;
    }

private:
    void Position(Record* record)
    {
        current_ = record;
        if (cursor_) *cursor_ = record;
    }

    void Resize()
    {
        const uint64_t steps = (static_cast<uint64_t>(count_) + GrowthStep - 1) / GrowthStep;
        const uint64_t wanted = steps * GrowthStep * sizeof(Record);
        if (wanted == static_cast<uint64_t>(capacity_)) return;
        storage_ = static_cast<Record*>(ResizeRecordStorage(storage_, static_cast<size_t>(capacity_), wanted));
        capacity_ = static_cast<int64_t>(wanted);
    }

    Record** cursor_;
    Record* current_ = nullptr;
    Record* storage_ = nullptr;
    uint32_t count_ = 0;
    int32_t currentIndex_ = -1;
    int64_t capacity_ = 0;
};

}  // namespace folivo
