// Zeroed page allocation: mmap on POSIX, VirtualAlloc on Windows.
#include "dsp/zeroed_pages.h"

#include <new>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace vardelline {

void* allocateZeroedPages(size_t size) {
#if defined(_WIN32)
    void* memory = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (memory == nullptr) throw std::bad_alloc();
#else
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
#endif
    return memory;
}

void freeZeroedPages(void* memory, size_t size) {
    if (memory == nullptr) return;
#if defined(_WIN32)
    (void)size;
    VirtualFree(memory, 0, MEM_RELEASE);
#else
    munmap(memory, size);
#endif
}

}  // namespace vardelline
