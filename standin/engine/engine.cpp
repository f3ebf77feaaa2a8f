// The stand-in engine's start from the properties record, its lifetime and its
// plug-in registrars.
#include "standin/engine/engine.h"

#include <share.h>

#include <cstdio>
#include <sstream>

#include "standin/engine/engine_call_scope.h"
#include "standin/engine/fault.h"
#include "standin/engine/handle_registry.h"
#include "standin/engine/messenger.h"
#include "standin/engine/process_identity.h"
#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

using nlohmann::json;

constexpr wchar_t kTaskWindowClass[] = L"STANDIN_FLUTTER_ENGINE_TASKS";

json TextOrNull(const char* text) { return text != nullptr ? json(text) : json(nullptr); }

json PathOrNull(const wchar_t* path) {
  return path != nullptr ? json(Utf16ToUtf8(path)) : json(nullptr);
}

json EngineEvent(const FlutterDesktopEngineProperties& properties) {
  json arguments = json::array();
  if (properties.dart_entrypoint_argc > 0) {
    if (properties.dart_entrypoint_argv == nullptr) {
      arguments = nullptr;
    } else {
      for (int32_t i = 0; i < properties.dart_entrypoint_argc; ++i) {
        arguments.push_back(TextOrNull(properties.dart_entrypoint_argv[i]));
      }
    }
  }
  return {{"event", "engine"},
          {"assets", PathOrNull(properties.assets_path)},
          {"icu", PathOrNull(properties.icu_data_path)},
          {"aot", PathOrNull(properties.aot_library_path)},
          {"entrypoint", TextOrNull(properties.dart_entrypoint)},
          {"args", arguments},
          {"app_user_model_id", ExplicitAppUserModelId()},
          {"options", json::array({properties.option_values[0], properties.option_values[1],
                                   properties.option_values[2]})}};
}

std::vector<ScriptStep> ReadScript(const std::wstring& path) {
  std::FILE* file = _wfsopen(FilePathFromEnvironment(path).c_str(), L"rb", _SH_DENYNO);
  if (file == nullptr) {
    ScriptStep error;
    error.error = "unable to open the script";
    return {error};
  }
  std::string text;
  char buffer[4096];
  for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0;) {
    text.append(buffer, read);
  }
  std::fclose(file);
  std::istringstream input(text);
  return ParseScript(input);
}

}  // namespace

Engine* Engine::Create(const FlutterDesktopEngineProperties& properties) {
  std::shared_ptr<EventLog> log = EventLog::Open(GetEnvironmentText(L"STANDIN_LOG"));
  const std::wstring fail = GetEnvironmentText(L"STANDIN_FAIL");
  json event = EngineEvent(properties);
  if (fail == L"engine") {
    event["failed"] = true;
    log->Write(event);
    return nullptr;
  }
  log->Write(event);
  if (!fail.empty() && fail != L"view_controller") {
    log->Write({{"event", "config_error"}, {"message", "unknown STANDIN_FAIL value"}});
  }
  const std::wstring script_path = GetEnvironmentText(L"STANDIN_SCRIPT");
  std::vector<ScriptStep> script;
  if (!script_path.empty()) script = ReadScript(script_path);
  return new Engine(std::move(log), std::move(script), !script_path.empty(),
                    fail == L"view_controller");
}

Engine* Engine::FromHandle(FlutterDesktopEngineRef handle) {
  return HandleRegistry::Contains(handle, HandleKind::kEngine) ? reinterpret_cast<Engine*>(handle)
                                                               : nullptr;
}

FlutterDesktopEngineRef Engine::handle() { return reinterpret_cast<FlutterDesktopEngineRef>(this); }

Engine::Engine(std::shared_ptr<EventLog> log, std::vector<ScriptStep> script, bool scripted,
               bool fail_view_controller)
    : log_(std::move(log)),
      script_(std::move(script)),
      scripted_(scripted),
      fail_view_controller_(fail_view_controller),
      thread_id_(GetCurrentThreadId()),
      messenger_(new Messenger(this, log_)) {
  task_window_ = std::make_unique<OwnedWindow>(kTaskWindowClass, 0, HWND_MESSAGE, 0, 0, this);
  task_hwnd_ = task_window_->hwnd();
  HandleRegistry::Add(this, HandleKind::kEngine);
}

Engine::~Engine() {
  ui_.reset();
  view_.reset();
  task_window_.reset();
}

void Engine::Destroy() {
  if (destroyed_) return;
  CallScope scope(this);
  destroyed_ = true;
  // Sends with a reply are promised exactly one answer; the ones still open get
  // an empty reply, which reads as "not implemented".
  std::map<uint64_t, PendingHostReply> open_replies;
  open_replies.swap(host_replies_);
  for (const auto& entry : open_replies) entry.second.reply(nullptr, 0, entry.second.user_data);

  OnEngineShutdown();
  HandleRegistry::Remove(this);
  for (const auto& entry : registrars_) HandleRegistry::Remove(entry.second.get());
  if (view_) HandleRegistry::Remove(view_.get());
  log_->Write({{"event", "shutdown"}});
  messenger_->DetachEngine();
  messenger_->Release();
  messenger_ = nullptr;
  {
    std::lock_guard<std::mutex> lock(tasks_mutex_);
    task_hwnd_ = nullptr;
    tasks_.clear();
  }
  timers_.clear();
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    responses_.Clear();
  }
  if (view_) view_->Destroy();
  task_window_->Destroy();
}

PluginRegistrar* Engine::GetRegistrar(const char* name) {
  if (name == nullptr) return nullptr;
  std::unique_ptr<PluginRegistrar>& registrar = registrars_[name];
  if (!registrar) {
    registrar = std::make_unique<PluginRegistrar>(PluginRegistrar{this, name});
    HandleRegistry::Add(registrar.get(), HandleKind::kRegistrar);
  }
  return registrar.get();
}

void Engine::ReportPluginRegistration(const PluginRegistrar& registrar, const char* plugin) {
  log_->Write({{"event", "plugin"}, {"name", TextOrNull(plugin)}, {"registrar", registrar.name}});
}

void Engine::ReloadSystemFonts() { log_->Write({{"event", "reload_fonts"}}); }

}  // namespace standin
