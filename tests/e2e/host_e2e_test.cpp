// The real host executable, run under Wine with the scripted stand-in engine
// and plug-ins. Every check starts from a clean registry and credential store.
#include <windows.h>

#include <wincred.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/host_process.h"
#include "tests/support/registry_test_support.h"

namespace e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr wchar_t kCredentialTarget[] = L"quorvane.ai.codex.token.v1";
const std::string kDigest(64, 'a');

Json Call(const std::string& channel, const std::string& method, const Json& args = nullptr) {
  return {{"call", channel}, {"method", method}, {"args", args}};
}

Json Wait(int milliseconds_to_wait) { return {{"wait_ms", milliseconds_to_wait}}; }

const Json kEnd = {{"end", true}};

// The host's standard error split into lines; the runtime writes text-mode
// line ends (CR LF).
std::vector<std::string> StandardErrorLines(const HostProcess& host) {
  std::vector<std::string> lines;
  std::string line;
  for (char character : host.StandardError()) {
    if (character == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (character != '\r') {
      line.push_back(character);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Sends a message from this process as another program would (the system at
// log-off, an installer through the Restart Manager); the answer, or none when
// the host did not answer in time.
std::optional<LRESULT> SendFromOutside(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(kPatience.count()), &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRectOnScreen(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

std::array<LONG, 4> Corners(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void PressLeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &input, sizeof(input));
}

// Whether the window manager's move or size loop runs on window's thread.
bool InMoveOrSizeLoop(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) &&
         (info.flags & GUI_INMOVESIZE) != 0;
}

// The window with the keyboard focus on window's thread, as another program
// sees it.
HWND FocusOn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// The stand-in engine's view inside the host's window.
HWND ViewIn(HWND window) {
  return ::FindWindowExW(window, nullptr, L"STANDIN_FLUTTER_VIEW", nullptr);
}

// The work areas of the primary and of the other monitor; none when the
// display does not have two monitors. The two-monitor display (see
// two_monitor_test.sh) must have them.
std::optional<std::array<RECT, 2>> TwoWorkAreas() {
  std::vector<MONITORINFO> monitors;
  ::EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, RECT*, LPARAM found) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (::GetMonitorInfoW(monitor, &info)) {
          reinterpret_cast<std::vector<MONITORINFO>*>(found)->push_back(info);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  if (const char* expected = std::getenv("QUORVANE_EXPECTED_MONITORS")) {
    EXPECT_EQ(std::to_string(monitors.size()), expected);
  }
  if (monitors.size() != 2) return std::nullopt;
  if ((monitors[0].dwFlags & MONITORINFOF_PRIMARY) == 0) std::swap(monitors[0], monitors[1]);
  return std::array<RECT, 2>{monitors[0].rcWork, monitors[1].rcWork};
}

std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

size_t CountOf(const HostProcess& host, const std::function<bool(const Json&)>& matches) {
  size_t count = 0;
  for (const Json& event : host.Events()) {
    if (matches(event)) ++count;
  }
  return count;
}

// The host's log lines written by the process with this id, without line ends.
std::vector<std::string> LogLinesOf(DWORD process_id) {
  std::vector<std::string> lines;
  std::istringstream log(HostLog());
  const std::string marker = "Z " + std::to_string(process_id) + " ";
  std::string line;
  while (std::getline(log, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(marker) == 23) lines.push_back(line);
  }
  return lines;
}

std::string Hex(const std::string& bytes, const char* digits) {
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex.push_back(digits[byte >> 4]);
    hex.push_back(digits[byte & 15]);
  }
  return hex;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t at = 0; at + 2 < bytes.size(); at += 3) {
    const uint32_t group = (static_cast<unsigned char>(bytes[at]) << 16) |
                           (static_cast<unsigned char>(bytes[at + 1]) << 8) |
                           static_cast<unsigned char>(bytes[at + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) text.push_back(kDigits[(group >> shift) & 63]);
  }
  return text;
}

// The token in every form a careless log line could carry it.
std::vector<std::string> Encodings(const std::string& token) {
  std::string utf16;
  for (const wchar_t unit : std::wstring(token.begin(), token.end())) {
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>(unit >> 8));
  }
  return {token, utf16, Hex(token, "0123456789abcdef"), Hex(token, "0123456789ABCDEF"),
          Base64(token)};
}

class HostEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUserState();
    RemoveHostDiagnostics();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(nullptr, kHostWindowTitle) == nullptr; }))
        << "a host window from an earlier check is still open";
  }
  void TearDown() override { ResetUserState(); }

  static void ResetUserState() {
    registry_test::ResetSettings();
    ::CredDeleteW(kCredentialTarget, CRED_TYPE_GENERIC, 0);
  }
};

