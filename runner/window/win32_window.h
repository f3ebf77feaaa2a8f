// The frameless, resizable top-level window: class registration, DPI-scaled
// creation, the message handling of a window without a system caption, and an
// optional child window that fills the client area.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "runner/window/window_focus.h"
#include "runner/window/window_geometry.h"

namespace quorvane {

class Win32Window {
 public:
  Win32Window();
  /// The derived part is gone by now, so only the base OnDestroy runs here.
  virtual ~Win32Window();

  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  /// Creates the hidden native window at origin with size, both in logical
  /// pixels, scaled by the DPI of the monitor nearest to origin. False when
  /// the native window cannot be created; otherwise what OnCreate returns.
  bool Create(const std::wstring& title, PixelPoint origin, PixelSize size);

  /// Pulls the window inside its work area, shows it normally and gives it the
  /// foreground and the focus. False when there is no native window.
  bool Show();

  /// OnDestroy, then destroys the native window; unregisters the window class
  /// when no window object is left.
  void Destroy();

  HWND NativeHandle() const { return window_handle_; }

  /// The content window; null when there is none or once it is destroyed.
  HWND ContentWindow() const { return child_content_; }

  /// Adopts child as the content: it fills the client area and takes the focus,
  /// and it is given the focus whenever this window gets it, unless a window
  /// inside it had the focus when this window was last deactivated.
  /// Within the resize border (unless maximised) the child lets hit tests
  /// through to this window, so that its edges resize it.
  void SetContentWindow(HWND child);

  /// The client rectangle in physical pixels; left and top are 0.
  RECT GetClientBounds() const;

  /// When set, destroying the native window ends the message loop.
  void SetQuitOnDestroy(bool quit_on_destroy) { quit_on_destroy_ = quit_on_destroy; }

  /// The window class's procedure: binds the object on WM_NCCREATE and routes
  /// every later message to its HandleMessage.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam) noexcept;

 protected:
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

  /// Runs at the end of Create, while the window is still hidden.
  virtual bool OnCreate();

  /// Runs when the native window goes away, before the handle is released.
  virtual void OnDestroy();

 private:
  /// Sets a maximised window's next position to the maximised area of its
  /// monitor, whatever the system proposed.
  void KeepMaximizedOnItsMonitor(HWND window, WINDOWPOS& position);
  void RememberShowState(HWND window);
  /// Settings or displays changed: a maximised window fits its monitor's
  /// maximised area again, any other is pulled into its work area.
  void FollowScreenChange(HWND window);

  bool quit_on_destroy_ = false;
  HWND window_handle_ = nullptr;
  HWND child_content_ = nullptr;
  WindowFocus focus_;
  /// The registered message a second start posts to bring the window back.
  UINT activate_message_ = 0;
  /// Between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: the user moves or sizes it.
  bool in_size_move_ = false;
  /// How the window stood after its last position change, and where when it
  /// was on screen (not minimised): they pick the monitor it maximises on.
  ShowState last_show_state_ = ShowState::kNormal;
  std::optional<PixelRect> last_on_screen_;
};

/// Sets the dark window frame when the user's app theme is dark and clears it
/// when light; leaves it as it is when the theme cannot be read. Whether the
/// frame was asked to be dark, none when the theme could not be read.
std::optional<bool> ApplySystemTheme(HWND window);

/// Shrinks and moves a window that is neither minimised nor maximised so that it
/// lies inside the work area of its nearest monitor.
void ClampToWorkArea(HWND window);

}  // namespace quorvane
