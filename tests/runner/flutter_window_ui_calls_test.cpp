// The calls the host window makes to the UI on its own (a second start's
// arguments and the window's state, each held until the first frame), and
// how the window comes back for each caller, as the channel reference says.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec/standard_method_codec.h"
#include "runner/flutter_window.h"
#include "runner/process/instance_rules.h"
#include "runner/process/second_start_message.h"
#include "tests/fakes/recording_engine.h"
#include "tests/support/registry_test_support.h"
#include "wrapper/project_description.h"

namespace quorvane {
namespace {

using flutter::EncodableValue;
using flutter::MethodCall;

void DispatchPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) ::DispatchMessageW(&message);
  }
}

class FlutterWindowUiCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, registry_test::kDesktopKey);
    ASSERT_TRUE(window_.Create(L"Quorvane test", {100, 100}, {1280, 720}));
  }
  void TearDown() override {
    window_.Destroy();
    DispatchPendingMessages();
  }

  // The calls sent to the UI so far, as method name and arguments.
  std::vector<std::pair<std::string, EncodableValue>> Calls() const {
    std::vector<std::pair<std::string, EncodableValue>> calls;
    for (const fakes::SentMessage& sent : engine_.sends) {
      EXPECT_EQ(sent.channel, "quorvane/window");
      const std::unique_ptr<MethodCall<EncodableValue>> call =
          flutter::StandardMethodCodec::GetInstance().DecodeMethodCall(sent.bytes.data(),
                                                                       sent.bytes.size());
      if (call == nullptr) continue;
      calls.emplace_back(call->MethodName(),
                         call->Arguments() != nullptr ? *call->Arguments() : EncodableValue());
    }
    return calls;
  }

  std::vector<EncodableValue> CallsOf(const std::string& method) const {
    std::vector<EncodableValue> arguments;
    for (const auto& [name, value] : Calls()) {
      if (name == method) arguments.push_back(value);
    }
    return arguments;
  }

  LRESULT SendSecondStart(uintptr_t signature, const std::vector<uint8_t>& bytes) {
    COPYDATASTRUCT data{signature, static_cast<DWORD>(bytes.size()),
                        const_cast<uint8_t*>(bytes.data())};
    return ::SendMessageW(window_.NativeHandle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }

  fakes::RecordingEngine engine_;
  flutter::ProjectDescription project_{L"data"};
  FlutterWindow window_{project_};
};

TEST_F(FlutterWindowUiCallsTest, SecondStartsBeforeTheFirstFrameAreDeliveredOnceAfterIt) {
  const SecondStart first{{"quorvane://a"}, "C:\\one"};
  const SecondStart second{{"--b", "c"}, "C:\\two"};
  EXPECT_EQ(SendSecondStart(kSecondStartSignature, *EncodeSecondStart(first)), TRUE);
  EXPECT_EQ(SendSecondStart(kSecondStartSignature, *EncodeSecondStart(second)), TRUE);
  EXPECT_TRUE(engine_.sends.empty());

  engine_.ReportFrame();
  DispatchPendingMessages();
  EXPECT_EQ(CallsOf("secondInstance"),
            (std::vector<EncodableValue>{SecondStartValue(first), SecondStartValue(second)}));

  const SecondStart third{{}, "D:\\"};
  EXPECT_EQ(SendSecondStart(kSecondStartSignature, *EncodeSecondStart(third)), TRUE);
  DispatchPendingMessages();
  EXPECT_EQ(CallsOf("secondInstance").size(), 3u);
  EXPECT_EQ(CallsOf("secondInstance").back(), SecondStartValue(third));
}

TEST_F(FlutterWindowUiCallsTest, MalformedOrForeignMessagesReachNobody) {
  engine_.ReportFrame();
  DispatchPendingMessages();
  const size_t before = engine_.sends.size();
  EXPECT_EQ(SendSecondStart(kSecondStartSignature, {1, 0, 0, 0}), FALSE);
  EXPECT_EQ(SendSecondStart(kSecondStartSignature, {}), FALSE);
  EXPECT_EQ(SendSecondStart(0x1234, *EncodeSecondStart({{"x"}, ""})), FALSE);
  DispatchPendingMessages();
  EXPECT_EQ(engine_.sends.size(), before);
}

TEST_F(FlutterWindowUiCallsTest, StateChangesAreSentOnceEachAfterTheFirstFrame) {
  HWND window = window_.NativeHandle();
  ::ShowWindow(window, SW_SHOW);
  ::ShowWindow(window, SW_HIDE);
  DispatchPendingMessages();
  EXPECT_TRUE(engine_.sends.empty()) << "nothing before the first frame";

  engine_.ReportFrame();
  DispatchPendingMessages();
  std::vector<EncodableValue> states = CallsOf("windowStateChanged");
  ASSERT_EQ(states.size(), 1u);
  EXPECT_EQ(states[0], WindowStateValue(window_.CurrentState()));
  EXPECT_TRUE(window_.CurrentState().visible);

  // Many messages, one change.
  ::ShowWindow(window, SW_MAXIMIZE);
  ::ShowWindow(window, SW_MAXIMIZE);
  DispatchPendingMessages();
  states = CallsOf("windowStateChanged");
  ASSERT_EQ(states.size(), 2u);
  EXPECT_TRUE(window_.CurrentState().maximized);
  EXPECT_EQ(states[1], WindowStateValue(window_.CurrentState()));
}

TEST_F(FlutterWindowUiCallsTest, HowTheWindowComesBackDependsOnWhoAsks) {
  engine_.ReportFrame();
  DispatchPendingMessages();
  HWND window = window_.NativeHandle();

  // "show": a window hidden while maximised comes back restored, a minimised
  // one as it was before.
  ::ShowWindow(window, SW_MAXIMIZE);
  ::ShowWindow(window, SW_HIDE);
  window_.Show();
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_FALSE(::IsZoomed(window));
  ::ShowWindow(window, SW_MAXIMIZE);
  ::ShowWindow(window, SW_MINIMIZE);
  window_.Show();
  EXPECT_TRUE(::IsZoomed(window));

  // A second start's activation keeps a window hidden while maximised so.
  ::ShowWindow(window, SW_HIDE);
  ::SendMessageW(window, ::RegisterWindowMessageW(kActivateMessageName), 0, 0);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(::IsZoomed(window));

  // "minimize" and "toggleMaximize" make a hidden window visible.
  ::ShowWindow(window, SW_HIDE);
  ::ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(::IsIconic(window));
  ::ShowWindow(window, SW_HIDE);
  ::ShowWindow(window, SW_MAXIMIZE);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(::IsZoomed(window));
}

}  // namespace
}  // namespace quorvane
