// The nesting depth of the lists and maps being read or written on a thread.
#pragma once

#include "codec/standard_codec_serializer.h"

namespace flutter {
namespace internal {

/// Holds one level of nesting for as long as a list or map is being processed.
/// A walk that makes only direct calls counts levels in its own depth; one that
/// calls back into a derived serializer also keeps the thread's count, through
/// which a nested call learns its depth.
class NestingLevel {
 public:
  NestingLevel(int* depth, bool shared) : depth_(depth), shared_(shared) {
    ++*depth_;
    if (shared_) thread_depth_ = *depth_;
  }
  ~NestingLevel() {
    --*depth_;
    if (shared_) thread_depth_ = *depth_;
  }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

  /// Levels held on this thread by walks that call back into a serializer; a
  /// walk starts counting from here.
  static int ThreadDepth() { return thread_depth_; }

  bool TooDeep() const { return *depth_ > StandardCodecSerializer::kMaxNestingDepth; }

 private:
  // The serializer itself is stateless and may be shared across threads.
  static thread_local int thread_depth_;

  int* depth_;
  bool shared_;
};

}  // namespace internal
}  // namespace flutter