TEST_F(HostEndToEnd, StartsTheEngineRegistersThePluginsAndShowsTheWindowAfterTheFirstFrame) {
  // The script comes through a pipe that this process holds back: the engine
  // reads it while it starts, inside the window's creation, so the window is
  // surely there and hidden until the script is let through.
  const std::wstring pipe_name =
      L"\\\\.\\pipe\\quorvane_e2e_" + std::to_wstring(::GetCurrentProcessId()) + L"_script";
  HANDLE pipe = ::CreateNamedPipeW(pipe_name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  struct ClosePipe {
    HANDLE pipe;
    ~ClosePipe() { ::CloseHandle(pipe); }
  } close_pipe{pipe};
  OVERLAPPED connection{};
  connection.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  struct CloseEvent {
    HANDLE event;
    ~CloseEvent() { ::CloseHandle(event); }
  } close_event{connection.hEvent};
  ::ConnectNamedPipe(pipe, &connection);
  HostProcess host({{}, L"", {{L"STANDIN_SCRIPT", pipe_name}}});
  ASSERT_TRUE(host.started());

  ASSERT_EQ(::WaitForSingleObject(connection.hEvent, static_cast<DWORD>(kPatience.count())),
            WAIT_OBJECT_0)
      << "the engine did not open its script";
  HWND window = host.FindOwnWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));
  const std::string script = Wait(100).dump() + "\n" + kEnd.dump() + "\n";
  DWORD written = 0;
  OVERLAPPED write{};
  write.hEvent = connection.hEvent;
  ::ResetEvent(write.hEvent);
  if (!::WriteFile(pipe, script.data(), static_cast<DWORD>(script.size()), nullptr, &write)) {
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  }
  ASSERT_TRUE(::GetOverlappedResult(pipe, &write, &written, TRUE));
  ::FlushFileBuffers(pipe);
  ::DisconnectNamedPipe(pipe);

  // Visibility is checked before the log: the frame is logged before the
  // window can be shown, so a visible window with no frame logged is a fault.
  bool shown_before_frame = false;
  ASSERT_TRUE(WaitUntil([&] {
    if (!::IsWindowVisible(window)) return false;
    shown_before_frame = !host.WaitForEvent(EventIs("frame"), milliseconds(0));
    return true;
  }));
  EXPECT_FALSE(shown_before_frame);

  std::vector<std::string> plugins;
  for (const Json& event : host.Events()) {
    if (EventIs("plugin")(event)) plugins.push_back(event.value("name", ""));
  }
  EXPECT_THAT(plugins,
              ElementsAre("DesktopDropPlugin", "FlutterSecureStorageWindowsPlugin",
                          "LocalNotifierPlugin", "TrayManagerPlugin", "WebviewWindowsPlugin"));
  const std::optional<Json> engine = host.WaitForEvent(EventIs("engine"));
  ASSERT_TRUE(engine);
  EXPECT_EQ((*engine)["assets"], "data\\flutter_assets");
  EXPECT_EQ((*engine)["icu"], "data\\icudtl.dat");
  EXPECT_EQ((*engine)["aot"], "data\\app.so");
  EXPECT_EQ((*engine)["args"], Json::array());

  // The window is centred in the work area at 1280 × 720 (96 DPI here).
  RECT work_area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
  RECT frame{};
  ::GetWindowRect(host.FindOwnWindow(), &frame);
  EXPECT_EQ(frame.right - frame.left, 1280);
  EXPECT_EQ(frame.bottom - frame.top, 720);
  EXPECT_EQ(frame.left, work_area.left + (work_area.right - work_area.left - 1280) / 2);
  EXPECT_EQ(frame.top, work_area.top + (work_area.bottom - work_area.top - 720) / 2);
  EXPECT_TRUE(host.IsRunning());
}

TEST_F(HostEndToEnd, EntryPointArgumentsArriveAsUtf8) {
  // A raw tail: a quoted argument with a blank, a non-ASCII one, and one with
  // an unpaired surrogate that cannot become UTF-8.
  std::wstring tail = L"a \"b c\" \u00fc\u7efc X";
  tail.push_back(static_cast<wchar_t>(0xD800));
  tail += L"Y z";
  HostProcess host({{kEnd}, tail, {}});

  const std::optional<Json> engine = host.WaitForEvent(EventIs("engine"));
  ASSERT_TRUE(engine);
  EXPECT_EQ((*engine)["args"], Json::array({"a", "b c", "\u00fc\u7efc", "", "z"}));
}

