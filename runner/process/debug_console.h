// A console window for diagnostics when the program runs under a debugger
// without a console of its own.
#pragma once

namespace quorvane {

/// Allocates a console and points standard output and standard error (of the
/// runtime, the C++ streams and the engine library) at it. Does nothing when no
/// console can be allocated.
void OpenDebugConsole();

}  // namespace quorvane
