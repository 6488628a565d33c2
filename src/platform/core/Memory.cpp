#include "platform/core/Memory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Memory {

void UseOnePool() {
#if defined(__GLIBC__)
  // The threads allocate little at a time (rows, listings, 1 MiB buffers),
  // so sharing the one pool costs no measurable time; its top, unlike a
  // thread pool's, goes back to the system when trimmed.
  mallopt(M_ARENA_MAX, 1);
#endif
}

void ReleaseFreed() {
#if defined(__GLIBC__)
  // Every pool, not only the main one; free pages inside them go back too.
  malloc_trim(0);
#endif
}

}  // namespace Memory
