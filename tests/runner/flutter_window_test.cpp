#include "runner/flutter_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec/standard_method_codec.h"
#include "tests/fakes/recording_engine.h"
#include "tests/support/registry_test_support.h"
#include "wrapper/project_description.h"

namespace quorvane {
namespace {

using fakes::EngineCall;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using ::testing::ElementsAre;

std::vector<std::string> g_registered_plugins;

// Whether a WM_QUIT was taken out of the queue since the last look.
bool g_quit_seen = false;

void DispatchPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      g_quit_seen = true;
      continue;
    }
    ::DispatchMessageW(&message);
  }
}

bool QuitPosted() {
  DispatchPendingMessages();
  return std::exchange(g_quit_seen, false);
}

std::vector<uint8_t> EncodedCall(const std::string& method,
                                 std::unique_ptr<EncodableValue> arguments = nullptr) {
  return *flutter::StandardMethodCodec::GetInstance().EncodeMethodCall(
      MethodCall<EncodableValue>(method, std::move(arguments)));
}

class FlutterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, registry_test::kDesktopKey);
    g_registered_plugins.clear();
    window_ = std::make_unique<FlutterWindow>(project_);
  }
  void TearDown() override {
    window_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, registry_test::kDesktopKey);
    QuitPosted();
  }

  // Creates the window and lets the engine report its first frame.
  void CreateAndShow() {
    ASSERT_TRUE(window_->Create(L"Quorvane test", {100, 100}, {1280, 720}));
    window_->SetQuitOnDestroy(true);
    engine_.ReportFrame();
    ASSERT_TRUE(::IsWindowVisible(window_->NativeHandle()));
  }

  // Sends a window-channel call as the engine would; the raw reply bytes.
  std::vector<uint8_t> CallWindowChannel(const std::string& method,
                                         std::unique_ptr<EncodableValue> arguments = nullptr) {
    const FlutterDesktopMessageResponseHandle* handle =
        engine_.DeliverMessage("quorvane/window", EncodedCall(method, std::move(arguments)));
    const fakes::SentResponse* response = engine_.ResponseTo(handle);
    return response == nullptr ? std::vector<uint8_t>{0xEE} : response->bytes;
  }

  void Close() { ::SendMessageW(window_->NativeHandle(), WM_CLOSE, 0, 0); }

  // The closeRequested calls sent so far; the window also tells the UI of its
  // state, which these tests leave to their own file.
  std::vector<fakes::SentMessage> CloseRequests() const {
    std::vector<fakes::SentMessage> requests;
    for (const fakes::SentMessage& sent : engine_.sends) {
      const std::unique_ptr<MethodCall<EncodableValue>> call =
          flutter::StandardMethodCodec::GetInstance().DecodeMethodCall(sent.bytes.data(),
                                                                       sent.bytes.size());
      if (call != nullptr && call->MethodName() == "closeRequested") requests.push_back(sent);
    }
    return requests;
  }

  fakes::RecordingEngine engine_;
  flutter::ProjectDescription project_{L"data"};
  std::unique_ptr<FlutterWindow> window_;
};

const std::vector<uint8_t> kSuccessWithoutValue{0x00, 0x00};

TEST_F(FlutterWindowTest, CreationStartsTheEngineAndWiresEverythingInOrder) {
  project_.set_entrypoint_arguments({"a", "b c"});
  window_ = std::make_unique<FlutterWindow>(project_);
  ASSERT_TRUE(window_->Create(L"Quorvane test", {100, 100}, {1280, 720}));

  ASSERT_TRUE(engine_.properties.has_value());
  EXPECT_THAT(engine_.properties->arguments, ElementsAre("a", "b c"));
  EXPECT_EQ(engine_.properties->assets_path, L"data\\flutter_assets");
  const RECT client = window_->GetClientBounds();
  EXPECT_EQ(engine_.view_controller_width, client.right);
  EXPECT_EQ(engine_.view_controller_height, client.bottom);
  EXPECT_THAT(engine_.registrar_names,
              ElementsAre("DesktopDropPlugin", "FlutterSecureStorageWindowsPlugin",
                          "LocalNotifierPlugin", "TrayManagerPlugin", "WebviewWindowsPlugin"));
  EXPECT_THAT(g_registered_plugins,
              ElementsAre("DesktopDropPlugin", "FlutterSecureStorageWindowsPlugin",
                          "LocalNotifierPlugin", "TrayManagerPlugin", "WebviewWindowsPlugin"));
  std::vector<std::string> channels;
  for (const fakes::CallbackRegistration& registration : engine_.registrations) {
    channels.push_back(registration.channel);
  }
  EXPECT_THAT(channels, ElementsAre("quorvane/window", "quorvane/credential", "quorvane/settings",
                                    "quorvane/update"));

  // Plug-ins before channels, the view embedded before the frame callback, and
  // the redraw last.
  std::vector<EngineCall> order;
  for (EngineCall call : engine_.calls) {
    if (call == EngineCall::kViewControllerCreate ||
        call == EngineCall::kEngineGetPluginRegistrar ||
        call == EngineCall::kMessengerSetCallback || call == EngineCall::kViewGetHWND ||
        call == EngineCall::kEngineSetNextFrameCallback ||
        call == EngineCall::kViewControllerForceRedraw) {
      if (order.empty() || order.back() != call) order.push_back(call);
    }
  }
  EXPECT_THAT(
      order,
      ElementsAre(EngineCall::kViewControllerCreate, EngineCall::kEngineGetPluginRegistrar,
                  EngineCall::kMessengerSetCallback, EngineCall::kViewGetHWND,
                  EngineCall::kEngineSetNextFrameCallback, EngineCall::kViewControllerForceRedraw));
}