TEST_F(HostEndToEnd, EveryChannelAnswers) {
  const Json enabled_false = {{"enabled", false}};
  HostProcess host(
      {{
           // Settings on a fresh profile.
           Call("quorvane/settings", "isLaunchAtLoginEnabled"),
           Call("quorvane/settings", "isCloseToTrayEnabled"),
           Call("quorvane/settings", "isSystemNotificationsEnabled"),
           Call("quorvane/settings", "readQuickStartProgress", {{"accountDigest", kDigest}}),
           // Set, then read back.
           Call("quorvane/settings", "setCloseToTrayEnabled", enabled_false),
           Call("quorvane/settings", "setSystemNotificationsEnabled", enabled_false),
           Call("quorvane/settings", "setLaunchAtLogin", {{"enabled", true}}),
           Call("quorvane/settings", "writeQuickStartProgress",
                {{"accountDigest", kDigest}, {"value", 2}}),
           Call("quorvane/settings", "writeQuickStartProgress",
                {{"accountDigest", kDigest}, {"value", 4}}),
           Call("quorvane/settings", "isCloseToTrayEnabled"),
           Call("quorvane/settings", "isSystemNotificationsEnabled"),
           Call("quorvane/settings", "isLaunchAtLoginEnabled"),
           Call("quorvane/settings", "readQuickStartProgress", {{"accountDigest", kDigest}}),
           Call("quorvane/settings", "IsCloseToTrayEnabled"),
           // A method name that is not a string: no call at all.
           {{"raw", "quorvane/settings"}, {"hex", "03 01 00 00 00"}},
           // Credentials.
           Call("quorvane/credential", "writeCodexToken"),
           Call("quorvane/credential", "deleteCodexToken"),
           Call("quorvane/credential", "readCodexToken"),
           // Window.
           Call("quorvane/window", "setCloseToTray", {{"enabled", 1}}),
           Call("quorvane/window", "toggleMaximize"),
           Call("quorvane/window", "Minimize"),
           Call("quorvane/window", "minimize"),
           kEnd,
       },
       L"",
       {}});

  ASSERT_TRUE(host.WaitForEvent(EventIs("script_done")));
  std::vector<Json> replies;
  for (const Json& event : host.Events()) {
    if (EventIs("reply")(event)) {
      Json reply = event;
      reply.erase("event");
      replies.push_back(reply);
    }
  }
  const auto success = [](const std::string& channel, const std::string& method,
                          const Json& value) {
    return Json{{"channel", channel}, {"method", method}, {"success", value}};
  };
  const auto error = [](const std::string& channel, const std::string& method,
                        const std::string& code, const std::string& message) {
    return Json{{"channel", channel},
                {"method", method},
                {"error", {{"code", code}, {"message", message}, {"details", nullptr}}}};
  };
  const auto not_implemented = [](const std::string& channel, const Json& method) {
    return Json{{"channel", channel}, {"method", method}, {"not_implemented", true}};
  };
  const std::string settings = "quorvane/settings";
  const std::string credential = "quorvane/credential";
  const std::string window = "quorvane/window";
  EXPECT_THAT(
      replies,
      ElementsAre(
          success(settings, "isLaunchAtLoginEnabled", false),
          success(settings, "isCloseToTrayEnabled", true),
          success(settings, "isSystemNotificationsEnabled", true),
          success(settings, "readQuickStartProgress", 0),
          success(settings, "setCloseToTrayEnabled", nullptr),
          success(settings, "setSystemNotificationsEnabled", nullptr),
          success(settings, "setLaunchAtLogin", nullptr),
          success(settings, "writeQuickStartProgress", nullptr),
          error(settings, "writeQuickStartProgress", "quick_start_write_failed",
                "Unable to update quick-start progress."),
          success(settings, "isCloseToTrayEnabled", false),
          success(settings, "isSystemNotificationsEnabled", false),
          success(settings, "isLaunchAtLoginEnabled", true),
          success(settings, "readQuickStartProgress", 2),
          not_implemented(settings, "IsCloseToTrayEnabled"), not_implemented(settings, nullptr),
          error(credential, "writeCodexToken", "credential_write_failed",
                "Unable to save the Codex credential."),
          success(credential, "deleteCodexToken", nullptr),
          not_implemented(credential, "readCodexToken"),
          error(window, "setCloseToTray", "invalid_arguments", "Missing close-to-tray value."),
          success(window, "toggleMaximize", nullptr), not_implemented(window, "Minimize"),
          success(window, "minimize", nullptr)));

  EXPECT_THAT(StandardErrorLines(host),
              Contains("Unable to construct method call from message on channel "
                       "quorvane/settings"));
  HWND main_window = host.FindOwnWindow();
  ASSERT_NE(main_window, nullptr);
  EXPECT_TRUE(::IsIconic(main_window));
}

