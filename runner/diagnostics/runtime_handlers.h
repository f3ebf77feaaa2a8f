// The C runtime's own fatal-error handlers, set in the runtime the host really
// runs on.
#pragma once

#include <cstdint>

namespace quorvane {

using PureCallHandler = void(__cdecl*)();
using InvalidParameterHandler = void(__cdecl*)(const wchar_t*, const wchar_t*, const wchar_t*,
                                               unsigned, uintptr_t);

/// Sets both handlers in the C runtime library that this program's runtime
/// functions come from. The setters are looked up in that library itself: the
/// static ones a MinGW program links to store the handler in a variable that
/// the system's runtime library never reads. Returns how many were set.
int SetRuntimeFatalHandlers(PureCallHandler pure_call, InvalidParameterHandler invalid_parameter);

}  // namespace quorvane
