// The resize border seen through the content window: the top-level window's
// hit test of its border, and the content window's procedure put in front of
// its own so that the border stays reachable over the content and the
// top-level window learns when the content is gone.
#include "runner/window/content_window_border.h"

#include "runner/window/window_geometry.h"

namespace quorvane {
namespace {

// Where the content window keeps the window procedure it had before.
constexpr wchar_t kContentProcedureProperty[] = L"QuorvaneAI.ContentWindowProcedure";

// The content window's procedure in front of its own: within the resize border
// it answers HTTRANSPARENT, so that the hit test passes to the top-level window
// beneath (same thread), whose border then resizes it. A maximised window has
// no border; every other point and message is the content window's own.
LRESULT CALLBACK ContentWindowProcedure(HWND child, UINT message, WPARAM wparam,
                                        LPARAM lparam) noexcept {
  const auto own_procedure = reinterpret_cast<WNDPROC>(
      reinterpret_cast<LONG_PTR>(::GetPropW(child, kContentProcedureProperty)));
  if (message == WM_NCHITTEST) {
    HWND top_level = ::GetAncestor(child, GA_PARENT);
    if (top_level != nullptr && !::IsZoomed(top_level) &&
        ResizeHitTest(top_level, lparam) != HTCLIENT) {
      return HTTRANSPARENT;
    }
  } else if (message == WM_NCDESTROY) {
    // Sent for every window, unlike WM_PARENTNOTIFY, which a child with
    // WS_EX_NOPARENTNOTIFY does not send.
    if (HWND parent = ::GetAncestor(child, GA_PARENT)) {
      ::SendMessageW(parent, ContentWindowGoneMessage(), 0, reinterpret_cast<LPARAM>(child));
    }
    ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own_procedure));
    ::RemovePropW(child, kContentProcedureProperty);
  }
  if (own_procedure == nullptr) return ::DefWindowProcW(child, message, wparam, lparam);
  return ::CallWindowProcW(own_procedure, child, message, wparam, lparam);
}

}  // namespace

LRESULT ResizeHitTest(HWND window, LPARAM lparam) {
  const PixelPoint screen_point = PointFromPackedCoordinates(lparam);
  POINT point{screen_point.x, screen_point.y};
  ::ScreenToClient(window, &point);
  RECT client{};
  ::GetClientRect(window, &client);
  const HitArea area = HitTestResizeBorder({point.x, point.y}, {client.right, client.bottom},
                                           ::GetDpiForWindow(window));
  return static_cast<LRESULT>(area);
}

UINT ContentWindowGoneMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"QuorvaneAI.Desktop.ContentWindowGone");
  return message;
}

// Puts ContentWindowProcedure in front of the child's own procedure, once.
void LetTheBorderThroughContent(HWND child) {
  if (::GetPropW(child, kContentProcedureProperty) != nullptr) return;
  const LONG_PTR own_procedure = ::GetWindowLongPtrW(child, GWLP_WNDPROC);
  if (own_procedure == 0) return;
  if (!::SetPropW(child, kContentProcedureProperty, reinterpret_cast<HANDLE>(own_procedure))) {
    return;
  }
  ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ContentWindowProcedure));
}

}  // namespace quorvane
