#include "runner/window/window_focus.h"

#include "runner/window/focus_rules.h"

namespace quorvane {

void WindowFocus::FollowActivation(HWND window, WPARAM wparam, HWND content) {
  switch (FocusOnActivation(wparam)) {
    case ActivationFocus::kRemember: {
      // The focus is still inside while the deactivation is announced.
      HWND focus = ::GetFocus();
      remembered_ = focus != nullptr && ::IsChild(window, focus) ? focus : nullptr;
      return;
    }
    case ActivationFocus::kGive:
      GiveInside(window, content);
      return;
    case ActivationFocus::kLeave:
      return;
  }
}

void WindowFocus::GiveInside(HWND window, HWND content) {
  // The noted window may have gone, or been hidden or disabled, since then.
  const bool remembered_usable = remembered_ != nullptr && ::IsChild(window, remembered_) &&
                                 ::IsWindowVisible(remembered_) && ::IsWindowEnabled(remembered_);
  switch (FocusRecipientInside(remembered_usable, content != nullptr)) {
    case FocusRecipient::kRemembered:
      ::SetFocus(remembered_);
      return;
    case FocusRecipient::kContent:
      ::SetFocus(content);
      return;
    case FocusRecipient::kNone:
      return;
  }
}

}  // namespace quorvane
