#include "runner/window/dwm_library.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace quorvane {
namespace {

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

TEST(DwmLibraryTest, ComesFromTheSystemFolder) {
  const HMODULE library = dwm::Library();
  ASSERT_NE(library, nullptr);
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(library, path, MAX_PATH), 0u);
  wchar_t system_folder[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system_folder, MAX_PATH), 0u);
  EXPECT_EQ(_wcsicmp(Folder(path).c_str(), system_folder), 0);
  EXPECT_NE(::GetProcAddress(library, "DwmExtendFrameIntoClientArea"), nullptr);
  EXPECT_NE(::GetProcAddress(library, "DwmSetWindowAttribute"), nullptr);
}

}  // namespace
}  // namespace quorvane
