#include "runner/flutter_window.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "codec/standard_method_codec.h"
#include "runner/channels/credential_channel.h"
#include "runner/channels/settings_channel.h"
#include "runner/channels/update_channel.h"
#include "runner/channels/window_channel.h"
#include "runner/diagnostics/log.h"
#include "runner/plugin_registrant.h"
#include "runner/process/link_arguments.h"
#include "runner/stores/registry_settings_store.h"
#include "runner/stores/settings_store.h"
#include "runner/stores/windows_credential_store.h"
#include "runner/stores/windows_update_installer.h"
#include "runner/window/close_decision.h"

namespace quorvane {
namespace {

using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResult;

constexpr char kWindowChannelName[] = "quorvane/window";
constexpr char kCredentialChannelName[] = "quorvane/credential";
constexpr char kSettingsChannelName[] = "quorvane/settings";
constexpr char kUpdateChannelName[] = "quorvane/update";
constexpr char kCloseRequestedMethod[] = "closeRequested";
constexpr char kSecondInstanceMethod[] = "secondInstance";
constexpr char kWindowStateChangedMethod[] = "windowStateChanged";
// Posted to the window itself when its state may have changed.
constexpr UINT kStateCheckMessage = WM_APP + 0x51;

// Messages after which the window may be shown, hidden, minimised, maximised,
// restored, activated or deactivated.
bool MayChangeState(UINT message) {
  switch (message) {
    case WM_SHOWWINDOW:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return true;
    default:
      return false;
  }
}

// Whether the primary mouse button is down now. The key state names physical
// buttons: with swapped buttons the primary one is the right one.
bool PrimaryButtonDown() {
  const int primary = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (::GetAsyncKeyState(primary) & 0x8000) != 0;
}

// The window channel's view of the main window: always the top-level window,
// never the engine view's child.
class TopLevelWindowOperations : public WindowOperations {
 public:
  explicit TopLevelWindowOperations(FlutterWindow& window) : window_(window) {}

