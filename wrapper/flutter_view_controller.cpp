// Creates the engine, hands it to a view of the given size and owns both.
#include "wrapper/flutter_view_controller.h"

#include "codec/diagnostic.h"

namespace flutter {

FlutterViewController::FlutterViewController(int width, int height,
                                             const ProjectDescription& project)
    : engine_(std::make_shared<FlutterEngine>(project)) {
  // The controller takes the engine over whatever the outcome. Without an
  // engine there is nothing to hand over, and the library is not asked.
  FlutterDesktopEngineRef engine = engine_->TakeEngineHandle();
  if (engine != nullptr) {
    controller_ = FlutterDesktopViewControllerCreate(width, height, engine);
  }
  if (controller_ == nullptr) {
    WriteDiagnosticLine("Failed to create view controller.");
    return;
  }
  view_ = std::make_unique<FlutterView>(FlutterDesktopViewControllerGetView(controller_));
}

FlutterViewController::~FlutterViewController() {
  // The engine goes with the controller, before the messenger wrapper that the
  // engine still calls into.
  if (controller_ != nullptr) FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  view_.reset();
  engine_.reset();
}

void FlutterViewController::ForceRedraw() {
  if (controller_ != nullptr) FlutterDesktopViewControllerForceRedraw(controller_);
}

std::optional<LRESULT> FlutterViewController::HandleTopLevelWindowProc(HWND hwnd, UINT message,
                                                                       WPARAM wparam,
                                                                       LPARAM lparam) {
  if (controller_ == nullptr) return std::nullopt;
  LRESULT result = 0;
  if (FlutterDesktopViewControllerHandleTopLevelWindowProc(controller_, hwnd, message, wparam,
                                                           lparam, &result)) {
    return result;
  }
  return std::nullopt;
}

}  // namespace flutter
