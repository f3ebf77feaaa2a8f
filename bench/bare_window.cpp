// The reference for bench/startup.sh: the least a Win32 program does to show a
// 1280 × 720 window, with nothing else loaded.
#include <windows.h>

namespace {

LRESULT CALLBACK BareWindowProcedure(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE /*previous_instance*/,
                      wchar_t* /*command_line*/, int /*show_command*/) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = BareWindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"BARE_WINDOW";
  if (!::RegisterClassW(&window_class)) return 1;

  HWND window = ::CreateWindowExW(0, window_class.lpszClassName, L"Bare window",
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 1280, 720,
                                  nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
