#include "runner/win32_window.h"

#include <optional>

#include "runner/dwm_library.h"
#include "runner/resource.h"
#include "wrapper/flutter_windows.h"

namespace quorvane {
namespace {

constexpr wchar_t kWindowClassName[] = L"FLUTTER_RUNNER_WIN32_WINDOW";
constexpr DWORD kWindowStyle = WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Attributes newer than some SDK headers.
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmCornerRound = 2;

constexpr wchar_t kThemeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kLightThemeValue[] = L"AppsUseLightTheme";

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

PixelRect ToPixelRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

std::optional<PixelRect> WorkAreaOf(HMONITOR monitor) {
  if (monitor == nullptr) return std::nullopt;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info)) return std::nullopt;
  return ToPixelRect(info.rcWork);
}

LRESULT MinimumTrackSizeMessage(HWND window, LPARAM lparam) {
  const PixelSize minimum = MinimumTrackSize(
      ::GetDpiForWindow(window), WorkAreaOf(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)));
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  info->ptMinTrackSize.x = minimum.width;
  info->ptMinTrackSize.y = minimum.height;
  return 0;
}

LRESULT ResizeHitTest(HWND window, LPARAM lparam) {
  const PixelPoint screen_point = PointFromPackedCoordinates(lparam);
  POINT point{screen_point.x, screen_point.y};
  ::ScreenToClient(window, &point);
  RECT client{};
  ::GetClientRect(window, &client);
  const HitArea area = HitTestResizeBorder({point.x, point.y}, {client.right, client.bottom},
                                           ::GetDpiForWindow(window));
  return static_cast<LRESULT>(area);
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
  ClampToWorkArea(window_handle_);
  ::ShowWindow(window_handle_, SW_SHOWNORMAL);
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
      if (child_content_ != nullptr) ::SetFocus(child_content_);
      return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      ClampToWorkArea(window);
      return 0;
    case WM_GETMINMAXINFO:
      return MinimumTrackSizeMessage(window, lparam);
    case WM_NCCALCSIZE:
      // The whole window rectangle is client area: there is no visible frame.
      if (wparam != 0) return 0;
      return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_NCHITTEST:
      return ResizeHitTest(window, lparam);
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ClampToWorkArea(window);
      return 0;
    }
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      ApplySystemTheme(window);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

bool Win32Window::OnCreate() { return true; }

void Win32Window::OnDestroy() {}

void ApplySystemTheme(HWND window) {
  DWORD light_theme = 0;
  DWORD size = sizeof(light_theme);
  if (::RegGetValueW(HKEY_CURRENT_USER, kThemeKey, kLightThemeValue, RRF_RT_REG_DWORD, nullptr,
                     &light_theme, &size) != ERROR_SUCCESS) {
    return;
  }
  const BOOL dark = light_theme == 0 ? TRUE : FALSE;
  dwm::SetWindowAttribute(window, kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
}

void ClampToWorkArea(HWND window) {
  if (window == nullptr || ::IsZoomed(window)) return;
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
