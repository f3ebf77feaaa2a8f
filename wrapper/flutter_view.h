// The engine's view: the child window the engine renders into.
#pragma once

#include "wrapper/flutter_windows.h"

namespace flutter {

class FlutterView {
 public:
  /// view stays owned by the view controller.
  explicit FlutterView(FlutterDesktopViewRef view) : view_(view) {}
  virtual ~FlutterView() = default;

  FlutterView(const FlutterView&) = delete;
  FlutterView& operator=(const FlutterView&) = delete;

  /// The view's child window.
  HWND GetHWND();

 private:
  FlutterDesktopViewRef view_;
};

}  // namespace flutter
