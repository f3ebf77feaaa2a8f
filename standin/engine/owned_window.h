// A window the stand-in engine creates, destroyed with its holder.
#pragma once

#include <windows.h>

namespace standin {

/// Gets every message of the windows it is given to.
class WindowMessageHandler {
 public:
  virtual LRESULT HandleWindowMessage(HWND hwnd, UINT message, WPARAM wparam,
                                      LPARAM lparam) noexcept = 0;

 protected:
  ~WindowMessageHandler() = default;
};

class OwnedWindow {
 public:
  /// Registers class_name in this library on first use. parent may be
  /// HWND_MESSAGE for a message-only window. hwnd() is null when creation failed.
  OwnedWindow(const wchar_t* class_name, DWORD style, HWND parent, int width, int height,
              WindowMessageHandler* handler);
  ~OwnedWindow();
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  /// Null once the window is gone, also when something else destroyed it.
  HWND hwnd() const { return hwnd_; }
  void Destroy();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;

  WindowMessageHandler* handler_;
  HWND hwnd_ = nullptr;
};

}  // namespace standin
