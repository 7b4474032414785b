// Raw element storage, with huge pages for large blocks where the system
// has them.

#include "ElementStorage.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Blocks from this size on are worth huge pages (of 2 MiB): the last page
// of a block, partly used, then wastes little beside the rest.
const size_t HUGE_BLOCK = size_t{4} << 20;
const uintptr_t HUGE_PAGE = uintptr_t{2} << 20;

}  // namespace

void* allocateElements(size_t bytes) {
    void* block = ::operator new(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= HUGE_BLOCK) {
        // The whole huge pages inside the block.
        const uintptr_t start = reinterpret_cast<uintptr_t>(block);
        const uintptr_t first = (start + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
        const uintptr_t end = (start + bytes) & ~(HUGE_PAGE - 1);
        if (end > first) {
            madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
        }
    }
#endif
    return block;
}

void releaseElements(void* block) {
    ::operator delete(block);
}
