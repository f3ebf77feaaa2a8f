// Where the keyboard focus goes as the top-level window is activated and
// deactivated. No platform calls.
#pragma once

#include <cstdint>

namespace quorvane {

/// What a WM_ACTIVATE asks of the focus.
enum class ActivationFocus {
  kRemember,  // deactivated: note which window inside has the focus
  kGive,      // activated and not minimised: hand the focus on inside
  kLeave,     // activated while minimised: a minimised window takes no keys
};

/// The low word of wparam is the activation state, 0 (WA_INACTIVE) for a
/// deactivation; the high word is non-zero while the window is minimised.
ActivationFocus FocusOnActivation(uint64_t wparam);

/// Which window inside the top-level window is given the focus.
enum class FocusRecipient { kNone, kRemembered, kContent };

/// The window that had the focus at the last deactivation, while it is still
/// inside, visible and enabled; otherwise the content window, if there is one.
FocusRecipient FocusRecipientInside(bool remembered_usable, bool has_content);

}  // namespace quorvane
