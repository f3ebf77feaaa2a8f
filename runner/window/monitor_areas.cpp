#include "runner/window/monitor_areas.h"

#include <shellapi.h>

#include "runner/window/application_bar_cache.h"

namespace quorvane {
namespace {

// How long the shell may take to show it is alive before a stale answer about
// application bars stands in: its bar messages wait without a limit, and a
// hung shell must not stall maximising.
constexpr UINT kShellPatienceMilliseconds = 200;

// Only used on the UI thread.
ApplicationBarCache& BarCache() {
  static ApplicationBarCache cache;
  return cache;
}

std::optional<MONITORINFO> MonitorInfoOf(HMONITOR monitor) {
  if (monitor == nullptr) return std::nullopt;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info)) return std::nullopt;
  return info;
}

// Whether the shell's taskbar window, which answers every application-bar
// message, answers within the patience above. Without it there are no bars.
bool SystemShellAnswers() {
  HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskbar == nullptr) return false;
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kShellPatienceMilliseconds, &ignored) != 0;
}

bool SystemAutoHideBarOn(UINT edge, const RECT& monitor) {
  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  bar.uEdge = edge;
  bar.rc = monitor;
  return ::SHAppBarMessage(ABM_GETAUTOHIDEBAREX, &bar) != 0;
}

// Only used on the UI thread.
ApplicationBarShell& CurrentShell() {
  static ApplicationBarShell shell{&SystemShellAnswers, &SystemAutoHideBarOn};
  return shell;
}

// Asks the shell which edges of monitor hold an auto-hide bar, the taskbar's
// or another program's; none when the shell does not answer in time.
std::optional<AutoHideEdges> AskShellForAutoHideBars(const RECT& monitor) {
  const ApplicationBarShell& shell = CurrentShell();
  if (!shell.answers_in_time()) return std::nullopt;
  const auto bar_on = [&shell, &monitor](UINT edge) {
    return shell.has_auto_hide_bar(edge, monitor);
  };
  return AutoHideEdges{bar_on(ABE_LEFT), bar_on(ABE_TOP), bar_on(ABE_RIGHT), bar_on(ABE_BOTTOM)};
}

}  // namespace

PixelRect ToPixelRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

std::optional<PixelRect> WorkAreaOf(HMONITOR monitor) {
  const std::optional<MONITORINFO> info = MonitorInfoOf(monitor);
  if (!info) return std::nullopt;
  return ToPixelRect(info->rcWork);
}

std::optional<PixelRect> MaximizedAreaOf(HMONITOR monitor) {
  const std::optional<MONITORINFO> info = MonitorInfoOf(monitor);
  if (!info) return std::nullopt;
  const RECT bounds = info->rcMonitor;
  const AutoHideEdges bars = BarCache().EdgesOn(
      ToPixelRect(bounds), [&bounds] { return AskShellForAutoHideBars(bounds); });
  return MaximizedArea(ToPixelRect(info->rcWork), bars);
}

std::optional<PixelRect> MaximizedWindowRectFor(ShowState last_state,
                                                const PixelRect& last_on_screen,
                                                const PixelRect& proposed) {
  return MaximizedWindowRect(last_state, last_on_screen, proposed, [](const PixelRect& probe) {
    const RECT rect{probe.left, probe.top, probe.right, probe.bottom};
    return MaximizedAreaOf(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
  });
}

void RefreshApplicationBarsLater() { BarCache().MarkStale(); }

void ReplaceApplicationBarShellForTesting(std::optional<ApplicationBarShell> shell) {
  CurrentShell() = shell ? *shell : ApplicationBarShell{&SystemShellAnswers, &SystemAutoHideBarOn};
  RefreshApplicationBarsLater();
}

}  // namespace quorvane
