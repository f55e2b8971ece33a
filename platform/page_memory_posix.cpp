#include "platform/page_memory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velto::platform {

void KeepPageBuffersBetweenPages() {
#if defined(__GLIBC__)
  // Blocks up to 1 GiB come from the heap and stay there after free.
  constexpr int kLargestHeapBlock = 1 << 30;
  mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
  mallopt(M_TRIM_THRESHOLD, kLargestHeapBlock);
#endif
}

}  // namespace velto::platform
