#include "runner/flutter_window.h"

#include <string>
#include <utility>

#include "codec/standard_method_codec.h"
#include "runner/channels/credential_channel.h"
#include "runner/channels/settings_channel.h"
#include "runner/channels/window_channel.h"
#include "runner/diagnostics/log.h"
#include "runner/plugin_registrant.h"
#include "runner/stores/registry_settings_store.h"
#include "runner/stores/settings_store.h"
#include "runner/stores/windows_credential_store.h"
#include "runner/window/close_decision.h"

namespace quorvane {
namespace {

using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResult;

constexpr char kWindowChannelName[] = "quorvane/window";
constexpr char kCredentialChannelName[] = "quorvane/credential";
constexpr char kSettingsChannelName[] = "quorvane/settings";
constexpr char kCloseRequestedMethod[] = "closeRequested";

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
  // Created hidden, the window appears once the engine has something to show.
  engine->SetNextFrameCallback([this]() { Show(); });
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
  Win32Window::OnDestroy();
}

LRESULT FlutterWindow::HandleMessage(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept {
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
