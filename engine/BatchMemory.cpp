#include "engine/BatchMemory.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace vantrel {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;
constexpr std::uintptr_t Page = 4096;

} // namespace

std::size_t BatchRoom(std::size_t count) {
    return std::bit_ceil(count) * 4;
}

void* AllocateBatchMemory(std::size_t bytes, bool hugePages) {
    if (!hugePages || bytes < HugePage) return ::operator new(bytes);
    const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* block = std::aligned_alloc(HugePage, rounded);
    if (!block) throw std::bad_alloc();
    madvise(block, rounded, MADV_HUGEPAGE); // a wish: where it is refused, small pages serve
    return block;
}

void PrepareBatchMemory(void* begin, std::size_t bytes) {
    const auto from = reinterpret_cast<std::uintptr_t>(begin) & ~(Page - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(begin) + bytes;
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
}

void FreeBatchMemory(void* block, std::size_t bytes, bool hugePages) {
    if (!hugePages || bytes < HugePage)
        ::operator delete(block);
    else
        std::free(block);
}

} // namespace vantrel
