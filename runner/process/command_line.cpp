#include "runner/process/command_line.h"

#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>

namespace quorvane {
namespace {

constexpr size_t kMaximumConvertedLength = 32767;

struct LocalFreeDeleter {
  void operator()(wchar_t** memory) const { ::LocalFree(memory); }
};

}  // namespace

std::vector<std::string> CommandLineArgumentsUtf8() {
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreeDeleter> arguments(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (arguments == nullptr) return {};

  std::vector<std::string> converted;
  // Index 0 is the program name, which is not an argument.
  for (int index = 1; index < count; ++index) {
    converted.push_back(Utf16ToUtf8(arguments.get()[index]));
  }
  return converted;
}

std::string CurrentDirectoryUtf8() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring directory(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, directory.data());
  if (length == 0 || length >= size) return {};
  return Utf16ToUtf8(directory.c_str());
}

std::string Utf16ToUtf8(const wchar_t* text) {
  if (text == nullptr) return {};
  // Units past the cap are not read, let alone converted.
  const int length = static_cast<int>(::wcsnlen(text, kMaximumConvertedLength));
  const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, nullptr, 0,
                                         nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, utf8.data(), size, nullptr,
                            nullptr) == 0) {
    return {};
  }
  return utf8;
}

}  // namespace quorvane
