// Window classes and windows of the stand-in engine.
#include "standin/engine/owned_window.h"

namespace standin {
namespace {

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

OwnedWindow::OwnedWindow(const wchar_t* class_name, DWORD style, HWND parent, int width, int height,
                         WindowMessageHandler* handler)
    : handler_(handler) {
  const HINSTANCE module = ThisModule();
  WNDCLASSEXW window_class = {};
  if (!GetClassInfoExW(module, class_name, &window_class)) {
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = &OwnedWindow::WindowProc;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = class_name;
    RegisterClassExW(&window_class);
  }
  CreateWindowExW(0, class_name, L"", style, 0, 0, width, height, parent, nullptr, module, this);
}

OwnedWindow::~OwnedWindow() { Destroy(); }

void OwnedWindow::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK OwnedWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* window =
        static_cast<OwnedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<OwnedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  // The handler may free this window object; nothing of it is used afterwards.
  return window->handler_->HandleWindowMessage(hwnd, message, wparam, lparam);
}

}  // namespace standin
