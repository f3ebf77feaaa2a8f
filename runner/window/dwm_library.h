// The Desktop Window Manager functions the window uses, taken at run time
// from the system folder instead of imported at load time, so that no
// dwmapi.dll placed beside the executable is ever loaded into the elevated
// process.
#pragma once

#include <windows.h>

#include <dwmapi.h>

namespace quorvane::dwm {

/// DwmExtendFrameIntoClientArea; E_NOTIMPL when the library is unavailable.
HRESULT ExtendFrameIntoClientArea(HWND window, const MARGINS* margins);
/// DwmSetWindowAttribute; E_NOTIMPL when the library is unavailable.
HRESULT SetWindowAttribute(HWND window, DWORD attribute, const void* value, DWORD size);

/// The loaded dwmapi.dll, or null when it could not be loaded from the system
/// folder. Loaded on first use and kept for the life of the process.
HMODULE Library();

}  // namespace quorvane::dwm
