// The parts of a held file that are the same on every platform: moving the handle and letting it go.
// Holding, copying, deleting and releasing stand beside the platform's other file calls.
#include <utility>

#include "platform/files.h"

namespace velto::platform {

HeldFile::HeldFile(HeldFile&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = -1;
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

HeldFile::~HeldFile() { Release(); }

}  // namespace velto::platform
