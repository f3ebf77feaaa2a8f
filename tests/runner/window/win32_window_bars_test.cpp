// The maximised top-level window and the auto-hide application bars, with a
// fake shell in place of the real one (the test displays have no bars): the
// strip left free on each bar's edge, and when the shell is asked again.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <array>

#include "runner/window/monitor_areas.h"
#include "runner/window/win32_window.h"
#include "tests/runner/window/win32_window_fixture.h"

namespace quorvane::window_test {
namespace {

// Answers at once, reports a bar on each edge that bars holds (indexed by
// ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM) and counts how often it is asked.
class FakeShell {
 public:
  FakeShell() {
    ReplaceApplicationBarShellForTesting(ApplicationBarShell{
        [this] {
          ++asked;
          return true;
        },
        [this](UINT edge, const RECT&) { return edge < bars.size() && bars[edge]; }});
  }
  ~FakeShell() { ReplaceApplicationBarShellForTesting(std::nullopt); }
  FakeShell(const FakeShell&) = delete;
  FakeShell& operator=(const FakeShell&) = delete;

  int asked = 0;
  std::array<bool, 4> bars{};
};

RECT MonitorWorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// The work area less one pixel on the edge of a bar.
RECT LessAStripOn(RECT area, UINT edge) {
  switch (edge) {
    case ABE_LEFT:
      ++area.left;
      break;
    case ABE_TOP:
      ++area.top;
      break;
    case ABE_RIGHT:
      --area.right;
      break;
    default:
      --area.bottom;
      break;
  }
  return area;
}

TEST_F(Win32WindowTest, EachAutoHideBarLeavesAStripOnItsOwnEdge) {
  FakeShell shell;
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Bars", {100, 100}, {1280, 720}));
  HWND handle = window.NativeHandle();
  const RECT work_area = MonitorWorkArea(handle);
  for (UINT edge : {ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM}) {
    shell.bars = {};
    shell.bars[edge] = true;
    ::ShowWindow(handle, SW_RESTORE);
    RefreshApplicationBarsLater();
    ::ShowWindow(handle, SW_MAXIMIZE);
    EXPECT_EQ(Corners(WindowRect(handle)), Corners(LessAStripOn(work_area, edge))) << edge;
  }
}

TEST_F(Win32WindowTest, SettingAndDisplayChangesMakeTheNextMaximiseAskTheShellAgain) {
  FakeShell shell;
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Asked", {100, 100}, {1280, 720}));
  HWND handle = window.NativeHandle();
  ::ShowWindow(handle, SW_MAXIMIZE);
  EXPECT_EQ(shell.asked, 1);
  ::ShowWindow(handle, SW_RESTORE);
  ::ShowWindow(handle, SW_MAXIMIZE);
  EXPECT_EQ(shell.asked, 1);

  for (UINT message : {WM_SETTINGCHANGE, WM_DISPLAYCHANGE}) {
    ::ShowWindow(handle, SW_RESTORE);
    const int asked_before = shell.asked;
    ::SendMessageW(handle, message, 0, 0);
    ::ShowWindow(handle, SW_MAXIMIZE);
    EXPECT_EQ(shell.asked, asked_before + 1) << "message " << message;
  }
}

TEST_F(Win32WindowTest, AMaximisedWindowFollowsAnAutoHideSwitchAtOnce) {
  FakeShell shell;
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Switched", {100, 100}, {1280, 720}));
  HWND handle = window.NativeHandle();
  const RECT work_area = MonitorWorkArea(handle);
  ::ShowWindow(handle, SW_MAXIMIZE);
  ASSERT_EQ(Corners(WindowRect(handle)), Corners(work_area));

  // The user turns auto-hide on for a bar at the bottom, then off again.
  shell.bars[ABE_BOTTOM] = true;
  ::SendMessageW(handle, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_TRUE(::IsZoomed(handle));
  EXPECT_EQ(Corners(WindowRect(handle)), Corners(LessAStripOn(work_area, ABE_BOTTOM)));
  EXPECT_EQ(window.GetClientBounds().bottom, work_area.bottom - work_area.top - 1);

  shell.bars = {};
  ::SendMessageW(handle, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_EQ(Corners(WindowRect(handle)), Corners(work_area));
}

}  // namespace
}  // namespace quorvane::window_test
