// The view's child window, created under a hidden holder until the host adopts
// it with SetParent.
#pragma once

#include <windows.h>

#include "standin/engine/owned_window.h"

namespace standin {

class View {
 public:
  /// handler receives the view window's messages.
  View(int width, int height, WindowMessageHandler* handler);
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  /// Null when the windows could not be created or are gone.
  HWND hwnd() const { return view_.hwnd(); }
  /// The window the host placed the view in; null while it sits in the holder.
  HWND TopLevelWindow() const;
  /// The view's DPI, 96 when unknown.
  UINT Dpi() const;
  void Destroy();

 private:
  // Both windows answer to the same handler; the holder only ever gets defaults.
  OwnedWindow holder_;
  OwnedWindow view_;
};

}  // namespace standin
