#pragma once
// Owners for the Windows handles and blocks the print processor holds, each released on every way out.

#include <windows.h>

#include <utility>

namespace vtproc {

// A kernel handle (file, process, thread, token, event) closed with CloseHandle.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset() {
    if (handle_) ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A block that the system allocated with LocalAlloc for the caller (security descriptors, SID strings,
// message texts).
template <typename T>
class LocalBlock {
 public:
  LocalBlock() = default;
  ~LocalBlock() {
    if (block_) ::LocalFree(block_);
  }
  LocalBlock(const LocalBlock&) = delete;
  LocalBlock& operator=(const LocalBlock&) = delete;

  T Get() const { return block_; }
  T* Out() { return &block_; }

 private:
  T block_ = nullptr;
};

}  // namespace vtproc
