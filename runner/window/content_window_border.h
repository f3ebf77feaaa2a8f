// The resize border of the frameless top-level window, kept reachable over the
// content window that covers its whole client area.
#pragma once

#include <windows.h>

namespace quorvane {

/// The hit-test answer of window's resize border for the packed screen point
/// of a WM_NCHITTEST: an edge or corner, or HTCLIENT.
LRESULT ResizeHitTest(HWND window, LPARAM lparam);

/// Puts a procedure in front of child's own, once: within the top-level
/// window's resize border it answers HTTRANSPARENT, so the border beneath
/// resizes the window. When child is destroyed it sends its parent
/// ContentWindowGoneMessage and takes itself out again.
void LetTheBorderThroughContent(HWND child);

/// The message the content window sends its parent from WM_NCDESTROY, the last
/// message it gets; lparam is the content window.
UINT ContentWindowGoneMessage();

}  // namespace quorvane
