#include "runner/diagnostics/runtime_handlers.h"

#include <windows.h>

#include <cstdlib>
#include <initializer_list>

namespace quorvane {
namespace {

using SetPureCall = PureCallHandler(__cdecl*)(PureCallHandler);
using SetInvalidParameter = InvalidParameterHandler(__cdecl*)(InvalidParameterHandler);

// The library that malloc comes from: msvcrt.dll or ucrtbase.dll, whichever
// the program was linked against.
HMODULE RuntimeLibrary() {
  HMODULE module = nullptr;
  void* (*const allocate)(size_t) = &std::malloc;
  if (::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(allocate), &module) &&
      module != ::GetModuleHandleW(nullptr)) {
    return module;
  }
  for (const wchar_t* name : {L"ucrtbase.dll", L"msvcrt.dll"}) {
    if (HMODULE loaded = ::GetModuleHandleW(name)) return loaded;
  }
  return nullptr;
}

template <typename Function>
Function Export(HMODULE module, const char* name) {
  // Through void (*)(), the function pointer type that converts without a
  // signature-mismatch warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

int SetRuntimeFatalHandlers(PureCallHandler pure_call, InvalidParameterHandler invalid_parameter) {
  HMODULE runtime = RuntimeLibrary();
  if (runtime == nullptr) return 0;
  int set = 0;
  if (const auto setter = Export<SetPureCall>(runtime, "_set_purecall_handler")) {
    setter(pure_call);
    ++set;
  }
  if (const auto setter = Export<SetInvalidParameter>(runtime, "_set_invalid_parameter_handler")) {
    setter(invalid_parameter);
    ++set;
  }
  return set;
}

}  // namespace quorvane
