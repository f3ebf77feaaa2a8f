// The top-level window: creation, placement on screen, showing, the frame and
// the window class.
#include <gtest/gtest.h>

#include <memory>

#include "runner/window/win32_window.h"
#include "tests/runner/window/win32_window_fixture.h"
#include "tests/support/registry_test_support.h"

namespace quorvane::window_test {
namespace {

TEST_F(Win32WindowTest, CreatesAHiddenFramelessResizableWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Frameless", {100, 80}, {1280, 720}));
  HWND handle = window.NativeHandle();
  ASSERT_NE(handle, nullptr);

  EXPECT_FALSE(::IsWindowVisible(handle));
  EXPECT_EQ(window.on_create_calls, 1);
  const LONG_PTR style = ::GetWindowLongPtrW(handle, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  EXPECT_EQ(style & WS_CAPTION, 0);
  wchar_t title[32] = {};
  ::GetWindowTextW(handle, title, 32);
  EXPECT_STREQ(title, L"Frameless");

  // The client area covers the whole window: no visible frame.
  const RECT frame = WindowRect(handle);
  const RECT client = window.GetClientBounds();
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, frame.right - frame.left);
  EXPECT_EQ(client.bottom, frame.bottom - frame.top);
}

TEST_F(Win32WindowTest, CreationScalesTheLogicalPlacementByTheMonitorDpi) {
  engine_.dpi = 120;
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Scaled", {40, 20}, {800, 500}));
  const RECT frame = WindowRect(window.NativeHandle());
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 25);
  EXPECT_EQ(frame.right - frame.left, 1000);
  EXPECT_EQ(frame.bottom - frame.top, 625);
}

TEST_F(Win32WindowTest, CreationPullsTheWindowIntoTheWorkArea) {
  const RECT work_area = WorkArea();
  TestWindow window;
  ASSERT_TRUE(
      window.Create(L"Clamped", {work_area.right - 100, work_area.bottom - 50}, {1100, 730}));
  const RECT frame = WindowRect(window.NativeHandle());
  EXPECT_EQ(frame.right, work_area.right);
  EXPECT_EQ(frame.bottom, work_area.bottom);
  EXPECT_EQ(frame.right - frame.left, 1100);
}

TEST_F(Win32WindowTest, CreateReportsWhatOnCreateReturns) {
  TestWindow window;
  window.create_result = false;
  EXPECT_FALSE(window.Create(L"Refused", {0, 0}, {1280, 720}));
  EXPECT_NE(window.NativeHandle(), nullptr);
}

TEST_F(Win32WindowTest, ShowMakesTheWindowVisibleAndActive) {
  TestWindow window;
  EXPECT_FALSE(window.Show());
  ASSERT_TRUE(window.Create(L"Shown", {100, 100}, {1280, 720}));
  ::ShowWindow(window.NativeHandle(), SW_MINIMIZE);

  EXPECT_TRUE(window.Show());

  EXPECT_TRUE(::IsWindowVisible(window.NativeHandle()));
  EXPECT_FALSE(::IsIconic(window.NativeHandle()));
  EXPECT_EQ(::GetForegroundWindow(), window.NativeHandle());
}

TEST_F(Win32WindowTest, ShowBringsAWindowLeftOffScreenBack) {
  const RECT work_area = WorkArea();
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Lost", {100, 100}, {1280, 720}));
  ::SetWindowPos(window.NativeHandle(), nullptr, work_area.right + 500, -3000, 1280, 720,
                 SWP_NOZORDER | SWP_NOACTIVATE);

  window.Show();

  const RECT frame = WindowRect(window.NativeHandle());
  EXPECT_EQ(frame.right, work_area.right);
  EXPECT_EQ(frame.top, work_area.top);
}

TEST_F(Win32WindowTest, ClampShrinksAndMovesAnOversizedWindow) {
  const RECT work_area = WorkArea();
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Oversized", {0, 0}, {800, 600}));
  HWND handle = window.NativeHandle();
  ::SetWindowPos(handle, nullptr, -100, 50, work_area.right - work_area.left,
                 work_area.bottom - work_area.top + 40, SWP_NOZORDER | SWP_NOACTIVATE);

  ClampToWorkArea(handle);

  const RECT frame = WindowRect(handle);
  EXPECT_EQ(frame.left, work_area.left);
  EXPECT_EQ(frame.top, work_area.top);
  EXPECT_EQ(frame.right, work_area.right);
  EXPECT_EQ(frame.bottom, work_area.bottom);
  ClampToWorkArea(nullptr);
}

TEST_F(Win32WindowTest, SettingDisplayAndDpiChangesPullTheWindowIn) {
  const RECT work_area = WorkArea();
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Pulled in", {100, 100}, {1100, 730}));
  HWND handle = window.NativeHandle();
  for (UINT message : {WM_SETTINGCHANGE, WM_DISPLAYCHANGE, WM_DPICHANGED}) {
    ::SetWindowPos(handle, nullptr, work_area.left - 300, work_area.top + 10, 1100, 730,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT suggested = WindowRect(handle);
    ::SendMessageW(handle, message, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(WindowRect(handle).left, work_area.left) << "message " << message;
  }
}

TEST_F(Win32WindowTest, MinimisedMaximisedAndMovingWindowsAreLeftWhereTheyAre) {
  const RECT work_area = WorkArea();
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Left alone", {100, 100}, {1100, 730}));
  HWND handle = window.NativeHandle();
  const auto send_changes = [handle] {
    RECT suggested = WindowRect(handle);
    ::SendMessageW(handle, WM_SETTINGCHANGE, 0, 0);
    ::SendMessageW(handle, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    ::SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  };
  const auto place_off_screen = [&] {
    ::SetWindowPos(handle, nullptr, work_area.left - 300, work_area.top + 10, 1100, 730,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  };

  place_off_screen();
  ::ShowWindow(handle, SW_SHOWMINNOACTIVE);
  // Parked where Windows parks a minimised window, far outside every work
  // area (Wine keeps it inside).
  ::SetWindowPos(handle, nullptr, -32000, -32000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  ::GetWindowPlacement(handle, &placement);
  const RECT minimized = WindowRect(handle);
  // No move may be asked for: the system would restore the window there.
  window.move_requests = 0;
  ::SendMessageW(handle, WM_SETTINGCHANGE, 0, 0);
  ::SendMessageW(handle, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
  EXPECT_EQ(window.move_requests, 0);
  send_changes();
  WINDOWPLACEMENT after{};
  after.length = sizeof(after);
  ::GetWindowPlacement(handle, &after);
  EXPECT_EQ(Corners(WindowRect(handle)), Corners(minimized));
  EXPECT_EQ(Corners(after.rcNormalPosition), Corners(placement.rcNormalPosition));

  ::ShowWindow(handle, SW_MAXIMIZE);
  const RECT maximized = WindowRect(handle);
  send_changes();
  EXPECT_TRUE(::IsZoomed(handle));
  EXPECT_EQ(Corners(WindowRect(handle)), Corners(maximized));

  // Being dragged, it follows the mouse; it is pulled in once the drag ends.
  ::ShowWindow(handle, SW_RESTORE);
  place_off_screen();
  ::SendMessageW(handle, WM_ENTERSIZEMOVE, 0, 0);
  send_changes();
  EXPECT_EQ(WindowRect(handle).left, work_area.left - 300);
  ::SendMessageW(handle, WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(WindowRect(handle).left, work_area.left);
}

TEST_F(Win32WindowTest, TheFrameFollowsTheStoredAppTheme) {
  constexpr wchar_t kThemeKey[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
  const std::optional<registry_test::RawValue> stored =
      registry_test::ReadRawValue(kThemeKey, L"AppsUseLightTheme");
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Themed", {0, 0}, {1280, 720}));

  ASSERT_TRUE(registry_test::SetRawValue(kThemeKey, L"AppsUseLightTheme", REG_DWORD,
                                         registry_test::DwordBytes(0)));
  EXPECT_EQ(ApplySystemTheme(window.NativeHandle()), true);
  ASSERT_TRUE(registry_test::SetRawValue(kThemeKey, L"AppsUseLightTheme", REG_DWORD,
                                         registry_test::DwordBytes(1)));
  EXPECT_EQ(ApplySystemTheme(window.NativeHandle()), false);
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kThemeKey, L"AppsUseLightTheme");
  EXPECT_EQ(ApplySystemTheme(window.NativeHandle()), std::nullopt);

  if (stored) {
    registry_test::SetRawValue(kThemeKey, L"AppsUseLightTheme", stored->type, stored->bytes);
  }
}

TEST_F(Win32WindowTest, MinimumTrackSizeIs1080By720LogicalPixels) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Minimum", {0, 0}, {1280, 720}));
  MINMAXINFO info{};
  info.ptMaxTrackSize = {12345, 6789};
  ::SendMessageW(window.NativeHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 1080);
  EXPECT_EQ(info.ptMinTrackSize.y, 720);
  EXPECT_EQ(info.ptMaxTrackSize.x, 12345);
}

TEST_F(Win32WindowTest, DestroyingTheNativeWindowPostsQuitOnlyWhenAsked) {
  TestWindow quiet;
  ASSERT_TRUE(quiet.Create(L"Quiet", {0, 0}, {1280, 720}));
  ::DestroyWindow(quiet.NativeHandle());
  EXPECT_EQ(quiet.NativeHandle(), nullptr);
  EXPECT_EQ(quiet.on_destroy_calls, 2);  // once from Create, once from WM_DESTROY
  EXPECT_FALSE(TakeQuitMessage());

  TestWindow quitting;
  ASSERT_TRUE(quitting.Create(L"Quitting", {0, 0}, {1280, 720}));
  quitting.SetQuitOnDestroy(true);
  ::DestroyWindow(quitting.NativeHandle());
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(Win32WindowTest, TheActivationMessageBringsTheWindowBackFromInside) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Activated", {100, 100}, {1280, 720}));
  HWND handle = window.NativeHandle();
  const UINT activate = ::RegisterWindowMessageW(L"QuorvaneAI.Desktop.ActivateWindow.v1");

  ::PostMessageW(handle, activate, 0, 0);
  TakeQuitMessage();
  EXPECT_TRUE(::IsWindowVisible(handle));
  EXPECT_EQ(::GetForegroundWindow(), handle);

  ::ShowWindow(handle, SW_MINIMIZE);
  ::PostMessageW(handle, activate, 0, 0);
  TakeQuitMessage();
  EXPECT_FALSE(::IsIconic(handle));

  // A maximised window hidden in the tray comes back maximised.
  ::ShowWindow(handle, SW_MAXIMIZE);
  ::ShowWindow(handle, SW_HIDE);
  ::PostMessageW(handle, activate, 0, 0);
  TakeQuitMessage();
  EXPECT_TRUE(::IsWindowVisible(handle));
  EXPECT_TRUE(::IsZoomed(handle));
}

TEST_F(Win32WindowTest, TheClassIsUnregisteredWithTheLastWindowObject) {
  auto first = std::make_unique<TestWindow>();
  auto second = std::make_unique<TestWindow>();
  ASSERT_TRUE(first->Create(L"First", {0, 0}, {1280, 720}));
  ASSERT_TRUE(second->Create(L"Second", {0, 0}, {1280, 720}));
  EXPECT_TRUE(ClassRegistered());

  // A destroyed native window leaves the class while its object lives.
  ::DestroyWindow(first->NativeHandle());
  EXPECT_TRUE(ClassRegistered());
  first.reset();
  EXPECT_TRUE(ClassRegistered());

  second.reset();
  EXPECT_FALSE(ClassRegistered());

  // And registering it again works.
  TestWindow third;
  ASSERT_TRUE(third.Create(L"Third", {0, 0}, {1280, 720}));
  EXPECT_TRUE(ClassRegistered());
}

}  // namespace
}  // namespace quorvane::window_test
