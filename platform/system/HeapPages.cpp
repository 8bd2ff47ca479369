#include "platform/system/HeapPages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace Platform
{

void keepHeapInLargePages(std::size_t bytes)
{
    constexpr std::uintptr_t LargePage = std::uintptr_t{2} << 20;
    // A block of `bytes` comes from the heap, not from a mapping, so the heap grows by as
    // much; freeing it leaves the heap at its new size.
    const int size = static_cast<int>(bytes);
    if (mallopt(M_MMAP_THRESHOLD, size + static_cast<int>(LargePage)) != 1 ||
        mallopt(M_TRIM_THRESHOLD, 2 * size) != 1)
        return;
    void* block = std::malloc(bytes);
    if (!block)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::free(block);
    // Only the heap's whole large pages can be large ones; a block beyond the program break
    // was not taken from the heap at all.
    const std::uintptr_t from = (start + LargePage - 1) & ~(LargePage - 1);
    const std::uintptr_t to = end & ~(LargePage - 1);
    if (start < end && from < to)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

} // namespace Platform
