#include "runner/win32_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/recording_engine.h"

namespace quorvane {
namespace {

constexpr wchar_t kClassName[] = L"FLUTTER_RUNNER_WIN32_WINDOW";

bool ClassRegistered() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  return ::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &info) != 0;
}

RECT WorkArea() {
  RECT work_area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
  return work_area;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

// Takes WM_QUIT out of the thread's queue; true when there was one.
bool TakeQuitMessage() {
  MSG message;
  bool quit = false;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) quit = true;
    ::DispatchMessageW(&message);
  }
  return quit;
}

class TestWindow : public Win32Window {
 public:
  bool create_result = true;
  int on_create_calls = 0;
  int on_destroy_calls = 0;

 protected:
  bool OnCreate() override {
    ++on_create_calls;
    return create_result;
  }
  void OnDestroy() override { ++on_destroy_calls; }
};

class Win32WindowTest : public ::testing::Test {
 protected:
  fakes::RecordingEngine engine_;
};

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

TEST_F(Win32WindowTest, HitTestOffersResizeHandlesAtTheEdgesOnly) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Hit test", {200, 200}, {1280, 720}));
  HWND handle = window.NativeHandle();
  const RECT frame = WindowRect(handle);
  const auto hit = [handle](LONG x, LONG y) {
    return ::SendMessageW(handle, WM_NCHITTEST, 0, MAKELPARAM(x, y));
  };
  EXPECT_EQ(hit(frame.left + 3, frame.top + 3), HTTOPLEFT);
  EXPECT_EQ(hit(frame.left + 400, frame.top + 3), HTTOP);
  EXPECT_EQ(hit(frame.right - 3, frame.bottom - 3), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(frame.right - 8, frame.top + 300), HTRIGHT);
  EXPECT_EQ(hit(frame.right - 9, frame.top + 300), HTCLIENT);
  EXPECT_EQ(hit(frame.left + 640, frame.top + 360), HTCLIENT);
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

TEST_F(Win32WindowTest, ContentWindowFillsTheClientAreaAndFollowsResizes) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Content", {0, 0}, {1280, 720}));
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10,
                                 ::GetDesktopWindow(), nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);

  window.SetContentWindow(child);
  EXPECT_EQ(::GetParent(child), window.NativeHandle());
  RECT child_rect{};
  ::GetClientRect(child, &child_rect);
  EXPECT_EQ(child_rect.right, window.GetClientBounds().right);
  EXPECT_EQ(child_rect.bottom, window.GetClientBounds().bottom);

  ::SetWindowPos(window.NativeHandle(), nullptr, 0, 0, 1300, 800, SWP_NOZORDER | SWP_NOMOVE);
  ::GetClientRect(child, &child_rect);
  EXPECT_EQ(child_rect.right, window.GetClientBounds().right);
  EXPECT_EQ(child_rect.bottom, window.GetClientBounds().bottom);
}

TEST_F(Win32WindowTest, ActivationGivesTheFocusToTheContentWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Focus", {0, 0}, {1280, 720}));
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 window.NativeHandle(), nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  window.SetContentWindow(child);
  ::SetFocus(window.NativeHandle());
  ASSERT_EQ(::GetFocus(), window.NativeHandle());

  ::SendMessageW(window.NativeHandle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), child);
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
}  // namespace quorvane
