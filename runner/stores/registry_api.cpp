// Forwards the settings store's registry calls to Win32.
#include "runner/stores/registry_api.h"

namespace quorvane {

LSTATUS Win32RegistryApi::OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) {
  return RegOpenKeyExW(root, path, 0, access, key);
}

LSTATUS Win32RegistryApi::CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) {
  return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                         nullptr);
}

LSTATUS Win32RegistryApi::QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data,
                                     DWORD* size) {
  return RegQueryValueExW(key, name, nullptr, type, data, size);
}

LSTATUS Win32RegistryApi::SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                                   DWORD size) {
  return RegSetValueExW(key, name, 0, type, data, size);
}

LSTATUS Win32RegistryApi::DeleteValue(HKEY key, const wchar_t* name) {
  return RegDeleteValueW(key, name);
}

void Win32RegistryApi::CloseKey(HKEY key) { RegCloseKey(key); }

DWORD Win32RegistryApi::ExecutablePath(wchar_t* buffer, DWORD size) {
  return GetModuleFileNameW(nullptr, buffer, size);
}

RegistryApi& DefaultRegistryApi() {
  static Win32RegistryApi api;
  return api;
}

}  // namespace quorvane
