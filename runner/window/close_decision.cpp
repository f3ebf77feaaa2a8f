#include "runner/window/close_decision.h"

namespace quorvane {

CloseAction DecideClose(bool close_to_tray, bool close_confirmed, bool has_window_channel,
                        bool session_ending) {
  if (session_ending) return CloseAction::kDestroy;
  if (close_to_tray) return CloseAction::kHide;
  if (close_confirmed) return CloseAction::kDestroy;
  if (!has_window_channel) return CloseAction::kIgnore;
  return CloseAction::kAskUserInterface;
}

}  // namespace quorvane
