// Text conversion through the Win32 code-page functions.
#include "standin/engine/text_conversion.h"

#include <windows.h>

#include <vector>

namespace standin {

std::string Utf16ToUtf8(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string converted(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), size, nullptr, nullptr);
  converted.resize(static_cast<size_t>(size) - 1);
  return converted;
}

std::wstring Utf8ToUtf16(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring converted(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, converted.data(), size);
  return converted;
}

std::wstring GetEnvironmentText(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> buffer(size);
  const DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
  if (length == 0 || length >= size) return std::wstring();
  return std::wstring(buffer.data(), length);
}

std::wstring FilePathFromEnvironment(const std::wstring& path) {
  // Wine marks itself by this export of ntdll; on Windows the path stays as given.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool on_wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  if (on_wine && path.size() > 1 && path[0] == L'/' && path[1] != L'/') return L"Z:" + path;
  return path;
}

}  // namespace standin
