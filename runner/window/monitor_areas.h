// What the top-level window asks about monitors: the work area, and the area a
// maximised window covers on its own monitor, which leaves a strip free for
// auto-hide application bars. The shell's answer about those bars is cached per monitor.
#pragma once

#include <windows.h>

#include <optional>

#include "runner/window/window_geometry.h"

namespace quorvane {

PixelRect ToPixelRect(const RECT& rect);

/// The work area of monitor, none when it cannot be read.
std::optional<PixelRect> WorkAreaOf(HMONITOR monitor);

/// The window rectangle of a window maximised on monitor: its work area less a
/// strip along each edge that holds an auto-hide application bar. None when
/// the monitor cannot be read.
std::optional<PixelRect> MaximizedAreaOf(HMONITOR monitor);

/// The window rectangle of a maximised window whose next rectangle the system
/// proposes: the maximised area of the monitor that MaximizedWindowRect picks.
/// None when that monitor cannot be read.
std::optional<PixelRect> MaximizedWindowRectFor(ShowState last_state,
                                                const PixelRect& last_on_screen,
                                                const PixelRect& proposed);

/// Marks the cached application-bar answers as out of date, so that the next
/// maximise asks the shell again. Called when settings or displays change.
void RefreshApplicationBarsLater();

}  // namespace quorvane
