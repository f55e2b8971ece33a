#pragma once
// A C stdio stream that closes itself on every way out, opened by a UTF-8 path on every platform.

#include "platform/files.h"

namespace velto {

using platform::OpenStdioFile;
using platform::StdioFile;

}  // namespace velto
