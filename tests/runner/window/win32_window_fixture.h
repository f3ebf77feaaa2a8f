// What the tests of the top-level window share: a window object that counts
// its calls, a child window standing in for the engine's view, and queries of
// the window's place on screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>

#include "runner/window/win32_window.h"
#include "tests/fakes/recording_engine.h"

namespace quorvane::window_test {

constexpr wchar_t kClassName[] = L"FLUTTER_RUNNER_WIN32_WINDOW";

inline bool ClassRegistered() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  return ::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &info) != 0;
}

inline RECT WorkArea() {
  RECT work_area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
  return work_area;
}

inline RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

inline std::array<LONG, 4> Corners(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// What the stand-in for the engine's view answers to a hit test: a code of
// its own, so that a test can tell it from the window's answers.
constexpr LRESULT kViewHitAnswer = HTBORDER;

inline LRESULT CALLBACK ViewProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCHITTEST) return kViewHitAnswer;
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// A child window standing in for the engine's view.
inline HWND CreateView(DWORD extended_style = 0) {
  WNDCLASSW view_class{};
  view_class.lpfnWndProc = ViewProcedure;
  view_class.hInstance = ::GetModuleHandleW(nullptr);
  view_class.lpszClassName = L"QuorvaneTestView";
  ::RegisterClassW(&view_class);
  return ::CreateWindowExW(extended_style, L"QuorvaneTestView", L"", WS_CHILD | WS_VISIBLE, 0, 0,
                           10, 10, ::GetDesktopWindow(), nullptr, ::GetModuleHandleW(nullptr),
                           nullptr);
}

// Takes WM_QUIT out of the thread's queue; true when there was one.
inline bool TakeQuitMessage() {
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
  // Position changes that may move the window.
  int move_requests = 0;

 protected:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept override {
    if (message == WM_WINDOWPOSCHANGING &&
        (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_NOMOVE) == 0) {
      ++move_requests;
    }
    return Win32Window::HandleMessage(window, message, wparam, lparam);
  }
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

}  // namespace quorvane::window_test
