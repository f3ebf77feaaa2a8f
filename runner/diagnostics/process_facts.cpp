#include "runner/diagnostics/process_facts.h"

#include <optional>
#include <string>

#include "runner/diagnostics/version_resource.h"

namespace quorvane {
namespace {

using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

// The file version in module's version resource (null: the executable).
std::string ModuleVersion(HMODULE module) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return FileVersionFromResource(static_cast<const uint8_t*>(data),
                                 ::SizeofResource(module, found));
}

int UtcOffsetMinutes() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = ::GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  return -static_cast<int>(bias);
}

std::string InstallFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L'\\') == std::wstring::npos ? 0 : folder.find_last_of(L'\\'));
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), utf8.data(),
                        size, nullptr, nullptr);
  return utf8;
}

std::optional<bool> IsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::nullopt;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const BOOL read =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  ::CloseHandle(token);
  if (!read) return std::nullopt;
  return elevation.TokenIsElevated != 0;
}

// The true version: GetVersionExW answers what the manifest declares at most.
void ReadWindowsVersion(StartFacts& facts) {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return;
  const auto get_version = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (get_version == nullptr || get_version(&version) != 0) return;
  facts.windows_major = version.dwMajorVersion;
  facts.windows_minor = version.dwMinorVersion;
  facts.windows_build = version.dwBuildNumber;
}

DpiAwareness ThreadDpiAwareness() {
  const DPI_AWARENESS_CONTEXT context = ::GetThreadDpiAwarenessContext();
  if (::AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
    return DpiAwareness::kPerMonitorV2;
  }
  switch (::GetAwarenessFromDpiAwarenessContext(context)) {
    case DPI_AWARENESS_UNAWARE:
      return DpiAwareness::kUnaware;
    case DPI_AWARENESS_SYSTEM_AWARE:
      return DpiAwareness::kSystem;
    case DPI_AWARENESS_PER_MONITOR_AWARE:
      return DpiAwareness::kPerMonitor;
    default:
      return DpiAwareness::kUnknown;
  }
}

}  // namespace

StartFacts GatherStartFacts(HWND window) {
  StartFacts facts;
  facts.program_version = ModuleVersion(nullptr);
  facts.utc_offset_minutes = UtcOffsetMinutes();
  facts.install_folder = InstallFolder();
  facts.elevated = IsElevated();
  if (HMODULE engine = ::GetModuleHandleW(L"flutter_windows.dll")) {
    facts.engine_version = ModuleVersion(engine);
  }
  ReadWindowsVersion(facts);
  facts.dpi_awareness = ThreadDpiAwareness();
  facts.monitors = ::GetSystemMetrics(SM_CMONITORS);
  if (window != nullptr) facts.window_dpi = ::GetDpiForWindow(window);
  return facts;
}

}  // namespace quorvane
