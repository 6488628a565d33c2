#include "platform/core/Memory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Memory {

void ReleaseFreed() {
#if defined(__GLIBC__)
  // Every pool, not only the main one; free pages inside them go back too.
  malloc_trim(0);
#endif
}

}  // namespace Memory
