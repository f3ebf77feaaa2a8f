// Owns one open registry key and closes it on every path out of a scope.
#pragma once

#include <windows.h>

#include "runner/stores/registry_api.h"

namespace quorvane {

class RegistryKey {
 public:
  explicit RegistryKey(RegistryApi& api) : api_(api) {}
  ~RegistryKey() {
    if (key_ != nullptr) api_.CloseKey(key_);
  }

  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  /// Opens an existing key; the holder keeps it only when the call succeeds.
  /// Each holder opens or creates one key, once.
  LSTATUS Open(HKEY root, const wchar_t* path, REGSAM access) {
    return Keep(api_.OpenKey(root, path, access, &key_));
  }
  /// Opens the key, creating it and any missing parents first.
  LSTATUS Create(HKEY root, const wchar_t* path, REGSAM access) {
    return Keep(api_.CreateKey(root, path, access, &key_));
  }

  HKEY get() const { return key_; }

 private:
  // A failed call may leave anything in the out parameter; it is not a key.
  LSTATUS Keep(LSTATUS code) {
    if (code != ERROR_SUCCESS) key_ = nullptr;
    return code;
  }

  RegistryApi& api_;
  HKEY key_ = nullptr;
};

}  // namespace quorvane
