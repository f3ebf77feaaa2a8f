// Creates the engine, hands it to a view of the given size and owns both.
#pragma once

#include <memory>
#include <optional>

#include "wrapper/flutter_engine.h"
#include "wrapper/flutter_view.h"
#include "wrapper/flutter_windows.h"
#include "wrapper/project_description.h"

namespace flutter {

class FlutterViewController {
 public:
  /// width and height in physical pixels. When the engine library refuses the
  /// controller, GetView returns null; the engine wrapper exists either way.
  FlutterViewController(int width, int height, const ProjectDescription& project);

  /// Destroys the controller (and with it the engine), then the view wrapper,
  /// then lets go of the engine wrapper.
  virtual ~FlutterViewController();

  FlutterViewController(const FlutterViewController&) = delete;
  FlutterViewController& operator=(const FlutterViewController&) = delete;

  /// Never null.
  FlutterEngine* GetEngine() { return engine_.get(); }

  /// Null when the controller could not be created.
  FlutterView* GetView() { return view_.get(); }

  void ForceRedraw();

  /// Offers a top-level window message to the engine: a value when the engine
  /// consumed it, none otherwise.
  std::optional<LRESULT> HandleTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam);

 private:
  FlutterDesktopViewControllerRef controller_ = nullptr;
  std::shared_ptr<FlutterEngine> engine_;
  std::unique_ptr<FlutterView> view_;
};

}  // namespace flutter
