// Fresh folders and whole-file reads for the Win32 tests that write files.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace test_files {

// A new, empty folder under the temporary folder, named after the test process
// and a counter so that parallel test programs never share one.
inline std::wstring FreshFolder(const wchar_t* prefix) {
  static int counter = 0;
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + prefix + std::to_wstring(::GetCurrentProcessId()) + L"_" +
      std::to_wstring(::GetTickCount64()) + L"_" + std::to_wstring(++counter);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

inline std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace test_files
