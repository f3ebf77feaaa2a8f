#include "runner/window/focus_rules.h"

namespace quorvane {

ActivationFocus FocusOnActivation(uint64_t wparam) {
  const uint32_t state = static_cast<uint32_t>(wparam & 0xFFFF);
  const uint32_t minimized = static_cast<uint32_t>((wparam >> 16) & 0xFFFF);
  if (state == 0) return ActivationFocus::kRemember;
  return minimized == 0 ? ActivationFocus::kGive : ActivationFocus::kLeave;
}

FocusRecipient FocusRecipientInside(bool remembered_usable, bool has_content) {
  if (remembered_usable) return FocusRecipient::kRemembered;
  return has_content ? FocusRecipient::kContent : FocusRecipient::kNone;
}

}  // namespace quorvane
