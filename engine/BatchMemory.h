// Memory for the large arrays of the points computed ahead. Each page of fresh memory costs a
// fault when it is first written, some microseconds on a virtual machine: a batch of a hundred
// thousand points would spend a good part of its time there. Blocks of a huge page and more are
// asked for in huge pages where the system offers them, unless the block will be written here
// and there only: a huge page is cleared whole when a byte of it is first written.
#pragma once

#include <cstddef>

namespace vantrel {

void* AllocateBatchMemory(std::size_t bytes, bool hugePages);
void FreeBatchMemory(void* block, std::size_t bytes, bool hugePages);

} // namespace vantrel
