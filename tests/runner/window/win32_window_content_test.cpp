// The top-level window with the engine's view inside: the resize border kept
// reachable over the view, the view filling the client area, the focus, and
// the view going away.
#include <gtest/gtest.h>

#include "runner/window/win32_window.h"
#include "tests/runner/window/win32_window_fixture.h"

namespace quorvane::window_test {
namespace {

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

TEST_F(Win32WindowTest, TheViewLetsTheResizeBorderThroughToTheWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Edges", {200, 200}, {1280, 720}));
  HWND handle = window.NativeHandle();
  HWND view = CreateView();
  ASSERT_NE(view, nullptr);
  window.SetContentWindow(view);
  ::ShowWindow(handle, SW_SHOWNORMAL);
  const RECT frame = WindowRect(handle);
  const LONG middle_x = (frame.left + frame.right) / 2;
  const LONG middle_y = (frame.top + frame.bottom) / 2;
  const auto hit = [](HWND target, LONG x, LONG y) {
    return ::SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(x, y));
  };

  const struct {
    LONG x, y;
    LRESULT code;
  } edges[] = {
      {frame.left + 2, frame.top + 2, HTTOPLEFT},
      {middle_x, frame.top + 2, HTTOP},
      {frame.right - 2, frame.top + 2, HTTOPRIGHT},
      {frame.left + 2, middle_y, HTLEFT},
      {frame.right - 2, middle_y, HTRIGHT},
      {frame.left + 2, frame.bottom - 2, HTBOTTOMLEFT},
      {middle_x, frame.bottom - 2, HTBOTTOM},
      {frame.right - 2, frame.bottom - 2, HTBOTTOMRIGHT},
  };
  for (const auto& edge : edges) {
    EXPECT_EQ(hit(view, edge.x, edge.y), HTTRANSPARENT) << edge.x << "," << edge.y;
    EXPECT_EQ(hit(handle, edge.x, edge.y), edge.code) << edge.x << "," << edge.y;
  }
  EXPECT_EQ(hit(view, middle_x, middle_y), kViewHitAnswer);
  // The window under the point, as the mouse finds it.
  EXPECT_EQ(::WindowFromPoint(POINT{frame.left + 2, middle_y}), handle);
  EXPECT_EQ(::WindowFromPoint(POINT{middle_x, middle_y}), view);

  // Maximised, there is no border: the view answers everywhere.
  ::ShowWindow(handle, SW_MAXIMIZE);
  const RECT maximized = WindowRect(handle);
  EXPECT_EQ(hit(view, maximized.left + 2, (maximized.top + maximized.bottom) / 2), kViewHitAnswer);
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

TEST_F(Win32WindowTest, TheFocusGivenToTheWindowGoesOnToTheContentWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Focus", {0, 0}, {1280, 720}));
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 window.NativeHandle(), nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  window.SetContentWindow(child);

  ::SetFocus(nullptr);
  ::SetFocus(window.NativeHandle());
  EXPECT_EQ(::GetFocus(), child);

  ::SetFocus(nullptr);
  ::SendMessageW(window.NativeHandle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), child);
}

TEST_F(Win32WindowTest, TheFocusReturnsToTheWindowInsideThatHadIt) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Focus kept", {0, 0}, {1280, 720}));
  HWND handle = window.NativeHandle();
  HWND view = CreateView();
  ASSERT_NE(view, nullptr);
  window.SetContentWindow(view);
  // A plug-in's window inside the view, such as a web view's.
  HWND inner = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, view,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(inner, nullptr);
  HWND grandchild = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, inner,
                                      nullptr, nullptr, nullptr);
  ASSERT_NE(grandchild, nullptr);
  window.Show();
  ::SetFocus(grandchild);
  ASSERT_EQ(::GetFocus(), grandchild);

  // A deactivation takes nothing from where the focus is.
  ::SendMessageW(handle, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(::GetFocus(), grandchild);

  // Another window comes to the front, then this one again.
  HWND other = ::CreateWindowExW(0, L"STATIC", L"Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ::SetActiveWindow(other);
  ::SetFocus(other);
  ASSERT_EQ(::GetFocus(), other);
  ::SetActiveWindow(handle);
  EXPECT_EQ(::GetFocus(), grandchild);

  // Once that window is gone, the focus goes to the view again.
  ::SetActiveWindow(other);
  ::DestroyWindow(grandchild);
  ::SetActiveWindow(handle);
  EXPECT_EQ(::GetFocus(), view);

  // Activated while minimised, the window gives the focus to no one.
  ::SetFocus(nullptr);
  ::SendMessageW(handle, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, TRUE), 0);
  EXPECT_EQ(::GetFocus(), nullptr);
  ::DestroyWindow(other);
}

TEST_F(Win32WindowTest, TheContentWindowIsForgottenOnceItIsDestroyed) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"Content gone", {0, 0}, {1280, 720}));
  HWND handle = window.NativeHandle();
  // A view that does not notify its parent (WS_EX_NOPARENTNOTIFY).
  HWND first = CreateView(WS_EX_NOPARENTNOTIFY);
  HWND second = CreateView(WS_EX_NOPARENTNOTIFY);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  window.SetContentWindow(first);
  window.SetContentWindow(second);

  // A former content window going leaves the current one in place.
  ::DestroyWindow(first);
  EXPECT_EQ(window.ContentWindow(), second);

  ::DestroyWindow(second);
  EXPECT_EQ(window.ContentWindow(), nullptr);
  // The focus and size changes that came after it stay with the window.
  ::SetFocus(handle);
  EXPECT_EQ(::GetFocus(), handle);
  ::SetWindowPos(handle, nullptr, 0, 0, 1300, 800, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(window.GetClientBounds().right, 1300);
}

}  // namespace
}  // namespace quorvane::window_test
