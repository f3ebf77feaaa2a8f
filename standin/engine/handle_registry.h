// The handles the stand-in engine has handed out and that are still valid, so
// that a stale or foreign handle from the host is reported instead of used.
#pragma once

namespace standin {

enum class HandleKind { kEngine, kViewController, kView, kMessenger, kRegistrar };

class HandleRegistry {
 public:
  static void Add(const void* handle, HandleKind kind);
  static void Remove(const void* handle);
  /// True when handle was added with this kind and not removed since.
  static bool Contains(const void* handle, HandleKind kind);
};

}  // namespace standin
