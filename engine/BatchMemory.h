// Memory for the large arrays of the points computed ahead. Each page of fresh memory costs a
// fault when it is first written, some microseconds on a virtual machine: a batch of a hundred
// thousand points would spend a good part of its time there. Blocks of a huge page and more are
// asked for in huge pages where the system offers them, unless the block will be written here
// and there only: a huge page is cleared whole when a byte of it is first written.
#pragma once

#include <cstddef>

namespace vantrel {

// The points to make room for where a batch of count points finds too little: a level's
// batches double from one refinement to the next, and the next two then find room too, in pages
// written before.
std::size_t BatchRoom(std::size_t count);

void* AllocateBatchMemory(std::size_t bytes, bool hugePages);
void FreeBatchMemory(void* block, std::size_t bytes, bool hugePages);
// Makes the pages of memory about to be written ready in one call, which costs a small part of
// the faults that writing them would take one by one. A wish: where it is refused, nothing is done.
void PrepareBatchMemory(void* begin, std::size_t bytes);

} // namespace vantrel
