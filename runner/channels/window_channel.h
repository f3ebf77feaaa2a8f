// The handler of the "quorvane/window" channel: the caption buttons, dragging,
// hiding, showing and closing of the frameless main window.
#pragma once

#include "codec/encodable_value.h"
#include "codec/method_call.h"
#include "codec/method_result.h"
#include "runner/channels/window_state.h"

namespace quorvane {

/// What the window channel asks of the main window. The Win32 side acts on the
/// top-level window, never on the engine view's child window.
class WindowOperations {
 public:
  virtual ~WindowOperations() = default;

  virtual void Minimize() = 0;
  virtual void Hide() = 0;
  /// Brings the window back inside its work area, shows and activates it.
  virtual void Show() = 0;
  virtual bool IsMaximized() = 0;
  virtual void Maximize() = 0;
  virtual void Restore() = 0;
  /// Changes what closing does for the running window only.
  virtual void SetCloseToTray(bool enabled) = 0;
  /// Marks the next close as confirmed, so it destroys the window.
  virtual void ConfirmClose() = 0;
  /// Queues a close request (WM_CLOSE); it is handled after the reply.
  virtual void PostClose() = 0;
  /// Lets the window manager move the window with the mouse, as if the caption
  /// had been pressed; returns when the button is released, or at once when
  /// the primary button is not down.
  virtual void BeginDrag() = 0;
  /// Whether the window is visible, minimised, maximised and in the foreground.
  virtual WindowState CurrentState() = 0;
};

/// Answers one call on the window channel exactly once: Success without a
/// value (with the state map for "getWindowState"), "invalid_arguments" for
/// "setCloseToTray" without a bool "enabled", NotImplemented for any other
/// name (compared case-sensitively).
void HandleWindowCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                      flutter::MethodResult<flutter::EncodableValue>& result,
                      WindowOperations& window);

}  // namespace quorvane