  void Minimize() override { ::ShowWindow(window_.NativeHandle(), SW_MINIMIZE); }
  void Hide() override { ::ShowWindow(window_.NativeHandle(), SW_HIDE); }
  void Show() override { window_.Show(); }
  bool IsMaximized() override { return ::IsZoomed(window_.NativeHandle()) != 0; }
  void Maximize() override { ::ShowWindow(window_.NativeHandle(), SW_MAXIMIZE); }
  void Restore() override { ::ShowWindow(window_.NativeHandle(), SW_RESTORE); }
  void SetCloseToTray(bool enabled) override { window_.set_close_to_tray(enabled); }
  void ConfirmClose() override { window_.ConfirmClose(); }
  void PostClose() override { ::PostMessageW(window_.NativeHandle(), WM_CLOSE, 0, 0); }
  WindowState CurrentState() override { return window_.CurrentState(); }
  void BeginDrag() override {
    // The move loop ends when the button is released; entered without the
    // button down it would wait for a release that never comes.
    if (!PrimaryButtonDown()) return;
    // The engine's view may hold the mouse capture; the window manager's move
    // loop needs it, and returns when the button is released.
    ::ReleaseCapture();
    ::SendMessageW(window_.NativeHandle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }

 private:
  FlutterWindow& window_;
};

}  // namespace

FlutterWindow::FlutterWindow(const flutter::ProjectDescription& project) : project_(project) {}

FlutterWindow::~FlutterWindow() = default;

bool FlutterWindow::OnCreate() {
  if (!Win32Window::OnCreate()) return false;
  if (created_callback_) created_callback_(NativeHandle());

  // A failed read counts as off: closing then asks the user-interface code.
  close_to_tray_ = ReadCloseToTray();

  const RECT frame = GetClientBounds();
  // Only an error that the view's creation itself sets is reported with it.
  ::SetLastError(ERROR_SUCCESS);
  // The previous controller, if any, goes only after the new one is stored.
  std::unique_ptr<flutter::FlutterViewController> previous = std::exchange(
      view_controller_, std::make_unique<flutter::FlutterViewController>(
                            frame.right - frame.left, frame.bottom - frame.top, project_));
  const DWORD creation_error = ::GetLastError();
  previous.reset();
  if (view_controller_->GetEngine() == nullptr || view_controller_->GetView() == nullptr) {
    WriteLog(LogLevel::kError,
             creation_error == ERROR_SUCCESS
                 ? std::string("The engine's view could not be created (the engine set no "
                               "Windows error).")
                 : "The engine's view could not be created (Windows error " +
                       std::to_string(creation_error) + ").");
    return false;
  }

  flutter::FlutterEngine* engine = view_controller_->GetEngine();
  RegisterAllPlugins(*engine);
  OpenChannels();
  SetContentWindow(view_controller_->GetView()->GetHWND());
  // A second start at a lower integrity level hands over its arguments with
  // WM_COPYDATA, which the message filter would otherwise drop; what arrives
  // is checked before anything reads it.
  ::ChangeWindowMessageFilterEx(NativeHandle(), WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  // Created hidden, the window appears once the engine has something to show.
  engine->SetNextFrameCallback([this]() { FirstFrameShown(); });
  view_controller_->ForceRedraw();
  return true;
}

void FlutterWindow::OpenChannels() {
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
  flutter::BinaryMessenger* messenger = view_controller_->GetEngine()->GetMessenger();

  window_channel_ = std::make_unique<Channel>(messenger, kWindowChannelName, &codec);
  window_channel_->SetMethodCallHandler(
      [this](const MethodCall<EncodableValue>& call,
             std::unique_ptr<MethodResult<EncodableValue>> result) {
        TopLevelWindowOperations operations(*this);
        HandleWindowCall(call, *result, operations);
      });

  credential_channel_ = std::make_unique<Channel>(messenger, kCredentialChannelName, &codec);
  credential_channel_->SetMethodCallHandler(
      [](const MethodCall<EncodableValue>& call,
         std::unique_ptr<MethodResult<EncodableValue>> result) {
        WindowsCredentialStore store;
        HandleCredentialCall(call, *result, store);
      });

  settings_channel_ = std::make_unique<Channel>(messenger, kSettingsChannelName, &codec);
  settings_channel_->SetMethodCallHandler([](const MethodCall<EncodableValue>& call,
                                             std::unique_ptr<MethodResult<EncodableValue>> result) {
    RegistrySettingsStore store;
    HandleSettingsCall(call, *result, store);
  });

  update_channel_ = std::make_unique<Channel>(messenger, kUpdateChannelName, &codec);
  update_channel_->SetMethodCallHandler([](const MethodCall<EncodableValue>& call,
                                           std::unique_ptr<MethodResult<EncodableValue>> result) {
    WindowsUpdateInstaller installer;
    HandleUpdateCall(call, *result, installer);
  });
}

void FlutterWindow::OnDestroy() {
  if (view_controller_ != nullptr) {
    // The field is cleared first, so that messages sent while the engine and
    // its view go away are no longer offered to them.
    std::unique_ptr<flutter::FlutterViewController> controller = std::move(view_controller_);
    controller.reset();
  }
  window_channel_.reset();
  credential_channel_.reset();
  settings_channel_.reset();
  update_channel_.reset();
  Win32Window::OnDestroy();
}

WindowState FlutterWindow::CurrentState() const {
  HWND window = NativeHandle();
  if (window == nullptr) return {};
  return WindowState{::IsWindowVisible(window) != 0, ::IsIconic(window) != 0,
                     ::IsZoomed(window) != 0, ::GetForegroundWindow() == window};
}

void FlutterWindow::FirstFrameShown() {
  Show();
  window_state_.OpenAfterFirstFrame();
  for (const SecondStart& start : second_starts_.OpenAfterFirstFrame()) DeliverSecondStart(start);
  ReportWindowState();
}

bool FlutterWindow::ReceiveSecondStart(const COPYDATASTRUCT& data) noexcept {
  const std::optional<SecondStart> decoded =
      DecodeSecondStart(static_cast<const uint8_t*>(data.lpData), data.cbData);
  if (!decoded) {
    WriteLog(LogLevel::kWarning, "Dropped a malformed message from a second start (" +
                                     std::to_string(data.cbData) + " bytes).");
    return false;
  }
  // Any program may send this message; its links are checked like this
  // process's own.
  CheckedArguments checked = CheckLinkArguments(decoded->arguments);
  for (const std::string& line : LinkLogLines(checked)) WriteLog(LogLevel::kInfo, line);
  const SecondStart start{std::move(checked.arguments), decoded->working_directory};
  WriteLog(LogLevel::kInfo,
           "A second start handed over " + std::to_string(start.arguments.size()) + " arguments.");
  switch (second_starts_.Accept(start)) {
    case SecondStartQueue::Disposition::kDeliverNow:
      DeliverSecondStart(start);
      break;
    case SecondStartQueue::Disposition::kHeld:
      break;
    case SecondStartQueue::Disposition::kDropped:
      WriteLog(LogLevel::kWarning,
               "Dropped a second start: too many arrived before the first frame.");
      break;
  }
  return true;
}

void FlutterWindow::DeliverSecondStart(const SecondStart& start) {
  if (window_channel_ == nullptr) return;
  window_channel_->InvokeMethod(kSecondInstanceMethod,
                                std::make_unique<EncodableValue>(SecondStartValue(start)));
}

void FlutterWindow::ScheduleStateCheck(HWND window) {
  if (state_check_pending_) return;
  state_check_pending_ = ::PostMessageW(window, kStateCheckMessage, 0, 0) != 0;
}

void FlutterWindow::ReportWindowState() {
  state_check_pending_ = false;
  if (window_channel_ == nullptr) return;
  const std::optional<WindowState> changed = window_state_.Report(CurrentState());
  if (!changed) return;
  window_channel_->InvokeMethod(kWindowStateChangedMethod,
                                std::make_unique<EncodableValue>(WindowStateValue(*changed)));
}

LRESULT FlutterWindow::HandleMessage(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data != nullptr && data->dwData == kSecondStartSignature) {
      return ReceiveSecondStart(*data) ? TRUE : FALSE;
    }
  }
  if (message == kStateCheckMessage) {
    ReportWindowState();
    return 0;
  }
  if (MayChangeState(message)) ScheduleStateCheck(window);
  if (view_controller_ != nullptr) {
    const std::optional<LRESULT> consumed =
        view_controller_->HandleTopLevelWindowProc(window, message, wparam, lparam);
    if (consumed) return *consumed;
  }
  switch (message) {
    case WM_CLOSE:
      return HandleClose(window, message, wparam, lparam);
    case WM_QUERYENDSESSION:
      // Nothing is kept unsaved: the session (or an installer's restart
      // request) may end this program.
      return TRUE;
    case WM_ENDSESSION:
      // The process may be ended as soon as this returns, so the engine is
      // shut down now. A cancelled session end (FALSE) changes nothing.
      if (wparam != FALSE) CloseForEndingSession(window);
      return 0;
    case WM_FONTCHANGE:
      if (view_controller_ != nullptr) view_controller_->GetEngine()->ReloadSystemFonts();
      break;
    default:
      break;
  }
  return Win32Window::HandleMessage(window, message, wparam, lparam);
}

LRESULT FlutterWindow::HandleClose(HWND window, UINT message, WPARAM wparam,
                                   LPARAM lparam) noexcept {
  switch (
      DecideClose(close_to_tray_, close_confirmed_, window_channel_ != nullptr, session_ending_)) {
    case CloseAction::kHide:
      ::ShowWindow(NativeHandle(), SW_HIDE);
      return 0;
    case CloseAction::kDestroy:
      // Default processing destroys the native window.
      return Win32Window::HandleMessage(window, message, wparam, lparam);
    case CloseAction::kIgnore:
      return 0;
    case CloseAction::kAskUserInterface:
      // No reply is waited for: the window stays until "close" arrives.
      window_channel_->InvokeMethod(kCloseRequestedMethod, std::make_unique<EncodableValue>());
      return 0;
  }
  return 0;
}

void FlutterWindow::CloseForEndingSession(HWND window) noexcept {
  session_ending_ = true;
  ::SendMessageW(window, WM_CLOSE, 0, 0);
  // Should the engine have taken the close for itself, the window still goes.
  if (::IsWindow(window)) ::DestroyWindow(window);
}

}  // namespace quorvane
