// The memory block behind a TDynaArray. Large blocks are mapped pages that grow and shrink by
// remapping, so a list of a hundred thousand records growing a hundred at a time never copies
// its bytes again and again.
#pragma once

#include <cstddef>

namespace folivo {

// Blocks of at least this many bytes are mapped pages; smaller ones come from the heap.
inline constexpr size_t MappedStorageBytes = size_t{1} << 20;

// The block for `newBytes` bytes, keeping the first min(oldBytes, newBytes) bytes of `storage`
// (a block of `oldBytes`, or null). Null for 0 bytes; throws std::bad_alloc on failure.
void* ResizeRecordStorage(void* storage, size_t oldBytes, size_t newBytes);

}  // namespace folivo
