// The stand-in engine: started from the properties record, it owns the
// messenger, the plug-in registrars, the view and the user-interface side, and
// carries every message between the host and that side through the message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "standin/engine/event_log.h"
#include "standin/engine/owned_window.h"
#include "standin/engine/response_book.h"
#include "standin/engine/script.h"
#include "standin/engine/ui_client.h"
#include "standin/engine/view.h"
#include "wrapper/flutter_windows.h"

namespace standin {

class Messenger;

/// The registrar handed out for one plug-in name.
struct PluginRegistrar {
  class Engine* engine;
  std::string name;
};

class Engine final : public UiHost, public WindowMessageHandler {
 public:
  /// Reads STANDIN_LOG, STANDIN_SCRIPT and STANDIN_FAIL. Null when STANDIN_FAIL
  /// is "engine".
  static Engine* Create(const FlutterDesktopEngineProperties& properties);
  /// The engine behind a live handle, or null.
  static Engine* FromHandle(FlutterDesktopEngineRef handle);
  FlutterDesktopEngineRef handle();

  /// Logs the shutdown, answers the host's pending sends with empty replies,
  /// makes the messenger unavailable, destroys the view and drops pending tasks.
  /// The object is freed once no engine code is left on the stack.
  void Destroy();

  Messenger* messenger() const { return messenger_; }
  PluginRegistrar* GetRegistrar(const char* name);
  void ReportPluginRegistration(const PluginRegistrar& registrar, const char* plugin);
  void ReloadSystemFonts();
  void SetNextFrameCallback(FlutterDesktopOnNextFrameCallback callback, void* user_data);

  /// The view controller's part. False when the controller cannot be made (the
  /// caller then destroys the engine, which the controller had taken over).
  bool CreateView(int width, int height);
  View* view() const { return view_.get(); }
  void ForceRedraw();

  /// A send from the host to the user-interface side; reply may be null.
  bool ReceiveFromHost(const char* channel, const uint8_t* message, size_t size,
                       FlutterDesktopBinaryReply reply, void* user_data);
  /// The host's answer to a message of ours; safe from any thread. On the UI
  /// thread the user-interface side receives it at once.
  void ReceiveResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                       size_t size);

  // UiHost
  void SendToHost(const std::string& channel, std::vector<uint8_t> message,
                  ReplyHandler on_reply) override;
  void PostTask(std::function<void()> task) override;
  unsigned PostDelayedTask(unsigned delay_ms, std::function<void()> task) override;
  void CancelDelayedTask(unsigned id) override;
  HWND ViewWindow() const override;
  HWND TopLevelWindow() const override;
  void Redraw() override;
  EventLog& Log() override { return *log_; }

  // WindowMessageHandler: the task window and the view window.
  LRESULT HandleWindowMessage(HWND hwnd, UINT message, WPARAM wparam,
                              LPARAM lparam) noexcept override;

 private:
  class CallScope;

  struct PendingHostReply {
    FlutterDesktopBinaryReply reply;
    void* user_data;
  };

  Engine(std::shared_ptr<EventLog> log, std::vector<ScriptStep> script, bool scripted,
         bool fail_view_controller);
  ~Engine();

  void RunNextTask();
  void RunTimer(UINT_PTR id);
  void Deliver(const std::string& channel, const std::vector<uint8_t>& message,
               ReplyHandler on_reply);
  void AnswerHost(uint64_t pending_id, const std::vector<uint8_t>& answer);
  LRESULT HandleViewMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  /// Posts one render for any number of requests made before it runs.
  void ScheduleRender();
  /// Draws the user-interface side into target, a device context of the view
  /// (clipped away while the view is hidden); a frame is out either way.
  void ProduceFrame(HDC target);
  void RenderIfHidden();
  void OnFrameProduced();

  std::shared_ptr<EventLog> log_;
  std::vector<ScriptStep> script_;
  bool scripted_;
  bool fail_view_controller_;
  DWORD thread_id_;  // the UI thread, which created the engine
  bool destroyed_ = false;
  int call_depth_ = 0;

  Messenger* messenger_;
  std::map<std::string, std::unique_ptr<PluginRegistrar>> registrars_;
  FlutterDesktopOnNextFrameCallback frame_callback_ = nullptr;
  void* frame_user_data_ = nullptr;
  bool first_frame_out_ = false;
  bool render_scheduled_ = false;

  std::unique_ptr<OwnedWindow> task_window_;
  std::mutex tasks_mutex_;  // the tasks and the task window's handle, for other threads
  HWND task_hwnd_ = nullptr;
  std::deque<std::function<void()>> tasks_;
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR next_timer_id_ = 1;

  std::mutex responses_mutex_;
  ResponseBook responses_;
  std::map<uint64_t, PendingHostReply> host_replies_;
  uint64_t next_host_reply_id_ = 1;

  std::unique_ptr<View> view_;
  std::unique_ptr<UiClient> ui_;
};

}  // namespace standin
