// The real host executable under Wine, run with the scripted stand-in engine
// and plug-ins: its start, its arguments, closing its window, a second start
// and the end of the session.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/host_e2e_fixture.h"
#include "tests/e2e/host_process.h"
#include "tests/support/registry_test_support.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;

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

}  // namespace
}  // namespace e2e
