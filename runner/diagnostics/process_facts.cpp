#include "runner/diagnostics/process_facts.h"

#include "runner/diagnostics/version_resource.h"

namespace quorvane {
namespace {

using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

std::string ProgramVersion() {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return FileVersionFromResource(static_cast<const uint8_t*>(data),
                                 ::SizeofResource(nullptr, found));
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
  facts.program_version = ProgramVersion();
  ReadWindowsVersion(facts);
  facts.dpi_awareness = ThreadDpiAwareness();
  facts.monitors = ::GetSystemMetrics(SM_CMONITORS);
  if (window != nullptr) facts.window_dpi = ::GetDpiForWindow(window);
  return facts;
}

}  // namespace quorvane
