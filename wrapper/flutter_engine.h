// Owns the engine library's engine and the binary messenger over it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "wrapper/binary_messenger.h"
#include "wrapper/binary_messenger_impl.h"
#include "wrapper/flutter_windows.h"
#include "wrapper/plugin_registry.h"
#include "wrapper/project_description.h"

namespace flutter {

class FlutterEngine : public PluginRegistry {
 public:
  /// Creates the engine. When the engine library refuses, the handle stays
  /// null and the messenger is one that sends and registers nothing.
  explicit FlutterEngine(const ProjectDescription& project);

  /// Destroys the engine if it still owns it, then the messenger with every
  /// channel handler.
  ~FlutterEngine() override;

  FlutterDesktopPluginRegistrarRef GetPluginRegistrar(const std::string& plugin_name) override;

  /// Never null.
  BinaryMessenger* GetMessenger() { return messenger_.get(); }

  void ReloadSystemFonts();

  /// callback runs once, after the next frame; it replaces one still pending.
  void SetNextFrameCallback(std::function<void()> callback);

  /// Hands the engine over: this wrapper never destroys it afterwards.
  FlutterDesktopEngineRef TakeEngineHandle();

 private:
  static void OnNextFrame(void* user_data) noexcept;

  FlutterDesktopEngineRef engine_ = nullptr;
  std::unique_ptr<BinaryMessengerImpl> messenger_;
  bool owns_engine_ = true;
  std::function<void()> next_frame_callback_;
};

}  // namespace flutter
