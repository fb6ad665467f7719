#include "core/RecordStorage.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace folivo {

namespace {

size_t PageRounded(size_t bytes)
{
    static const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

bool IsMapped(size_t bytes) { return bytes >= MappedStorageBytes; }

// Mapped blocks take address space in powers of two: growing by small steps then rarely moves
// the mapping, which costs time in proportion to its size. Untouched pages cost no memory.
size_t MappedSize(size_t bytes)
{
    size_t size = MappedStorageBytes;
    while (size < bytes) size *= 2;
    return PageRounded(size);
}

void* Allocate(size_t bytes)
{
    if (!IsMapped(bytes)) {
        void* block = std::malloc(bytes);
        if (!block) throw std::bad_alloc();
        return block;
    }
    void* block = ::mmap(nullptr, MappedSize(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return block;
}

void Release(void* block, size_t bytes)
{
    if (!block) return;
    if (IsMapped(bytes)) ::munmap(block, MappedSize(bytes));
    else std::free(block);
}

}  // namespace

void* ResizeRecordStorage(void* storage, size_t oldBytes, size_t newBytes)
{
    if (!storage) oldBytes = 0;
    if (newBytes == 0) {
        Release(storage, oldBytes);
        return nullptr;
    }
    if (storage && !IsMapped(oldBytes) && !IsMapped(newBytes)) {
        void* block = std::realloc(storage, newBytes);
        if (!block) throw std::bad_alloc();
        return block;
    }
    if (storage && IsMapped(oldBytes) && IsMapped(newBytes)) {
        if (MappedSize(oldBytes) == MappedSize(newBytes)) return storage;
        void* block = ::mremap(storage, MappedSize(oldBytes), MappedSize(newBytes), MREMAP_MAYMOVE);
        if (block == MAP_FAILED) throw std::bad_alloc();
        return block;
    }
    void* block = Allocate(newBytes);
    if (storage) std::memcpy(block, storage, std::min(oldBytes, newBytes));
    Release(storage, oldBytes);
    return block;
}

}  // namespace folivo
