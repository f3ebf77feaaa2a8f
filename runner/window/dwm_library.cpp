// Loads dwmapi.dll from the system folder once and resolves its two functions.
#include "runner/window/dwm_library.h"

namespace quorvane::dwm {
namespace {

using ExtendFrameFunction = HRESULT(WINAPI*)(HWND, const MARGINS*);
using SetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// Through void (*)(), the function pointer type that converts without a
// signature-mismatch warning.
template <typename Function>
Function Resolve(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

struct Functions {
  HMODULE module = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ExtendFrameFunction extend_frame =
      Resolve<ExtendFrameFunction>(module, "DwmExtendFrameIntoClientArea");
  SetAttributeFunction set_attribute =
      Resolve<SetAttributeFunction>(module, "DwmSetWindowAttribute");
};

// Only the UI thread uses the window, but the static is initialised safely
// whatever thread comes first.
const Functions& Loaded() {
  static const Functions functions;
  return functions;
}

}  // namespace

HRESULT ExtendFrameIntoClientArea(HWND window, const MARGINS* margins) {
  const Functions& functions = Loaded();
  if (functions.extend_frame == nullptr) return E_NOTIMPL;
  return functions.extend_frame(window, margins);
}

HRESULT SetWindowAttribute(HWND window, DWORD attribute, const void* value, DWORD size) {
  const Functions& functions = Loaded();
  if (functions.set_attribute == nullptr) return E_NOTIMPL;
  return functions.set_attribute(window, attribute, value, size);
}

HMODULE Library() { return Loaded().module; }

}  // namespace quorvane::dwm
