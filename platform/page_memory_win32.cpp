#include "platform/page_memory.h"

namespace velto::platform {

// The Windows heap keeps freed large blocks for reuse by itself.
void KeepPageBuffersBetweenPages() {}

}  // namespace velto::platform
