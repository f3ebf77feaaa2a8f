#include "runner/window/win32_window.h"

#include <cwchar>
#include <optional>

#include "runner/process/instance_rules.h"
#include "runner/window/content_window_border.h"
#include "runner/window/dwm_library.h"
#include "runner/window/monitor_areas.h"
#include "runner/window/resource.h"
#include "runner/window/system_theme.h"
#include "wrapper/flutter_windows.h"

namespace quorvane {
namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Attributes newer than some SDK headers.
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmCornerRound = 2;

constexpr wchar_t kThemeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kLightThemeValue[] = L"AppsUseLightTheme";
// The text of the setting change that announces a switch of the app theme.
constexpr wchar_t kThemeChangeSetting[] = L"ImmersiveColorSet";

// Window objects alive, and whether the window class is registered. Both are
// only used on the UI thread.
int32_t g_live_window_count = 0;
bool g_window_class_registered = false;

void RegisterWindowClassOnce() {
  if (g_window_class_registered) return;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = Win32Window::WindowProcedure;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP_ICON));
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kWindowClassName;
  ::RegisterClassW(&window_class);
  // A failed registration shows up as a failed CreateWindowExW.
  g_window_class_registered = true;
}

void UnregisterWindowClassIfUnused() {
  if (g_live_window_count != 0) return;
  ::UnregisterClassW(kWindowClassName, nullptr);
  g_window_class_registered = false;
}

// Frees a library loaded for one look-up.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(const char* name) : module_(::LoadLibraryA(name)) {}
  ~ScopedLibrary() {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;

  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// Lets the system scale the non-client area on systems that still need asking;
// skipped silently where the entry point does not exist.
void EnableNonClientScalingIfAvailable(HWND window) {
  ScopedLibrary user32("User32.dll");
  if (user32.get() == nullptr) return;
  FARPROC entry = ::GetProcAddress(user32.get(), "EnableNonClientDpiScaling");
  if (entry == nullptr) return;
  using EnableNonClientDpiScalingFunction = BOOL(WINAPI*)(HWND);
  // Through void (*)(), the function pointer type that converts without a
  // signature-mismatch warning.
  auto enable =
      reinterpret_cast<EnableNonClientDpiScalingFunction>(reinterpret_cast<void (*)()>(entry));
  enable(window);
}

LRESULT MinMaxInfoMessage(HWND window, LPARAM lparam) {
  const PixelSize minimum = MinimumTrackSize(
      ::GetDpiForWindow(window), WorkAreaOf(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)));
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  info->ptMinTrackSize.x = minimum.width;
  info->ptMinTrackSize.y = minimum.height;
  return 0;
}

// The whole window is client area, except that a maximised window's client
// area is kept to the work area wherever the system put the window.
LRESULT ClientAreaMessage(HWND window, WPARAM wparam, LPARAM lparam) {
  if (wparam == 0) return ::DefWindowProcW(window, WM_NCCALCSIZE, wparam, lparam);
  if (!::IsZoomed(window)) return 0;
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
  RECT& proposed = params->rgrc[0];
  const std::optional<PixelRect> area =
      MaximizedAreaOf(::MonitorFromRect(&proposed, MONITOR_DEFAULTTONEAREST));
  if (!area) return 0;
  const PixelRect client = MaximizedClientRect(ToPixelRect(proposed), *area);
  proposed = RECT{client.left, client.top, client.right, client.bottom};
  return 0;
}