TEST_F(HostEndToEnd, TheTokenIsStoredAsItsUtf8BytesAndNeverLogged) {
  const std::string token = "e2e-secret-\xc3\xbc-token";
  HostProcess host({{Call("quorvane/credential", "writeCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "writeCodexToken", {{"token", "bad\ntoken"}}),
                     Call("quorvane/credential", "writeCodexToken", {{"token", ""}}), kEnd},
                    L"",
                    {}});
  ASSERT_TRUE(host.WaitForEvent(EventIs("script_done")));
  std::vector<Json> replies;
  for (const Json& event : host.Events()) {
    if (EventIs("reply")(event)) replies.push_back(event.contains("success"));
  }
  EXPECT_THAT(replies, ElementsAre(true, false, false));

  PCREDENTIALW stored = nullptr;
  ASSERT_TRUE(::CredReadW(kCredentialTarget, CRED_TYPE_GENERIC, 0, &stored));
  const std::string blob(reinterpret_cast<const char*>(stored->CredentialBlob),
                         stored->CredentialBlobSize);
  EXPECT_TRUE(blob == token) << "stored blob differs";
  EXPECT_STREQ(stored->UserName, L"Quorvane AI");
  ::CredFree(stored);

  host.Terminate();
  for (const Json& event : host.Events()) {
    EXPECT_EQ(event.dump().find("e2e-secret"), std::string::npos) << "the token was logged";
  }
  EXPECT_EQ(host.StandardError().find("e2e-secret"), std::string::npos);
  EXPECT_EQ(HostLog().find("e2e-secret"), std::string::npos);
}

TEST_F(HostEndToEnd, WithCloseToTrayOnClosingHidesTheWindowAndTheProcessKeepsRunning) {
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  ::PostMessageW(window, WM_CLOSE, 0, 0);

  EXPECT_NE(host.WaitForWindow(false), nullptr);
  ::Sleep(300);
  EXPECT_TRUE(host.IsRunning());
  EXPECT_EQ(host.FindOwnWindow(), window);
  EXPECT_FALSE(host.WaitForEvent(EventIs("call", {{"method", "closeRequested"}}), milliseconds(0)));
}

TEST_F(HostEndToEnd, WithCloseToTrayOffClosingAsksTheUserInterfaceAndTheWindowStays) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 1));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 0));
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  ::PostMessageW(window, WM_CLOSE, 0, 0);

  const std::optional<Json> request =
      host.WaitForEvent(EventIs("call", {{"method", "closeRequested"}}));
  ASSERT_TRUE(request);
  EXPECT_EQ((*request)["channel"], "quorvane/window");
  EXPECT_EQ((*request)["args"], nullptr);
  ::Sleep(300);
  EXPECT_TRUE(host.IsRunning());
  EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(HostEndToEnd, CloseAfterCloseRequestedEndsTheProcessWithZero) {
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTrayConfigured", 1));
  ASSERT_TRUE(registry_test::SetDesktopDword(L"CloseToTray", 0));
  HostProcess host({{{{"reply_to_close", true}}, kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  ::PostMessageW(window, WM_CLOSE, 0, 0);

  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_TRUE(host.WaitForEvent(EventIs("call", {{"method", "closeRequested"}}), milliseconds(0)));
  EXPECT_TRUE(host.WaitForEvent(EventIs("shutdown"), milliseconds(0)));
}

TEST_F(HostEndToEnd, BeginDragMovesTheWindowWithTheMouseAndRepliesWhenReleased) {
  HostProcess host({{Wait(1000), Call("quorvane/window", "beginDrag"), kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  RECT before{};
  ::GetWindowRect(window, &before);

  // The user presses the button on the drawn title bar; the user interface then
  // asks for the drag, and the window manager's move loop takes over.
  ::SetCursorPos(before.left + 200, before.top + 20);
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  ::SendInput(1, &press, sizeof(press));
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  ASSERT_TRUE(WaitUntil([thread] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
  })) << "no move loop started";
  EXPECT_FALSE(host.WaitForReply("quorvane/window", "beginDrag", milliseconds(0)));

  ::SetCursorPos(before.left + 260, before.top + 50);
  INPUT release{};
  release.type = INPUT_MOUSE;
  release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &release, sizeof(release));

  const std::optional<Json> reply = host.WaitForReply("quorvane/window", "beginDrag");
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)["success"], nullptr);
  RECT after{};
  ::GetWindowRect(window, &after);
  EXPECT_EQ(after.left - before.left, 60);
  EXPECT_EQ(after.top - before.top, 30);
}

TEST_F(HostEndToEnd, DraggingTheLeftEdgeOverTheViewResizesTheWindow) {
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  const RECT before = WindowRect(window);
  const LONG middle = (before.top + before.bottom) / 2;

  // 2 pixels inside the left edge, where the engine's view lies.
  ::SetCursorPos(before.left + 2, middle);
  PressLeftButton(true);
  ASSERT_TRUE(WaitUntil([window] { return InMoveOrSizeLoop(window); })) << "no size loop started";
  ::SetCursorPos(before.left + 2 - 40, middle);
  PressLeftButton(false);

  EXPECT_TRUE(WaitUntil([&] {
    const RECT after = WindowRect(window);
    return after.left == before.left - 40 && after.right == before.right &&
           after.top == before.top && after.bottom == before.bottom;
  })) << "left edge at "
      << WindowRect(window).left << ", expected " << before.left - 40;
}

TEST_F(HostEndToEnd, ToggleMaximizeFillsTheWorkAreaAndRestoresThePlacement) {
  const Json toggle = Call("quorvane/window", "toggleMaximize");
  HostProcess host({{Wait(1000), toggle, Wait(3000), toggle, kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  const RECT before = WindowRect(window);
  RECT work_area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
  // Run with a work area smaller than the screen (see two_monitor_test.sh), the
  // imitation of a taskbar must be in force.
  if (const char* expected = std::getenv("QUORVANE_EXPECTED_WORK_AREA")) {
    ASSERT_EQ(Describe(work_area), expected);
  }
  const auto replies = [&host] {
    return CountOf(host, EventIs("reply", {{"method", "toggleMaximize"}}));
  };

  ASSERT_TRUE(WaitUntil([&] { return replies() == 1; }));
  EXPECT_TRUE(::IsZoomed(window));
  EXPECT_EQ(Corners(ClientRectOnScreen(window)), Corners(work_area));
  EXPECT_EQ(Corners(WindowRect(window)), Corners(work_area));

  ASSERT_TRUE(WaitUntil([&] { return replies() == 2; }));
  EXPECT_FALSE(::IsZoomed(window));
  EXPECT_EQ(Corners(WindowRect(window)), Corners(before));
}

TEST_F(HostEndToEnd, MaximiseFillsTheWorkAreaOfTheWindowsOwnMonitorOnTwoMonitors) {
  const std::optional<std::array<RECT, 2>> work_areas = TwoWorkAreas();
  if (!work_areas) GTEST_SKIP() << "one monitor";
  const RECT& primary = (*work_areas)[0];
  const RECT& secondary = (*work_areas)[1];
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  for (const RECT& work_area : {secondary, primary}) {
    SCOPED_TRACE("work area " + Describe(work_area));
    ::SetWindowPos(window, nullptr, work_area.left + 100, work_area.top + 100, 1280, 720,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT before = WindowRect(window);
    ::PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] {
      return ::IsZoomed(window) && Corners(WindowRect(window)) == Corners(work_area);
    })) << "maximised to "
        << Describe(WindowRect(window));
    EXPECT_EQ(Corners(ClientRectOnScreen(window)), Corners(work_area));
    ::PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return Corners(WindowRect(window)) == Corners(before); }))
        << "restored to " << Describe(WindowRect(window));
  }

  // Moved to the other monitor while maximised, it fills that one.
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return ::IsZoomed(window) != 0; }));
  ::SetWindowPos(window, nullptr, secondary.left + 10, secondary.top + 10, 1280, 720,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Corners(WindowRect(window)), Corners(secondary));
  EXPECT_TRUE(::IsZoomed(window));
}

