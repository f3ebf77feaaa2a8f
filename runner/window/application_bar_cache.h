// The shell's answer about auto-hide application bars, kept per monitor: the
// shell is asked only for a maximise, once per monitor until settings or
// displays change, and a stale answer stands in when it does not answer.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "runner/window/window_geometry.h"

namespace quorvane {

class ApplicationBarCache {
 public:
  /// Answers kept at most, one per monitor rectangle; the oldest goes first.
  static constexpr size_t kCapacity = 8;

  /// The auto-hide bars on monitor: the kept answer while it is fresh;
  /// otherwise what ask gives (none when the shell did not answer in time),
  /// then the last answer for this monitor, then no bars at all.
  AutoHideEdges EdgesOn(const PixelRect& monitor,
                        const std::function<std::optional<AutoHideEdges>()>& ask);

  /// Every kept answer is asked again on next use; it still stands in when
  /// the shell does not answer.
  void MarkStale();

 private:
  struct Entry {
    PixelRect monitor;
    AutoHideEdges edges;
    bool fresh = false;
  };
  std::vector<Entry> entries_;
};

}  // namespace quorvane
