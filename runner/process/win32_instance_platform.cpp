#include "runner/process/win32_instance_platform.h"

#include <windows.h>

#include <shellapi.h>

namespace quorvane {
namespace {

constexpr UINT kSendDataTimeoutMilliseconds = 5000;

HWND AsWindow(void* window) { return static_cast<HWND>(window); }

}  // namespace

void* Win32InstancePlatform::FindWindowByClassAndTitle(const wchar_t* class_name,
                                                       const wchar_t* title) {
  return ::FindWindowW(class_name, title);
}

bool Win32InstancePlatform::IsIconic(void* window) { return ::IsIconic(AsWindow(window)) != 0; }

void Win32InstancePlatform::ShowWindow(void* window, int command) {
  ::ShowWindow(AsWindow(window), command);
}

void Win32InstancePlatform::BringWindowToTop(void* window) { ::BringWindowToTop(AsWindow(window)); }

void Win32InstancePlatform::SetForegroundWindow(void* window) {
  ::SetForegroundWindow(AsWindow(window));
}

uint32_t Win32InstancePlatform::WindowProcessId(void* window) {
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(AsWindow(window), &process_id);
  return process_id;
}

void Win32InstancePlatform::AllowSetForegroundWindowFor(uint32_t process_id) {
  ::AllowSetForegroundWindow(process_id);
}

uint32_t Win32InstancePlatform::RegisterMessage(const wchar_t* name) {
  return ::RegisterWindowMessageW(name);
}

void Win32InstancePlatform::PostMessageTo(void* window, uint32_t message) {
  ::PostMessageW(AsWindow(window), message, 0, 0);
}

void Win32InstancePlatform::SendData(void* window, uintptr_t signature,
                                     const std::vector<uint8_t>& bytes) {
  COPYDATASTRUCT data{};
  data.dwData = signature;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = const_cast<uint8_t*>(bytes.data());
  // A hung instance must not hang this start too: it goes on to activate.
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(AsWindow(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendDataTimeoutMilliseconds, &answer);
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