TEST_F(HostEndToEnd, PlacementAndClampKeepToTheRightMonitorOnTwoMonitors) {
  const std::optional<std::array<RECT, 2>> work_areas = TwoWorkAreas();
  if (!work_areas) GTEST_SKIP() << "one monitor";
  const RECT& primary = (*work_areas)[0];
  const RECT& secondary = (*work_areas)[1];
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  // Centred on the primary monitor's work area, at 96 DPI.
  const RECT placed = WindowRect(window);
  EXPECT_EQ(placed.left, primary.left + (primary.right - primary.left - 1280) / 2);
  EXPECT_EQ(placed.top, primary.top + (primary.bottom - primary.top - 720) / 2);

  // Hanging off the other monitor's work area, it is pulled in there.
  ::SetWindowPos(window, nullptr, secondary.right - 1000, secondary.bottom - 300, 1280, 720,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(SendFromOutside(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(4480, 1440)), 0);
  EXPECT_EQ(Corners(WindowRect(window)),
            Corners(RECT{secondary.right - 1280, secondary.bottom - 720, secondary.right,
                         secondary.bottom}));
}

TEST_F(HostEndToEnd, KeystrokesGoToTheViewWheneverTheWindowComesBack) {
  HostProcess host({{Wait(1500), Call("quorvane/window", "hide"), Wait(500),
                     Call("quorvane/window", "show"), kEnd},
                    L"",
                    {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  HWND view = ViewIn(window);
  ASSERT_NE(view, nullptr);
  const auto focused_on_the_view = [&] {
    if (!WaitUntil([&] { return FocusOn(window) == view; })) return false;
    // Still there once the window is done showing itself.
    ::Sleep(100);
    return FocusOn(window) == view;
  };

  EXPECT_TRUE(focused_on_the_view()) << "after the first frame";

  ASSERT_TRUE(host.WaitForReply("quorvane/window", "show"));
  EXPECT_TRUE(focused_on_the_view()) << "after hide and show";

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_NE(host.WaitForWindow(false), nullptr);
  HostProcess second({{kEnd}, L"", {}});
  EXPECT_EQ(second.WaitForExit(), 0u);
  ASSERT_NE(host.WaitForWindow(true), nullptr);
  EXPECT_TRUE(focused_on_the_view()) << "after a second start";

  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([window] { return ::IsIconic(window) != 0; }));
  ::PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitUntil([window] { return ::IsIconic(window) == 0; }));
  EXPECT_TRUE(focused_on_the_view()) << "after minimise and restore";
}

TEST_F(HostEndToEnd, BeginDragWithSwappedButtonsAndOnlyTheLeftOneDownAnswersAtOnce) {
  // The left button is then the secondary one, which starts no drag. The
  // setting and the button are put back on every path.
  const BOOL was_swapped = ::SwapMouseButton(TRUE);
  PressLeftButton(true);
  struct Restore {
    BOOL swapped;
    ~Restore() {
      PressLeftButton(false);
      ::SwapMouseButton(swapped);
    }
  } restore{was_swapped};
  Json drag = Call("quorvane/window", "beginDrag");
  drag["timeout_ms"] = 2000;
  HostProcess host({{drag, kEnd}, L"", {}});

  const std::optional<Json> outcome = host.WaitForEvent([](const Json& event) {
    return EventIs("reply", {{"method", "beginDrag"}})(event) ||
           EventIs("timeout", {{"method", "beginDrag"}})(event);
  });
  ASSERT_TRUE(outcome);
  EXPECT_EQ((*outcome)["event"], "reply") << "a drag started";
}

TEST_F(HostEndToEnd, BeginDragWithoutAPressedButtonAnswersAtOnceAndCloseEndsTheHost) {
  Json drag = Call("quorvane/window", "beginDrag");
  drag["timeout_ms"] = 2000;
  HostProcess host({{drag, Call("quorvane/window", "setCloseToTray", {{"enabled", false}}),
                     Call("quorvane/window", "close"), kEnd},
                    L"",
                    {}});

  EXPECT_EQ(host.WaitForExit(), 0u);
  const std::optional<Json> reply =
      host.WaitForReply("quorvane/window", "beginDrag", milliseconds(0));
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)["success"], nullptr);
  EXPECT_FALSE(host.WaitForEvent(EventIs("timeout"), milliseconds(0)));
  EXPECT_TRUE(host.WaitForEvent(EventIs("shutdown"), milliseconds(0)));

  HostProcess next({{kEnd}, L"", {}});
  EXPECT_NE(next.WaitForWindow(true), nullptr);
}

