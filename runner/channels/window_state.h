// The window's state as the UI sees it, and when a change of it is worth
// telling the UI: once per real change, and never before the first frame.
#pragma once

#include <optional>

#include "codec/encodable_value.h"

namespace quorvane {

struct WindowState {
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool focused = false;

  bool operator==(const WindowState& other) const {
    return visible == other.visible && minimized == other.minimized &&
           maximized == other.maximized && focused == other.focused;
  }
  bool operator!=(const WindowState& other) const { return !(*this == other); }
};

/// {"visible": bool, "minimized": bool, "maximized": bool, "focused": bool}.
flutter::EncodableValue WindowStateValue(const WindowState& state);

/// Compares each state the window reports with the last one the UI was told
/// of. The window is created hidden, so that is where it starts.
class WindowStateTracker {
 public:
  /// From now on changes are reported: the UI can receive calls.
  void OpenAfterFirstFrame() { open_ = true; }

  /// current, when the UI is to be told of it: after the first frame, and
  /// when it differs from what the UI was last told. Before the first frame
  /// nothing is reported and nothing is remembered, so the first report
  /// compares with the hidden window the UI knew of.
  std::optional<WindowState> Report(const WindowState& current);

 private:
  bool open_ = false;
  WindowState reported_;
};

}  // namespace quorvane
