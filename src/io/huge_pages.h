// Large buffers filled once (a file read into memory, a file being written,
// the pixels of many images) cost a page fault for every 4 KiB page they
// touch, which on a large archive is most of the time a load or a save
// takes. Asking the kernel for huge pages on such memory before it is
// touched makes those faults 512 times fewer. Advice only: memory behaves
// the same whether or not the kernel follows it.
#pragma once

#include <cstddef>

// Advises huge pages for the whole 2 MiB pages that lie in [data, data+size).
// Worth calling on memory not touched yet; nothing happens for small ranges.
void advise_huge_pages(void *data, size_t size);

// Allocation functions for the image library: the pixels of every image it
// holds come from them. They are malloc and free, with the heap grown in
// large steps that are advised for huge pages as they are added.
void *image_memory_alloc(size_t size);
void image_memory_free(const void *data);
