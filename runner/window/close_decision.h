// What a request to close the main window (WM_CLOSE) does. No platform calls.
#pragma once

namespace quorvane {

enum class CloseAction {
  kHide,              // close to tray: only hide the window
  kDestroy,           // the close was confirmed: destroy the window
  kIgnore,            // nobody to ask yet: leave the window as it is
  kAskUserInterface,  // send "closeRequested" and keep the window
};

/// An ending session (log-off, shut-down, an installer's restart request) wins
/// over everything: the window must go even with close to tray on. Otherwise
/// close_to_tray wins over a confirmed close; an unconfirmed close is put to the
/// user-interface code when its channel exists, and ignored otherwise.
CloseAction DecideClose(bool close_to_tray, bool close_confirmed, bool has_window_channel,
                        bool session_ending);

}  // namespace quorvane
