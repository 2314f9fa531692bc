#include "engine/BatchMemory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace vantrel {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

} // namespace

void* AllocateBatchMemory(std::size_t bytes, bool hugePages) {
    if (!hugePages || bytes < HugePage) return ::operator new(bytes);
    const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* block = std::aligned_alloc(HugePage, rounded);
    if (!block) throw std::bad_alloc();
    madvise(block, rounded, MADV_HUGEPAGE); // a wish: where it is refused, small pages serve
    return block;
}

void FreeBatchMemory(void* block, std::size_t bytes, bool hugePages) {
    if (!hugePages || bytes < HugePage)
        ::operator delete(block);
    else
        std::free(block);
}

} // namespace vantrel
