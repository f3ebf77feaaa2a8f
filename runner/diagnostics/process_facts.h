// Gathers the facts of the start line from the system.
#pragma once

#include <windows.h>

#include "runner/diagnostics/process_lines.h"

namespace quorvane {

/// The start facts of this process; window is its main window, or null when
/// it has none. The argument count is the caller's to fill in.
StartFacts GatherStartFacts(HWND window);

}  // namespace quorvane
