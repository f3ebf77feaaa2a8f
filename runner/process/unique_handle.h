// Owns one kernel object handle (a mutex, a token, a process) and closes it.
#pragma once

#include <windows.h>

#include <utility>

namespace quorvane {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }

  HANDLE release() { return std::exchange(handle_, nullptr); }

  /// Closes the handle held so far, then holds handle.
  void reset(HANDLE handle = nullptr) {
    HANDLE previous = std::exchange(handle_, handle);
    if (previous != nullptr) ::CloseHandle(previous);
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace quorvane
