#include "io/huge_pages.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr uintptr_t HUGE_PAGE = uintptr_t(2) << 20;

// The heap grows by at least this much at a time, so that few growths
// (each of which touches a page or two before it can be advised) happen.
constexpr int HEAP_STEP = 64 << 20;

std::mutex heap_mutex;
uintptr_t heap_advised_end = 0;
bool heap_tuned = false;

// Advises the part of the heap added since the last call.
void advise_heap_growth()
{
    const uintptr_t end = reinterpret_cast<uintptr_t>(sbrk(0));
    if (end == static_cast<uintptr_t>(-1) || end <= heap_advised_end)
        return;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = heap_advised_end ? heap_advised_end : end;
    heap_advised_end = end;
    if (start == end)
        return;
    // Whole pages only: madvise wants a page-aligned start.
    const uintptr_t from = start & ~(page - 1);
    madvise(reinterpret_cast<void *>(from), end - from, MADV_HUGEPAGE);
}

} // namespace

void advise_huge_pages(void *data, size_t size)
{
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t from = (begin + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    const uintptr_t to = (begin + size) & ~(HUGE_PAGE - 1);
    if (!data || size < HUGE_PAGE || to <= from)
        return;
    madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
}

void *image_memory_alloc(size_t size)
{
    std::lock_guard<std::mutex> lock(heap_mutex);
    if (!heap_tuned) {
        heap_tuned = true;
        // Setting any of these fixes the others at their defaults, so all
        // are set: images up to 32 MiB come from the heap, and memory freed
        // at its top stays for the next images rather than being handed
        // back and faulted in again.
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TOP_PAD, HEAP_STEP);
        mallopt(M_TRIM_THRESHOLD, 2 * HEAP_STEP);
        advise_heap_growth();
    }
    void *data = std::malloc(size ? size : 1);
    if (data && size >= HUGE_PAGE)
        // Large images are mapped on their own; advise the untouched part.
        advise_huge_pages(data, size);
    advise_heap_growth();
    return data;
}

void image_memory_free(const void *data) { std::free(const_cast<void *>(data)); }
