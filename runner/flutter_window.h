// The application's top-level window: hosts the engine's view, registers the
// plug-ins, serves the host's four method channels and decides what closing
// the window means.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "codec/encodable_value.h"
#include "runner/channels/second_start_queue.h"
#include "runner/channels/window_state.h"
#include "runner/window/win32_window.h"
#include "wrapper/flutter_view_controller.h"
#include "wrapper/method_channel.h"
#include "wrapper/project_description.h"

namespace quorvane {

class FlutterWindow : public Win32Window {
 public:
  /// Keeps its own copy of project.
  explicit FlutterWindow(const flutter::ProjectDescription& project);
  ~FlutterWindow() override;

  /// When set, a close request only hides the window. Changes the running
  /// window only; the stored preference is the settings store's.
  void set_close_to_tray(bool close_to_tray) { close_to_tray_ = close_to_tray; }
  /// Makes the next close request that is not turned into hiding destroy the
  /// window without asking the user-interface code. Never undone.
  void ConfirmClose() { close_confirmed_ = true; }
  /// Runs once the native window exists, before the engine starts.
  void set_created_callback(std::function<void(HWND)> callback) {
    created_callback_ = std::move(callback);
  }
  /// Whether the window was closed because the session is ending.
  bool session_ended() const { return session_ending_; }
  /// Visible, minimised, maximised, and whether it is the foreground window.
  WindowState CurrentState() const;

 protected:
  /// Starts the engine and its view, registers the plug-ins, opens the
  /// channels, embeds the view and arranges for the window to be shown after
  /// the first frame. False when the view controller cannot be created.
  bool OnCreate() override;
  /// Stops the engine, then drops the channels.
  void OnDestroy() override;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept override;

 private:
  using Channel = flutter::MethodChannel<flutter::EncodableValue>;

  void OpenChannels();
  LRESULT HandleClose(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  /// Closes the window for an ending session through the close path, which then
  /// destroys it whatever close to tray says.
  void CloseForEndingSession(HWND window) noexcept;
  /// Shows the window and lets the calls held for the UI go.
  void FirstFrameShown();
  /// A second start's message (WM_COPYDATA with its signature): checked, then
  /// handed to the UI or held until its first frame. False when malformed.
  bool ReceiveSecondStart(const COPYDATASTRUCT& data) noexcept;
  void DeliverSecondStart(const SecondStart& start);
  /// Many messages may change the state at once: one check is queued for
  /// them all, and the UI is told only when the state differs.
  void ScheduleStateCheck(HWND window);
  void ReportWindowState();

  flutter::ProjectDescription project_;
  std::unique_ptr<flutter::FlutterViewController> view_controller_;
  std::unique_ptr<Channel> window_channel_;
  std::unique_ptr<Channel> credential_channel_;
  std::unique_ptr<Channel> settings_channel_;
  std::unique_ptr<Channel> update_channel_;
  bool close_to_tray_ = true;
  bool close_confirmed_ = false;
  bool session_ending_ = false;
  bool state_check_pending_ = false;
  WindowStateTracker window_state_;
  SecondStartQueue second_starts_;
  std::function<void(HWND)> created_callback_;
};

}  // namespace quorvane
