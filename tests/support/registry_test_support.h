// Direct registry access for the tests of the settings and the host: clean the store's locations
// and write or read raw values behind the store's back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace registry_test {

constexpr wchar_t kProductKey[] = L"Software\\QuorvaneAI";
constexpr wchar_t kDesktopKey[] = L"Software\\QuorvaneAI\\Desktop";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Quorvane AI";
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

struct RawValue {
  DWORD type;
  std::vector<BYTE> bytes;
};

/// Removes everything the store writes: the product key and the Run entry,
/// and the entry's start-up mark.
inline void ResetSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKey, kRunValue);
}

inline bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

inline std::vector<BYTE> DwordBytes(DWORD value) {
  return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
          static_cast<BYTE>(value >> 24)};
}

inline std::vector<BYTE> TextBytes(const std::wstring& text) {
  const BYTE* first = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

/// Writes a value of any type and size, creating the key when needed; true
/// when it was written.
inline bool SetRawValue(const wchar_t* path, const wchar_t* name, DWORD type,
                        const std::vector<BYTE>& bytes) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

/// Writes a REG_DWORD under the settings key, as the store would.
inline bool SetDesktopDword(const wchar_t* name, DWORD value) {
  return SetRawValue(kDesktopKey, name, REG_DWORD, DwordBytes(value));
}

/// The stored type and bytes, or none when the key or value is absent.
inline std::optional<RawValue> ReadRawValue(const wchar_t* path, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value{0, std::vector<BYTE>(4096)};
  DWORD size = static_cast<DWORD>(value.bytes.size());
  const LSTATUS code = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
  RegCloseKey(key);
  if (code != ERROR_SUCCESS) return std::nullopt;
  value.bytes.resize(size);
  return value;
}

}  // namespace registry_test