TEST_F(HostEndToEnd, ClosingTheWindowDuringADragEndsTheProcess) {
  // The button goes down before the host starts, so that the drag request
  // always finds it down however late this process gets the processor; it is
  // released on every path, so that no later check inherits it.
  PressLeftButton(true);
  struct Release {
    ~Release() { PressLeftButton(false); }
  } release_button;
  Json drag = Call("quorvane/window", "beginDrag");
  drag["timeout_ms"] = 500;
  HostProcess host({{drag, Call("quorvane/window", "setCloseToTray", {{"enabled", false}}),
                     Call("quorvane/window", "close"), kEnd},
                    L"",
                    {}});

  // The script goes on inside the move loop and closes the window there; the
  // quit message posted then may be taken by that loop. The drag's answer was
  // overdue by then, which shows the loop was running; this is read from the
  // log, as the loop may be over before this process looks.
  EXPECT_TRUE(host.WaitForEvent(EventIs("timeout", {{"method", "beginDrag"}})));
  EXPECT_TRUE(host.WaitForEvent(EventIs("shutdown")));
  EXPECT_EQ(host.WaitForExit(), 0u);

  HostProcess next({{kEnd}, L"", {}});
  EXPECT_NE(next.WaitForWindow(true), nullptr);
}

TEST_F(HostEndToEnd, ASecondStartActivatesTheRunningWindowEvenWhenHidden) {
  HostProcess first({{kEnd}, L"", {}});
  HWND window = first.WaitForWindow(true);
  ASSERT_NE(window, nullptr);

  HostProcess second({{kEnd}, L"", {}});
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_TRUE(second.Events().empty()) << "the second start created an engine";

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_NE(first.WaitForWindow(false), nullptr);

  HostProcess third({{kEnd}, L"", {}});
  EXPECT_EQ(third.WaitForExit(), 0u);
  EXPECT_NE(first.WaitForWindow(true), nullptr);
  EXPECT_TRUE(first.IsRunning());

  // Posted, as the taskbar's minimise is: it is handled after the activation
  // message the third start posted.
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([window] { return ::IsIconic(window) != 0; }));
  HostProcess fourth({{kEnd}, L"", {}});
  EXPECT_EQ(fourth.WaitForExit(), 0u);
  EXPECT_TRUE(WaitUntil([window] { return !::IsIconic(window) && ::IsWindowVisible(window); }));
  EXPECT_TRUE(fourth.Events().empty()) << "the fourth start created an engine";
}

