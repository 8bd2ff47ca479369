#pragma once

#include <cstddef>

// The heap in large pages, for a short program that builds a level from nothing and ends.
//
// Each fresh 4 KB page of heap costs a page fault when first written, and a level's start
// writes some megabytes of heap (its parsed files, its views, its units): on a virtual machine
// those faults take a third of a short run. `keepHeapInLargePages` grows the heap by `bytes`
// at once, keeps what it grew (freed memory is not handed back below twice that), and asks
// the system to back it with 2 MB pages where it can, so the same memory costs a few faults.
// Blocks up to `bytes` come from that heap rather than from a mapping of their own; `bytes`
// is at most 16 MB.
//
// Where the system gives no large pages, or the allocator is not the C library's (a sanitizer
// build), it changes nothing that matters: the memory is kept, in ordinary pages.
namespace Platform
{

void keepHeapInLargePages(std::size_t bytes);

} // namespace Platform
