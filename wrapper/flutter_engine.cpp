// Owns the engine library's engine and the binary messenger over it.
#include "wrapper/flutter_engine.h"

#include <utility>
#include <vector>

#include "codec/diagnostic.h"

namespace flutter {
namespace {

constexpr char kEngineNotRunningLine[] =
    "Cannot get plugin registrar on an engine that isn't running; call Run first.";
constexpr char kNextFrameThrewLine[] = "Error: The next-frame callback threw an exception.";

}  // namespace

FlutterEngine::FlutterEngine(const ProjectDescription& project) {
  // The record points into project and into this array; both outlive the call.
  std::vector<const char*> arguments;
  arguments.reserve(project.entrypoint_arguments().size());
  for (const std::string& argument : project.entrypoint_arguments()) {
    arguments.push_back(argument.c_str());
  }

  FlutterDesktopEngineProperties properties{};
  properties.assets_path = project.assets_path().c_str();
  properties.icu_data_path = project.icu_data_path().c_str();
  properties.aot_library_path = project.aot_library_path().c_str();
  properties.dart_entrypoint = project.entrypoint().c_str();
  properties.dart_entrypoint_argc = static_cast<int32_t>(arguments.size());
  properties.dart_entrypoint_argv = arguments.empty() ? nullptr : arguments.data();
  for (size_t i = 0; i < project.option_values().size(); ++i) {
    properties.option_values[i] = project.option_values()[i];
  }

  engine_ = FlutterDesktopEngineCreate(&properties);
  messenger_ = std::make_unique<BinaryMessengerImpl>(
      engine_ != nullptr ? FlutterDesktopEngineGetMessenger(engine_) : nullptr);
}

FlutterEngine::~FlutterEngine() {
  if (engine_ != nullptr && owns_engine_) FlutterDesktopEngineDestroy(engine_);
  engine_ = nullptr;
  next_frame_callback_ = nullptr;
  // Last: the engine, which holds the handlers' addresses, is gone by now.
  messenger_.reset();
}

FlutterDesktopPluginRegistrarRef FlutterEngine::GetPluginRegistrar(const std::string& plugin_name) {
  if (engine_ == nullptr) {
    WriteDiagnosticLine(kEngineNotRunningLine);
    return nullptr;
  }
  return FlutterDesktopEngineGetPluginRegistrar(engine_, plugin_name.c_str());
}

void FlutterEngine::ReloadSystemFonts() {
  if (engine_ != nullptr) FlutterDesktopEngineReloadSystemFonts(engine_);
}

void FlutterEngine::SetNextFrameCallback(std::function<void()> callback) {
  next_frame_callback_ = std::move(callback);
  if (engine_ != nullptr) {
    FlutterDesktopEngineSetNextFrameCallback(engine_, &FlutterEngine::OnNextFrame, this);
  }
}

FlutterDesktopEngineRef FlutterEngine::TakeEngineHandle() {
  owns_engine_ = false;
  return engine_;
}

void FlutterEngine::OnNextFrame(void* user_data) noexcept {
  auto* engine = static_cast<FlutterEngine*>(user_data);
  // Taken out before it runs: it runs once, and a callback that registers a
  // new one from inside keeps that new one. None pending: nothing to do.
  std::function<void()> callback = std::move(engine->next_frame_callback_);
  engine->next_frame_callback_ = nullptr;
  if (!callback) return;
  try {
    callback();
  } catch (...) {
    WriteDiagnosticLine(kNextFrameThrewLine);
  }
}

}  // namespace flutter
