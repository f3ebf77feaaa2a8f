#include "runner/win32_instance_platform.h"

#include <windows.h>

#include <shellapi.h>

namespace quorvane {
namespace {

HWND AsWindow(void* window) { return static_cast<HWND>(window); }

}  // namespace

void* Win32InstancePlatform::FindWindowByTitle(const wchar_t* title) {
  return ::FindWindowW(nullptr, title);
}

bool Win32InstancePlatform::IsIconic(void* window) { return ::IsIconic(AsWindow(window)) != 0; }

void Win32InstancePlatform::ShowWindow(void* window, int command) {
  ::ShowWindow(AsWindow(window), command);
}

void Win32InstancePlatform::BringWindowToTop(void* window) { ::BringWindowToTop(AsWindow(window)); }

void Win32InstancePlatform::SetForegroundWindow(void* window) {
  ::SetForegroundWindow(AsWindow(window));
}

void* Win32InstancePlatform::OpenProcessTokenForQuery() {
  HANDLE token = nullptr;
  return ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) ? token : nullptr;
}

std::optional<uint32_t> Win32InstancePlatform::QueryTokenElevation(void* token) {
  TOKEN_ELEVATION elevation{};
  DWORD size = sizeof(elevation);
  if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) {
    return std::nullopt;
  }
  return elevation.TokenIsElevated;
}

void Win32InstancePlatform::CloseHandle(void* handle) { ::CloseHandle(handle); }

uint32_t Win32InstancePlatform::GetExecutablePath(wchar_t* buffer, uint32_t capacity) {
  return ::GetModuleFileNameW(nullptr, buffer, capacity);
}

void Win32InstancePlatform::AllowSetForegroundWindowForAny() {
  ::AllowSetForegroundWindow(ASFW_ANY);
}

intptr_t Win32InstancePlatform::ExecuteWithVerb(const wchar_t* verb, const wchar_t* file,
                                                const wchar_t* parameters) {
  HINSTANCE result = ::ShellExecuteW(nullptr, verb, file, parameters, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<intptr_t>(result);
}

void* Win32InstancePlatform::CreateOwnedMutex(const wchar_t* name) {
  return ::CreateMutexW(nullptr, TRUE, name);
}

uint32_t Win32InstancePlatform::LastError() { return ::GetLastError(); }

}  // namespace quorvane