TEST_F(HostEndToEnd, AForeignWindowWithTheSameTitleDoesNotStopAStart) {
  // Another program's hidden window with the host's title, as an Explorer
  // window on a folder of that name would be.
  HWND foreign = ::CreateWindowExW(0, L"STATIC", kHostWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                   100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(foreign, nullptr);

  HostProcess host({{kEnd}, L"", {}});
  EXPECT_NE(host.WaitForWindow(true), nullptr);
  EXPECT_TRUE(host.IsRunning());
  EXPECT_FALSE(::IsWindowVisible(foreign));
  ::DestroyWindow(foreign);
}

TEST_F(HostEndToEnd, AnEndingSessionEndsTheHostWithZeroEvenFromTheTray) {
  HostProcess host({{kEnd}, L"", {}});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_NE(host.WaitForWindow(false), nullptr);

  // An installer's restart request, first cancelled.
  EXPECT_EQ(SendFromOutside(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
  EXPECT_EQ(SendFromOutside(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP), 0);
  ::Sleep(200);
  EXPECT_TRUE(host.IsRunning());
  EXPECT_FALSE(host.WaitForEvent(EventIs("shutdown"), milliseconds(0)));

  EXPECT_EQ(SendFromOutside(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP), 0);
  // The engine is down before the answer: the process may be ended then.
  EXPECT_TRUE(host.WaitForEvent(EventIs("shutdown"), milliseconds(0)));
  EXPECT_EQ(host.WaitForExit(), 0u);

  // The single-instance guard went with it; a log-off ends the next one.
  HostProcess next({{kEnd}, L"", {}});
  HWND next_window = next.WaitForWindow(true);
  ASSERT_NE(next_window, nullptr);
  EXPECT_EQ(SendFromOutside(next_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(SendFromOutside(next_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
  EXPECT_EQ(next.WaitForExit(), 0u);
  EXPECT_TRUE(next.WaitForEvent(EventIs("shutdown"), milliseconds(0)));
}

TEST_F(HostEndToEnd, AFailedViewControllerEndsTheProcessWithOne) {
  HostProcess host({{kEnd}, L"", {{L"STANDIN_FAIL", L"view_controller"}}});

  EXPECT_EQ(host.WaitForExit(), 1u);
  EXPECT_THAT(StandardErrorLines(host), ElementsAre("Failed to create view controller."));
  // The same line in the log, with what a support engineer needs around it.
  const std::vector<std::string> log = LogLinesOf(host.id());
  ASSERT_EQ(log.size(), 4u);
  EXPECT_THAT(log[0], HasSubstr(" INFO Quorvane AI 1.0.0.0 starting on Windows "));
  EXPECT_THAT(log[1], EndsWith(" WARN Failed to create view controller."));
  EXPECT_THAT(log[2], HasSubstr(" ERROR The engine's view could not be created (Windows error "));
  EXPECT_THAT(log[3], EndsWith(" INFO Exiting with code 1: the window could not be created."));
  EXPECT_FALSE(host.WaitForEvent(EventIs("frame"), milliseconds(0)));
  EXPECT_FALSE(host.WaitForEvent(EventIs("plugin"), milliseconds(0)));
}

TEST_F(HostEndToEnd, StartedWithoutStreamsTheLogKeepsEverythingButTheToken) {
  // ASCII, so that its UTF-16 form above is exact.
  const std::string token = "e2e-secret-log-token-4242";
  HostProcess host({{Call("quorvane/credential", "writeCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "readCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "deleteCodexToken"),
                     {{"raw", "quorvane/settings"}, {"hex", "07 03 66 6f 6f"}},
                     Call("quorvane/window", "setCloseToTray", {{"enabled", false}}),
                     {{"reply_to_close", true}},
                     kEnd},
                    L"first-argument second-argument",
                    {},
                    /*without_standard_streams=*/true});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  // The malformed message is the last step that leaves a trace in the log.
  ASSERT_TRUE(WaitUntil([&] { return HostLog().find("script_done") != std::string::npos; }));

  HostProcess second({{kEnd}, L"", {}});
  EXPECT_EQ(second.WaitForExit(), 0u);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(host.WaitForExit(), 0u);

  const std::vector<std::string> lines = LogLinesOf(host.id());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_THAT(lines.front(), HasSubstr(" INFO Quorvane AI 1.0.0.0 starting on Windows "));
  EXPECT_THAT(lines.front(), HasSubstr(", 64-bit, DPI awareness "));
  EXPECT_THAT(lines.front(), HasSubstr(", 1 monitor, window DPI 96, 2 command-line arguments."));
  EXPECT_THAT(lines, Contains(EndsWith(" WARN Invalid read in StandardCodecByteStreamReader")));
  EXPECT_THAT(lines.back(), EndsWith(" INFO Exiting with code 0: the window was closed."));
  const std::vector<std::string> second_lines = LogLinesOf(second.id());
  ASSERT_EQ(second_lines.size(), 2u);
  EXPECT_THAT(second_lines[0], HasSubstr(", window DPI none, 0 command-line arguments."));
  EXPECT_THAT(second_lines[1],
              EndsWith(" INFO Exiting with code 0: handed over to the running instance."));

  // What the engine printed (here the stand-in's events) is there too.
  const std::string log = HostLog();
  EXPECT_THAT(log, HasSubstr("\"event\":\"engine\""));
  EXPECT_THAT(log, HasSubstr("\"event\":\"shutdown\""));
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("first-argument"), std::string::npos) << "the host logged an argument";
  }
  for (const std::string& encoded : Encodings(token)) {
    EXPECT_EQ(log.find(encoded), std::string::npos) << "the token was logged";
  }
  EXPECT_TRUE(HostDumps().empty());
}

TEST_F(HostEndToEnd, ACrashLeavesADumpAndALogLineAndEndsWithTheExceptionCode) {
  const std::vector<std::pair<std::string, DWORD>> faults = {{"access_violation", 0xC0000005},
                                                             {"terminate", 0xC0000409}};
  for (const auto& [fault, code] : faults) {
    RemoveHostDiagnostics();
    HostProcess host({{Json{{"fault", fault}}}, L"", {}});
    EXPECT_EQ(host.WaitForExit(), code) << fault;

    const std::vector<std::wstring> dumps = HostDumps();
    ASSERT_EQ(dumps.size(), 1u) << fault;
    const std::string dump(dumps[0].begin(), dumps[0].end());
    EXPECT_THAT(dump, StartsWith("quorvane_ai-"));
    EXPECT_THAT(dump, EndsWith("Z-" + std::to_string(host.id()) + ".dmp"));
    EXPECT_THAT(ReadFile(HostDataFolder() + L"\\crashes\\" + dumps[0]), StartsWith("MDMP"));
    char hex_code[16];
    std::snprintf(hex_code, sizeof(hex_code), "0x%08lX", code);
    EXPECT_THAT(LogLinesOf(host.id()),
                Contains(AllOf(HasSubstr(" ERROR Crash ("),
                               HasSubstr(std::string("): exception ") + hex_code + " at 0x"),
                               EndsWith("; dump " + dump + "."))))
        << fault;
  }
}

TEST_F(HostEndToEnd, WithoutAWritableLogFolderTheHostRunsAsBefore) {
  // A file where the log folder would be.
  const std::wstring logs = HostDataFolder() + L"\\logs";
  ::CreateDirectoryW(HostDataFolder().c_str(), nullptr);
  ::RemoveDirectoryW(logs.c_str());
  ASSERT_TRUE(::CloseHandle(::CreateFileW(logs.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr)));

  HostProcess host({{Call("quorvane/settings", "isCloseToTrayEnabled"), kEnd}, L"", {}, true});
  EXPECT_NE(host.WaitForWindow(true), nullptr);
  EXPECT_TRUE(host.IsRunning());
  host.Terminate();
  ::DeleteFileW(logs.c_str());
}

}  // namespace
}  // namespace e2e
