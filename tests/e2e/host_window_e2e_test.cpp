// The real host executable under Wine: its window dragged, resized, maximised
// and placed on one or two monitors, and the keyboard focus on the view.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/host_e2e_fixture.h"
#include "tests/e2e/host_process.h"

namespace e2e {
namespace {

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

}  // namespace
}  // namespace e2e
