// The stand-in engine's state and its message loop traffic.
#include "standin/engine/engine.h"

#include <share.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "codec/standard_method_codec.h"
#include "standin/engine/handle_registry.h"
#include "standin/engine/interactive_ui.h"
#include "standin/engine/json_value_mapping.h"
#include "standin/engine/messenger.h"
#include "standin/engine/process_identity.h"
#include "standin/engine/script_runner.h"
#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

using nlohmann::json;

constexpr wchar_t kTaskWindowClass[] = L"STANDIN_FLUTTER_ENGINE_TASKS";
constexpr UINT kRunTaskMessage = WM_APP + 1;
constexpr COLORREF kBackground = RGB(0x1F, 0x23, 0x2A);

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

// Keeps the engine's memory while its code is on the stack: an engine destroyed
// from inside one of its own calls (a host callback, a nested message loop) is
// freed when the outermost call returns.
class Engine::CallScope {
 public:
  explicit CallScope(Engine* engine) : engine_(engine) { ++engine_->call_depth_; }
  ~CallScope() {
    if (--engine_->call_depth_ == 0 && engine_->destroyed_) delete engine_;
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  Engine* engine_;
};

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

void Engine::SetNextFrameCallback(FlutterDesktopOnNextFrameCallback callback, void* user_data) {
  frame_callback_ = callback;
  frame_user_data_ = user_data;
}

bool Engine::CreateView(int width, int height) {
  CallScope scope(this);
  if (fail_view_controller_) {
    log_->Write({{"event", "view"}, {"failed", true}});
    return false;
  }
  view_ = std::make_unique<View>(std::max(width, 0), std::max(height, 0), this);
  if (view_->hwnd() == nullptr) {
    view_.reset();
    log_->Write({{"event", "view"}, {"failed", true}});
    return false;
  }
  HandleRegistry::Add(view_.get(), HandleKind::kView);
  log_->Write({{"event", "view"}, {"width", width}, {"height", height}});
  if (scripted_) {
    ui_ = std::make_unique<ScriptRunner>(*this, std::move(script_));
  } else {
    ui_ = std::make_unique<InteractiveUi>(*this);
  }
  // The first frame comes without being asked for, as the engine starts.
  ScheduleRender();
  return true;
}

void Engine::ForceRedraw() {
  if (view_ == nullptr || view_->hwnd() == nullptr) return;
  InvalidateRect(view_->hwnd(), nullptr, FALSE);
  ScheduleRender();
}

void Engine::ScheduleRender() {
  // Requests that arrive before the loop gets to the render share one frame.
  if (render_scheduled_) return;
  render_scheduled_ = true;
  PostTask([this] {
    render_scheduled_ = false;
    RenderIfHidden();
  });
}

bool Engine::ReceiveFromHost(const char* channel, const uint8_t* message, size_t size,
                             FlutterDesktopBinaryReply reply, void* user_data) {
  if (destroyed_ || channel == nullptr || (message == nullptr && size != 0)) return false;
  std::shared_ptr<const flutter::MethodCall<>> call;
  if (size > 0) call = flutter::StandardMethodCodec::GetInstance().DecodeMethodCall(message, size);
  if (call) {
    const flutter::EncodableValue* arguments = call->Arguments();
    log_->Write({{"event", "call"},
                 {"channel", channel},
                 {"method", call->MethodName()},
                 {"args", arguments != nullptr ? ValueToJson(*arguments) : json(nullptr)}});
  } else {
    log_->Write({{"event", "message"}, {"channel", channel}, {"hex", FormatHex(message, size)}});
  }
  // The user-interface side takes the call as it arrives (it only queues work),
  // so that it answers in the state it was in; the answer travels from the loop.
  std::vector<uint8_t> answer;
  if (call && ui_) answer = ui_->OnHostCall(channel, *call);
  if (reply != nullptr) {
    const uint64_t pending_id = next_host_reply_id_++;
    host_replies_[pending_id] = PendingHostReply{reply, user_data};
    PostTask([this, pending_id, answer] { AnswerHost(pending_id, answer); });
  }
  return true;
}

void Engine::AnswerHost(uint64_t pending_id, const std::vector<uint8_t>& answer) {
  const auto found = host_replies_.find(pending_id);
  if (found == host_replies_.end()) return;
  const PendingHostReply pending = found->second;
  host_replies_.erase(found);
  pending.reply(answer.empty() ? nullptr : answer.data(), answer.size(), pending.user_data);
}

void Engine::ReceiveResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                             size_t size) {
  const uint64_t id = reinterpret_cast<uintptr_t>(handle);
  ReplyHandler on_reply;
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    ResponseBook::Answer answer = responses_.Take(id);
    if (answer.outcome == ResponseBook::Outcome::kUnknown) {
      log_->Write({{"event", "invalid_response"}});
      return;
    }
    if (answer.outcome == ResponseBook::Outcome::kDuplicate) {
      log_->Write({{"event", "duplicate_response"},
                   {"channel", answer.channel.empty() ? json(nullptr) : json(answer.channel)}});
      return;
    }
    on_reply = std::move(answer.on_reply);
  }
  if (!on_reply) return;
  // On the UI thread the answer is taken at once: the user-interface side only
  // queues work, and an answer given just before the host closes its window
  // is still seen. Other threads hand it over through the loop.
  if (GetCurrentThreadId() == thread_id_) {
    on_reply(size > 0 ? data : nullptr, data != nullptr ? size : 0);
    return;
  }
  std::vector<uint8_t> bytes;
  if (data != nullptr) bytes.assign(data, data + size);
  PostTask([on_reply, bytes] { on_reply(bytes.empty() ? nullptr : bytes.data(), bytes.size()); });
}