// Reads "AppsUseLightTheme"; none when it is missing or not a DWORD.
std::optional<uint32_t> ReadAppsUseLightTheme() {
  DWORD light_theme = 0;
  DWORD size = sizeof(light_theme);
  if (::RegGetValueW(HKEY_CURRENT_USER, kThemeKey, kLightThemeValue, RRF_RT_REG_DWORD, nullptr,
                     &light_theme, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return light_theme;
}

bool IsThemeChange(LPARAM lparam) {
  const auto* setting = reinterpret_cast<const wchar_t*>(lparam);
  return setting != nullptr && std::wcscmp(setting, kThemeChangeSetting) == 0;
}

}  // namespace

Win32Window::Win32Window() { ++g_live_window_count; }

Win32Window::~Win32Window() {
  --g_live_window_count;
  Destroy();
}

bool Win32Window::Create(const std::wstring& title, PixelPoint origin, PixelSize size) {
  Destroy();
  RegisterWindowClassOnce();

  // The logical origin serves as the point unchanged: it picks the monitor
  // whose DPI scales the window.
  HMONITOR monitor = ::MonitorFromPoint(POINT{origin.x, origin.y}, MONITOR_DEFAULTTONEAREST);
  const double scale = ScaleFactorForDpi(FlutterDesktopGetDpiForMonitor(monitor));

  HWND window = ::CreateWindowExW(
      0, kWindowClassName, title.c_str(), kWindowStyle, ScaleToPhysical(origin.x, scale),
      ScaleToPhysical(origin.y, scale), ScaleToPhysical(size.width, scale),
      ScaleToPhysical(size.height, scale), nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  if (window == nullptr) return false;

  // Creation computed the client area with the default frame (WM_NCCALCSIZE
  // without a proposed rectangle); ask again so that the whole window is
  // client area from the first layout on, not only after the first resize.
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A second start at a lower integrity level may still ask this window to
  // come back; every other message from it stays filtered.
  activate_message_ = ::RegisterWindowMessageW(kActivateMessageName);
  if (activate_message_ != 0) {
    ::ChangeWindowMessageFilterEx(window, activate_message_, MSGFLT_ALLOW, nullptr);
  }
  ClampToWorkArea(window);
  ApplySystemTheme(window);
  const MARGINS margins{1, 1, 1, 1};
  dwm::ExtendFrameIntoClientArea(window, &margins);
  const DWORD corner = kDwmCornerRound;
  dwm::SetWindowAttribute(window, kDwmWindowCornerPreference, &corner, sizeof(corner));
  return OnCreate();
}

bool Win32Window::Show() {
  if (window_handle_ == nullptr) return false;
  // The clamp skips a minimised window; it applies once the window is restored.
  const bool minimized = ::IsIconic(window_handle_) != 0;
  ClampToWorkArea(window_handle_);
  ::ShowWindow(window_handle_, SW_SHOWNORMAL);
  if (minimized) ClampToWorkArea(window_handle_);
  ::SetWindowPos(window_handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  ::BringWindowToTop(window_handle_);
  ::SetForegroundWindow(window_handle_);
  ::SetFocus(window_handle_);
  return true;
}

void Win32Window::Destroy() {
  OnDestroy();
  if (window_handle_ != nullptr) {
    ::DestroyWindow(window_handle_);
    window_handle_ = nullptr;
  }
  UnregisterWindowClassIfUnused();
}

void Win32Window::SetContentWindow(HWND child) {
  child_content_ = child;
  ::SetParent(child, window_handle_);
  // Also tells this window when the child is destroyed (ContentWindowGone).
  LetTheBorderThroughContent(child);
  const RECT bounds = GetClientBounds();
  ::MoveWindow(child, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, TRUE);
  ::SetFocus(child);
}

RECT Win32Window::GetClientBounds() const {
  RECT bounds{};
  ::GetClientRect(window_handle_, &bounds);
  return bounds;
}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create_struct = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* that = static_cast<Win32Window*>(create_struct->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(that));
    EnableNonClientScalingIfAvailable(window);
    if (that != nullptr) that->window_handle_ = window;
    return ::DefWindowProcW(window, message, wparam, lparam);
  }
  // Messages before WM_NCCREATE (the first WM_GETMINMAXINFO among them) find
  // no object yet and get default handling.
  auto* that = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (that != nullptr) return that->HandleMessage(window, message, wparam, lparam);
  return ::DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32Window::HandleMessage(HWND window, UINT message, WPARAM wparam,
                                   LPARAM lparam) noexcept {
  if (activate_message_ != 0 && message == activate_message_) {
    // What a second start does from outside, done from inside this process,
    // which holds the foreground right that start passed on.
    ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    return 0;
  }
  if (const UINT gone = ContentWindowGoneMessage(); gone != 0 && message == gone) {
    // The handle must not outlive its window: it could name another one later.
    if (reinterpret_cast<HWND>(lparam) == child_content_) child_content_ = nullptr;
    return 0;
  }
  switch (message) {
    case WM_DESTROY:
      // The native window is already going: Destroy must not destroy it again.
      window_handle_ = nullptr;
      Destroy();
      if (quit_on_destroy_) ::PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (child_content_ != nullptr) {
        const RECT bounds = GetClientBounds();
        ::MoveWindow(child_content_, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, TRUE);
      }
      return 0;
    case WM_ACTIVATE:
      focus_.FollowActivation(window, wparam, child_content_);
      return 0;
    case WM_SETFOCUS:
      // Keystrokes belong to the content: the focus given to this window by
      // SetFocus goes on inside.
      focus_.GiveInside(window, child_content_);
      return 0;
    case WM_SETTINGCHANGE:
      if (IsThemeChange(lparam)) ApplySystemTheme(window);
      FollowScreenChange(window);
      return 0;
    case WM_DISPLAYCHANGE:
      FollowScreenChange(window);
      return 0;
    case WM_WINDOWPOSCHANGING: {
      const LRESULT result = ::DefWindowProcW(window, message, wparam, lparam);
      KeepMaximizedOnItsMonitor(window, *reinterpret_cast<WINDOWPOS*>(lparam));
      return result;
    }
    case WM_WINDOWPOSCHANGED:
      RememberShowState(window);
      return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_ENTERSIZEMOVE:
      // While the user drags or sizes the window, it goes where the mouse
      // takes it, across monitors too; it is pulled in once the drag ends.
      in_size_move_ = true;
      return 0;
    case WM_EXITSIZEMOVE:
      in_size_move_ = false;
      ClampToWorkArea(window);
      return 0;
    case WM_GETMINMAXINFO:
      return MinMaxInfoMessage(window, lparam);
    case WM_NCCALCSIZE:
      return ClientAreaMessage(window, wparam, lparam);
    case WM_NCHITTEST:
      return ResizeHitTest(window, lparam);
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      if (!in_size_move_) ClampToWorkArea(window);
      return 0;
    }
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      ApplySystemTheme(window);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

void Win32Window::FollowScreenChange(HWND window) {
  // The work area or the auto-hide bars may differ now: ask the shell again.
  RefreshApplicationBarsLater();
  if (::IsZoomed(window) && !::IsIconic(window)) {
    // A position change, even to the same rectangle, lets
    // KeepMaximizedOnItsMonitor fit the window to its monitor's area again.
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return;
    ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (!in_size_move_) {
    ClampToWorkArea(window);
  }
}

void Win32Window::KeepMaximizedOnItsMonitor(HWND window, WINDOWPOS& position) {
  if (!::IsZoomed(window) || ::IsIconic(window)) return;
  if ((position.flags & SWP_NOMOVE) != 0 && (position.flags & SWP_NOSIZE) != 0) return;
  RECT current{};
  if (!::GetWindowRect(window, &current)) return;
  PixelRect proposed = ToPixelRect(current);
  if ((position.flags & SWP_NOMOVE) == 0) {
    proposed = {position.x, position.y, static_cast<int32_t>(position.x + proposed.Width()),
                static_cast<int32_t>(position.y + proposed.Height())};
  }
  if ((position.flags & SWP_NOSIZE) == 0) {
    proposed.right = static_cast<int32_t>(int64_t{proposed.left} + position.cx);
    proposed.bottom = static_cast<int32_t>(int64_t{proposed.top} + position.cy);
  }
  const std::optional<PixelRect> maximized = MaximizedWindowRectFor(
      last_show_state_, last_on_screen_.value_or(ToPixelRect(current)), proposed);
  if (!maximized) return;
  position.x = maximized->left;
  position.y = maximized->top;
  position.cx = static_cast<int>(maximized->Width());
  position.cy = static_cast<int>(maximized->Height());
  position.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
}

void Win32Window::RememberShowState(HWND window) {
  if (::IsIconic(window)) {
    // The parked rectangle of a minimised window says nothing of its monitor.
    last_show_state_ = ShowState::kMinimized;
    return;
  }
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return;
  last_show_state_ = ::IsZoomed(window) ? ShowState::kMaximized : ShowState::kNormal;
  last_on_screen_ = ToPixelRect(rect);
}

bool Win32Window::OnCreate() { return true; }

void Win32Window::OnDestroy() {}

std::optional<bool> ApplySystemTheme(HWND window) {
  const std::optional<bool> dark = DarkFrameFor(ReadAppsUseLightTheme());
  if (!dark) return std::nullopt;
  const BOOL value = *dark ? TRUE : FALSE;
  SetDarkFrame([window, &value](uint32_t attribute) {
    return SUCCEEDED(dwm::SetWindowAttribute(window, attribute, &value, sizeof(value)));
  });
  return dark;
}

void ClampToWorkArea(HWND window) {
  // A minimised window's rectangle is its parked one, far off screen; a
  // maximised one covers the work area already.
  if (window == nullptr || ::IsIconic(window) || ::IsZoomed(window)) return;
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return;
  const std::optional<PixelRect> work_area =
      WorkAreaOf(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
  if (!work_area) return;
  const std::optional<PixelRect> clamped = ClampedWindowRect(ToPixelRect(rect), *work_area);
  if (!clamped) return;
  ::SetWindowPos(window, nullptr, clamped->left, clamped->top, static_cast<int>(clamped->Width()),
                 static_cast<int>(clamped->Height()), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quorvane
