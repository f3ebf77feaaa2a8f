// The registry and module-path calls the settings store makes, behind an
// interface so that tests can make single calls fail the way Windows can.
#pragma once

#include <windows.h>

namespace quorvane {

/// Each call returns what the Win32 function it stands for returns.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  /// RegOpenKeyExW(root, path, 0, access, key).
  virtual LSTATUS OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) = 0;
  /// RegCreateKeyExW: creates the key and any missing parents, non-volatile.
  virtual LSTATUS CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) = 0;
  /// RegQueryValueExW(key, name, null, type, data, size).
  virtual LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data,
                             DWORD* size) = 0;
  /// RegSetValueExW(key, name, 0, type, data, size).
  virtual LSTATUS SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                           DWORD size) = 0;
  /// RegDeleteValueW(key, name).
  virtual LSTATUS DeleteValue(HKEY key, const wchar_t* name) = 0;
  /// RegCloseKey(key); its result is of no use to anyone.
  virtual void CloseKey(HKEY key) = 0;
  /// GetModuleFileNameW(null, buffer, size): the path length, 0 on failure,
  /// size when the path was cut short.
  virtual DWORD ExecutablePath(wchar_t* buffer, DWORD size) = 0;
};

/// Calls the real Win32 functions.
class Win32RegistryApi : public RegistryApi {
 public:
  LSTATUS OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override;
  LSTATUS CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override;
  LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) override;
  LSTATUS SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                   DWORD size) override;
  LSTATUS DeleteValue(HKEY key, const wchar_t* name) override;
  void CloseKey(HKEY key) override;
  DWORD ExecutablePath(wchar_t* buffer, DWORD size) override;
};

/// The process-wide instance that the default-constructed store uses.
RegistryApi& DefaultRegistryApi();

}  // namespace quorvane
