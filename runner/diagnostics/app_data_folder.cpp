#include "runner/diagnostics/app_data_folder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace quorvane {
namespace {

constexpr wchar_t kProgramFolder[] = L"Quorvane AI";

bool EnsureFolder(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<std::wstring> ApplicationDataFolder(const wchar_t* leaf) {
  // The known folder, not the environment variable: it belongs to the user the
  // process runs as, whatever environment it was given.
  wchar_t* local_app_data = nullptr;
  if (FAILED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr,
                                    &local_app_data))) {
    ::CoTaskMemFree(local_app_data);
    return std::nullopt;
  }
  std::wstring path = std::wstring(local_app_data) + L"\\" + kProgramFolder;
  ::CoTaskMemFree(local_app_data);
  if (!EnsureFolder(path)) return std::nullopt;
  path += L"\\";
  path += leaf;
  if (!EnsureFolder(path)) return std::nullopt;
  return path;
}

}  // namespace quorvane
