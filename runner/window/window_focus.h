// The keyboard focus inside the top-level window: where it was when the window
// was deactivated, and where it goes when the window is activated or given
// the focus.
#pragma once

#include <windows.h>

namespace quorvane {

class WindowFocus {
 public:
  /// A WM_ACTIVATE of window with wparam: on deactivation notes which window
  /// inside has the focus; on activation, unless minimised, gives it inside.
  void FollowActivation(HWND window, WPARAM wparam, HWND content);

  /// Gives the focus to the window noted at the last deactivation while it is
  /// still inside window, visible and enabled; otherwise to content, if any.
  void GiveInside(HWND window, HWND content);

 private:
  HWND remembered_ = nullptr;
};

}  // namespace quorvane
