// What the top-level window asks about monitors: the work area, and the area a
// maximised window covers on its own monitor, which leaves a strip free for
// auto-hide application bars. The shell's answer about those bars is cached per monitor.
#pragma once

#include <windows.h>

#include <functional>
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

/// The shell as the application-bar query sees it.
struct ApplicationBarShell {
  /// Whether the shell shows in time that it is alive: its bar messages wait
  /// without a limit.
  std::function<bool()> answers_in_time;
  /// Whether an auto-hide bar holds edge (ABE_LEFT, ABE_TOP, ABE_RIGHT or
  /// ABE_BOTTOM) of the monitor with these bounds.
  std::function<bool(UINT edge, const RECT& monitor)> has_auto_hide_bar;
};

/// Puts shell in place of the system's (none puts the system's back) and marks
/// the cached answers out of date. For tests: the test displays have no
/// application bars.
void ReplaceApplicationBarShellForTesting(std::optional<ApplicationBarShell> shell);

}  // namespace quorvane