TEST_F(FlutterWindowTest, TheWindowStaysHiddenUntilTheFirstFrame) {
  ASSERT_TRUE(window_->Create(L"Quorvane test", {100, 100}, {1280, 720}));
  DispatchPendingMessages();
  EXPECT_FALSE(::IsWindowVisible(window_->NativeHandle()));

  engine_.ReportFrame();

  EXPECT_TRUE(::IsWindowVisible(window_->NativeHandle()));
}

TEST_F(FlutterWindowTest, AFailedViewControllerFailsCreationBeforeAnythingIsWired) {
  engine_.fail_view_controller_create = true;

  EXPECT_FALSE(window_->Create(L"Quorvane test", {100, 100}, {1280, 720}));

  EXPECT_TRUE(engine_.registrar_names.empty());
  EXPECT_TRUE(engine_.registrations.empty());
  EXPECT_EQ(engine_.CountOf(EngineCall::kEngineSetNextFrameCallback), 0u);
  EXPECT_FALSE(::IsWindowVisible(window_->NativeHandle()));
}

TEST_F(FlutterWindowTest, WithNothingStoredClosingOnlyHides) {
  CreateAndShow();

  Close();

  EXPECT_TRUE(::IsWindow(window_->NativeHandle()));
  EXPECT_FALSE(::IsWindowVisible(window_->NativeHandle()));
  EXPECT_TRUE(CloseRequests().empty());
  EXPECT_EQ(engine_.CountOf(EngineCall::kViewControllerDestroy), 0u);
}

TEST_F(FlutterWindowTest, WithCloseToTrayOffClosingAsksTheUserInterfaceAndCloseEndsIt) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 1));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 0));
  CreateAndShow();

  Close();

  EXPECT_TRUE(::IsWindowVisible(window_->NativeHandle()));
  const std::vector<fakes::SentMessage> requests = CloseRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].channel, "quorvane/window");
  EXPECT_FALSE(requests[0].with_reply);
  std::unique_ptr<MethodCall<EncodableValue>> sent =
      flutter::StandardMethodCodec::GetInstance().DecodeMethodCall(requests[0].bytes.data(),
                                                                   requests[0].bytes.size());
  ASSERT_NE(sent, nullptr);
  ASSERT_NE(sent->Arguments(), nullptr);
  EXPECT_TRUE(sent->Arguments()->IsNull());

  // "close" answers at once; the window goes when the posted close is handled.
  EXPECT_EQ(CallWindowChannel("close"), kSuccessWithoutValue);
  EXPECT_TRUE(::IsWindow(window_->NativeHandle()));
  DispatchPendingMessages();

  EXPECT_EQ(window_->NativeHandle(), nullptr);
  EXPECT_EQ(engine_.CountOf(EngineCall::kViewControllerDestroy), 1u);
  EXPECT_FALSE(engine_.engine_running);
  EXPECT_EQ(CloseRequests().size(), 1u);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(FlutterWindowTest, AnUnreadableSettingCountsAsCloseToTrayOff) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 0));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 1));
  CreateAndShow();

  Close();

  EXPECT_TRUE(::IsWindowVisible(window_->NativeHandle()));
  EXPECT_EQ(CloseRequests().size(), 1u);
}

TEST_F(FlutterWindowTest, SetCloseToTrayChangesWhatClosingDoes) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 1));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 0));
  CreateAndShow();

  EXPECT_EQ(
      CallWindowChannel("setCloseToTray", std::make_unique<EncodableValue>(EncodableMap{
                                              {EncodableValue("enabled"), EncodableValue(true)}})),
      kSuccessWithoutValue);
  Close();
  EXPECT_FALSE(::IsWindowVisible(window_->NativeHandle()));
  EXPECT_TRUE(CloseRequests().empty());

  // Even a confirmed close only hides while close to tray is on.
  window_->Show();
  EXPECT_EQ(CallWindowChannel("close"), kSuccessWithoutValue);
  DispatchPendingMessages();
  EXPECT_TRUE(::IsWindow(window_->NativeHandle()));
  EXPECT_FALSE(::IsWindowVisible(window_->NativeHandle()));
}

