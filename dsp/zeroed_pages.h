// Large zero-filled allocations taken straight from the system, so that
// pages the engine never touches never become resident.
#pragma once

#include <cstddef>

namespace vardelline {

void* allocateZeroedPages(size_t size);  // throws std::bad_alloc on failure
void freeZeroedPages(void* memory, size_t size);

}  // namespace vardelline