void Engine::SendToHost(const std::string& channel, std::vector<uint8_t> message,
                        ReplyHandler on_reply) {
  PostTask([this, channel, message = std::move(message), on_reply = std::move(on_reply)] {
    Deliver(channel, message, on_reply);
  });
}

void Engine::Deliver(const std::string& channel, const std::vector<uint8_t>& message,
                     ReplyHandler on_reply) {
  const Messenger::Callback callback = messenger_->FindCallback(channel);
  if (callback.function == nullptr) {
    // As the real engine does, a channel nobody listens on answers empty.
    log_->Write({{"event", "no_handler"}, {"channel", channel}});
    PostTask([on_reply] {
      if (on_reply) on_reply(nullptr, 0);
    });
    return;
  }
  uint64_t id;
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    id = responses_.Open(channel, std::move(on_reply));
  }
  FlutterDesktopMessage record = {};
  record.struct_size = sizeof(record);
  record.channel = channel.c_str();
  record.message = message.data();
  record.message_size = message.size();
  // Handles are numbers that are never reused, so a stale one cannot answer a
  // later message.
  record.response_handle =
      reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(static_cast<uintptr_t>(id));
  callback.function(messenger_->handle(), &record, callback.user_data);
}

void Engine::PostTask(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(tasks_mutex_);
  if (task_hwnd_ == nullptr) return;
  tasks_.push_back(std::move(task));
  PostMessageW(task_hwnd_, kRunTaskMessage, 0, 0);
}

unsigned Engine::PostDelayedTask(unsigned delay_ms, std::function<void()> task) {
  if (destroyed_ || task_window_->hwnd() == nullptr) return 0;
  const UINT_PTR id = next_timer_id_++;
  timers_[id] = std::move(task);
  SetTimer(task_window_->hwnd(), id, std::max<unsigned>(delay_ms, USER_TIMER_MINIMUM), nullptr);
  return static_cast<unsigned>(id);
}

void Engine::CancelDelayedTask(unsigned id) {
  if (task_window_->hwnd() != nullptr) KillTimer(task_window_->hwnd(), id);
  timers_.erase(id);
}

void Engine::RunNextTask() {
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(tasks_mutex_);
    if (tasks_.empty()) return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
}

void Engine::RunTimer(UINT_PTR id) {
  KillTimer(task_window_->hwnd(), id);
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  const std::function<void()> task = std::move(found->second);
  timers_.erase(found);
  task();
}

HWND Engine::ViewWindow() const { return view_ ? view_->hwnd() : nullptr; }

HWND Engine::TopLevelWindow() const { return view_ ? view_->TopLevelWindow() : nullptr; }

void Engine::Redraw() { ForceRedraw(); }

LRESULT Engine::HandleWindowMessage(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam) noexcept {
  CallScope scope(this);
  try {
    if (task_window_ && hwnd == task_window_->hwnd()) {
      if (message == kRunTaskMessage) {
        if (!destroyed_) RunNextTask();
        return 0;
      }
      if (message == WM_TIMER) {
        if (!destroyed_) RunTimer(wparam);
        return 0;
      }
    } else if (view_ && hwnd == view_->hwnd()) {
      return HandleViewMessage(hwnd, message, wparam, lparam);
    }
  } catch (const std::exception& error) {
    log_->Write({{"event", "internal_error"}, {"message", error.what()}});
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Engine::HandleViewMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(hwnd, &paint);
      ProduceFrame(dc);
      EndPaint(hwnd, &paint);
      OnFrameProduced();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
    case WM_DPICHANGED_AFTERPARENT:
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    default:
      break;
  }
  LRESULT result = 0;
  if (ui_ && !destroyed_ && ui_->HandleViewMessage(message, wparam, lparam, &result)) {
    return result;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Engine::ProduceFrame(HDC target) {
  RECT client = {};
  GetClientRect(view_->hwnd(), &client);
  // Straight into the window's device context: the window system composes the
  // window off screen already, and a back buffer of the view's size would cost
  // a full frame of memory.
  const HBRUSH background = CreateSolidBrush(kBackground);
  FillRect(target, &client, background);
  DeleteObject(background);
  if (ui_) ui_->Paint(target, client, view_->Dpi());
}

void Engine::RenderIfHidden() {
  if (view_ == nullptr || view_->hwnd() == nullptr) return;
  const HWND root = GetAncestor(view_->hwnd(), GA_ROOT);
  // A view that is on screen gets its frame from WM_PAINT; one that is not
  // (the host shows its window only after the first frame) renders off screen.
  if (IsWindowVisible(view_->hwnd()) && !IsIconic(root)) return;
  const HWND hwnd = view_->hwnd();
  const HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  ProduceFrame(dc);
  ReleaseDC(hwnd, dc);
  OnFrameProduced();
}

void Engine::OnFrameProduced() {
  const bool first = !first_frame_out_;
  if (first) {
    first_frame_out_ = true;
    log_->Write({{"event", "frame"}});
  }
  if (frame_callback_ != nullptr) {
    const FlutterDesktopOnNextFrameCallback callback = frame_callback_;
    void* const user_data = frame_user_data_;
    frame_callback_ = nullptr;
    frame_user_data_ = nullptr;
    PostTask([callback, user_data] { callback(user_data); });
  }
  // The host has set up its channels by the time it shows the first frame.
  if (first && ui_) PostTask([this] { ui_->Start(); });
}

}  // namespace standin