TEST_F(FlutterWindowTest, MessagesTheEngineConsumesGoNoFurther) {
  CreateAndShow();
  engine_.consume_window_messages = 7;

  EXPECT_EQ(::SendMessageW(window_->NativeHandle(), WM_CLOSE, 0, 0), 7);

  engine_.consume_window_messages.reset();
  EXPECT_TRUE(::IsWindowVisible(window_->NativeHandle()));
}

TEST_F(FlutterWindowTest, FontChangesReloadTheEnginesFonts) {
  CreateAndShow();
  ::SendMessageW(window_->NativeHandle(), WM_FONTCHANGE, 0, 0);
  EXPECT_EQ(engine_.CountOf(EngineCall::kEngineReloadSystemFonts), 1u);
}

TEST_F(FlutterWindowTest, TheWindowChannelActsOnTheTopLevelWindow) {
  CreateAndShow();
  HWND window = window_->NativeHandle();

  EXPECT_EQ(CallWindowChannel("hide"), kSuccessWithoutValue);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(CallWindowChannel("show"), kSuccessWithoutValue);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetForegroundWindow(), window);

  EXPECT_EQ(CallWindowChannel("toggleMaximize"), kSuccessWithoutValue);
  EXPECT_TRUE(::IsZoomed(window));
  EXPECT_EQ(CallWindowChannel("toggleMaximize"), kSuccessWithoutValue);
  EXPECT_FALSE(::IsZoomed(window));

  EXPECT_EQ(CallWindowChannel("minimize"), kSuccessWithoutValue);
  EXPECT_TRUE(::IsIconic(window));
  EXPECT_EQ(CallWindowChannel("toggleMaximize"), kSuccessWithoutValue);
  EXPECT_TRUE(::IsZoomed(window));

  EXPECT_TRUE(CallWindowChannel("Minimize").empty());
}

TEST_F(FlutterWindowTest, AnEndingSessionClosesTheWindowEvenWithCloseToTrayOn) {
  CreateAndShow();
  HWND window = window_->NativeHandle();

  EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
  EXPECT_EQ(::SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP), 0);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(engine_.engine_running);
  EXPECT_FALSE(QuitPosted());

  // The engine is down by the time the message returns: the system may end
  // the process right after it.
  ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(window_->NativeHandle(), nullptr);
  EXPECT_EQ(engine_.CountOf(EngineCall::kViewControllerDestroy), 1u);
  EXPECT_FALSE(engine_.engine_running);
  EXPECT_TRUE(CloseRequests().empty());
  EXPECT_TRUE(QuitPosted());
}

TEST_F(FlutterWindowTest, DestroyingTheWindowStopsTheEngine) {
  CreateAndShow();

  ::DestroyWindow(window_->NativeHandle());

  EXPECT_EQ(engine_.CountOf(EngineCall::kViewControllerDestroy), 1u);
  EXPECT_FALSE(engine_.engine_running);
  EXPECT_TRUE(QuitPosted());
}

// While the engine goes, the window channel is still there: a close asked
// for then still reaches the user interface instead of failing.
TEST_F(FlutterWindowTest, TeardownStopsTheEngineBeforeDroppingTheChannels) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 1));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 0));
  CreateAndShow();
  HWND window = window_->NativeHandle();
  engine_.on_view_controller_destroy = [window] { ::SendMessageW(window, WM_CLOSE, 0, 0); };

  ::DestroyWindow(window);

  ASSERT_EQ(CloseRequests().size(), 1u);
  EXPECT_EQ(CloseRequests()[0].channel, "quorvane/window");
}

}  // namespace
}  // namespace quorvane

// The plug-in libraries' registration functions, played by the test.
extern "C" {
void DesktopDropPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef) {
  quorvane::g_registered_plugins.push_back("DesktopDropPlugin");
}
void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef) {
  quorvane::g_registered_plugins.push_back("FlutterSecureStorageWindowsPlugin");
}
void LocalNotifierPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef) {
  quorvane::g_registered_plugins.push_back("LocalNotifierPlugin");
}
void TrayManagerPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef) {
  quorvane::g_registered_plugins.push_back("TrayManagerPlugin");
}
void WebviewWindowsPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef) {
  quorvane::g_registered_plugins.push_back("WebviewWindowsPlugin");
}
}
