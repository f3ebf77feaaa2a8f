// The host among other programs, under Wine: a second start's arguments reach
// the UI, links are checked, the UI hears of window state changes, and the
// process carries the application's identity.
#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/host_process.h"
#include "tests/support/registry_test_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const Json kEnd = {{"end", true}};
constexpr ULONG_PTR kSecondStartSignature = 0x51564131;

std::string Utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

// Every call the host made on the window channel with this method, in order.
std::vector<Json> CallsOf(const HostProcess& host, const std::string& method) {
  std::vector<Json> calls;
  for (const Json& event : host.Events()) {
    if (EventIs("call", {{"channel", "quorvane/window"}, {"method", method}})(event)) {
      calls.push_back(event["args"]);
    }
  }
  return calls;
}

// The answer to a WM_COPYDATA sent as another program would, none on timeout.
std::optional<LRESULT> SendCopyData(HWND window, ULONG_PTR signature,
                                    const std::vector<uint8_t>& bytes) {
  COPYDATASTRUCT data{signature, static_cast<DWORD>(bytes.size()),
                      const_cast<uint8_t*>(bytes.data())};
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, static_cast<UINT>(kPatience.count()), &answer)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

Json State(bool visible, bool minimized, bool maximized, bool focused) {
  return {{"visible", visible},
          {"minimized", minimized},
          {"maximized", maximized},
          {"focused", focused}};
}

class DesktopIntegration : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_test::ResetSettings();
    RemoveHostDiagnostics();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(nullptr, kHostWindowTitle) == nullptr; }))
        << "a host window from an earlier check is still open";
  }
  void TearDown() override { registry_test::ResetSettings(); }
};

TEST_F(DesktopIntegration, ASecondStartHandsItsArgumentsAndFolderToTheUI) {
  HostProcess first({{kEnd}, L"", {}});
  ASSERT_NE(first.WaitForWindow(true), nullptr);

  HostProcess second(
      {{kEnd}, L"--open \"a b\" quorvane://signin?code=e2e-secret Quorvane:bad", {}});
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_TRUE(second.Events().empty()) << "the second start created an engine";

  ASSERT_TRUE(first.WaitForEvent(EventIs("call", {{"method", "secondInstance"}})));
  const std::vector<Json> calls = CallsOf(first, "secondInstance");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], Json({{"arguments", {"--open", "a b", "quorvane://signin?code=e2e-secret"}},
                            {"workingDirectory", Utf8(BinaryDirectory())}}));
  // Both processes tell of the links by length only.
  const std::string log = HostLog();
  EXPECT_THAT(log, Not(HasSubstr("e2e-secret")));
  EXPECT_THAT(log, HasSubstr("Opened a link (33 bytes)."));
  EXPECT_THAT(log, HasSubstr("Dropped a link that is not a valid quorvane:// link (12 bytes)."));
  EXPECT_THAT(log, HasSubstr("A second start handed over 3 arguments."));
}

TEST_F(DesktopIntegration, ALinkAtAFirstStartReachesTheEntryPointAndABadOneDoesNot) {
  HostProcess host({{kEnd}, L"quorvane://open/1 \"quorvane://a b\"", {}});
  const std::optional<Json> engine = host.WaitForEvent(EventIs("engine"));
  ASSERT_TRUE(engine);
  EXPECT_EQ((*engine)["args"], Json({"quorvane://open/1"}));
}

TEST_F(DesktopIntegration, MalformedSecondStartMessagesAreDroppedWithALogLine) {
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  // One argument announced, none there; then bytes that are not UTF-8.
  EXPECT_EQ(SendCopyData(window, kSecondStartSignature, {1, 0, 0, 0}), FALSE);
  EXPECT_EQ(
      SendCopyData(window, kSecondStartSignature, {1, 0, 0, 0, 2, 0, 0, 0, 0xC0, 0xAF, 0, 0, 0, 0}),
      FALSE);
  EXPECT_EQ(SendCopyData(window, kSecondStartSignature, std::vector<uint8_t>(40000, 0)), FALSE);
  // Another program's message with its own signature is not read at all.
  EXPECT_EQ(SendCopyData(window, 7, {0, 0, 0, 0, 0, 0, 0, 0}), FALSE);
  // A well-formed one goes through.
  EXPECT_EQ(SendCopyData(window, kSecondStartSignature, {0, 0, 0, 0, 0, 0, 0, 0}), TRUE);

  ASSERT_TRUE(host.WaitForEvent(EventIs("call", {{"method", "secondInstance"}})));
  EXPECT_EQ(CallsOf(host, "secondInstance"),
            std::vector<Json>({{{"arguments", Json::array()}, {"workingDirectory", ""}}}));
  const std::string log = HostLog();
  EXPECT_THAT(log, HasSubstr("Dropped a malformed message from a second start (4 bytes)."));
  EXPECT_THAT(log, HasSubstr("Dropped a malformed message from a second start (14 bytes)."));
  EXPECT_THAT(log, HasSubstr("Dropped a malformed message from a second start (40000 bytes)."));
  EXPECT_THAT(log, Not(HasSubstr("(8 bytes)")));
}

TEST_F(DesktopIntegration, TheUIHearsOfEachWindowStateChangeOnceAndCanAskForIt) {
  HostProcess host(
      {{{{"wait_ms", 300}}, {{"call", "quorvane/window"}, {"method", "getWindowState"}}, kEnd},
       L"",
       {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  const std::optional<Json> reply = host.WaitForReply("quorvane/window", "getWindowState");
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)["success"], State(true, false, false, true));
  ASSERT_TRUE(WaitUntil([&] { return !CallsOf(host, "windowStateChanged").empty(); }));
  EXPECT_EQ(CallsOf(host, "windowStateChanged").front(), State(true, false, false, true));

  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return CallsOf(host, "windowStateChanged").size() >= 2; }));
  ::PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<Json> calls = CallsOf(host, "windowStateChanged");
    return calls.back()["maximized"] == true && calls.back()["minimized"] == false;
  }));
  ::ShowWindow(window, SW_HIDE);
  ASSERT_TRUE(
      WaitUntil([&] { return CallsOf(host, "windowStateChanged").back()["visible"] == false; }));

  const std::vector<Json> calls = CallsOf(host, "windowStateChanged");
  EXPECT_EQ(calls[1]["minimized"], true);
  for (size_t index = 1; index < calls.size(); ++index) {
    EXPECT_NE(calls[index], calls[index - 1]) << "the same state sent twice in a row";
  }
  // Four changes (minimised, restored and maximised, hidden) with activation
  // changes between them: each message did not make a call of its own.
  EXPECT_LE(calls.size(), 8u);
}

TEST_F(DesktopIntegration, TheProcessCarriesTheApplicationsIdentity) {
  PWSTR own = nullptr;
  if (::GetCurrentProcessExplicitAppUserModelID(&own) == E_NOTIMPL) {
    GTEST_SKIP() << "this system cannot report a process's AppUserModelID (Wine)";
  }
  ::CoTaskMemFree(own);
  HostProcess host({{kEnd}, L"", {}});
  const std::optional<Json> engine = host.WaitForEvent(EventIs("engine"));
  ASSERT_TRUE(engine);
  EXPECT_EQ((*engine)["app_user_model_id"], "QuorvaneAI.Desktop");
}

}  // namespace
}  // namespace e2e
