#include "runner/stores/windows_update_installer.h"

#include <windows.h>

#include <utility>

#include "runner/process/unique_handle.h"
#include "runner/stores/authenticode.h"

namespace quorvane {
namespace {

constexpr wchar_t kSwitchKey[] = L"Software\\QuorvaneAI\\Desktop";
constexpr wchar_t kSwitchValue[] = L"AllowUnsignedHostUpdates";
constexpr wchar_t kCopyName[] = L"quorvane_update.exe";
constexpr wchar_t kSilentSwitch[] = L" /S";
constexpr DWORD kPathCapacity = 32768;

std::wstring RunningExecutable() {
  std::wstring path(kPathCapacity, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kPathCapacity);
  path.resize(length < kPathCapacity ? length : 0);
  return path;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L'\\');
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::wstring Utf8ToUtf16(const std::string& text) {
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), size);
  return wide;
}

// Opens path for reading while refusing everyone else writing, renaming or
// deleting it, so that what is checked is what runs.
UniqueHandle OpenHeld(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool StartSilently(const std::wstring& path) {
  std::wstring command_line = L"\"" + path + L"\"" + kSilentSwitch;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace

bool ReadUnsignedHostUpdatesSwitch() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  return ::RegGetValueW(HKEY_LOCAL_MACHINE, kSwitchKey, kSwitchValue,
                        RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &value,
                        &size) == ERROR_SUCCESS &&
         value == 1;
}

WindowsUpdateInstaller::WindowsUpdateInstaller()
    : WindowsUpdateInstaller(RunningExecutable(), FolderOf(RunningExecutable()) + L"\\update",
                             ReadUnsignedHostUpdatesSwitch()) {}

WindowsUpdateInstaller::WindowsUpdateInstaller(std::wstring reference_executable,
                                               std::wstring copy_folder, bool allow_unsigned_host)
    : reference_executable_(std::move(reference_executable)),
      copy_folder_(std::move(copy_folder)),
      allow_unsigned_host_(allow_unsigned_host) {}

UpdateOutcome WindowsUpdateInstaller::Check(const std::string& path) { return Run(path, false); }

UpdateOutcome WindowsUpdateInstaller::Install(const std::string& path) { return Run(path, true); }

UpdateOutcome WindowsUpdateInstaller::Run(const std::string& path, bool install) {
  UpdateOutcome outcome;
  const std::wstring source = Utf8ToUtf16(path);
  if (source.empty() || reference_executable_.empty()) {
    outcome.refusal = UpdateRefusal::kInvalidPath;
    return outcome;
  }
  // The copy is made afresh: whatever the source path holds later is never
  // looked at again.
  const std::wstring copy = copy_folder_ + L"\\" + kCopyName;
  ::CreateDirectoryW(copy_folder_.c_str(), nullptr);
  if (!::CopyFileW(source.c_str(), copy.c_str(), FALSE)) {
    outcome.refusal = UpdateRefusal::kCopyFailed;
    return outcome;
  }
  bool started = false;
  {
    UniqueHandle held = OpenHeld(copy);
    if (held.get() == nullptr) {
      outcome.refusal = UpdateRefusal::kCopyFailed;
    } else {
      UpdateFacts facts;
      facts.update = VerifySignature(copy, held.get());
      UniqueHandle reference = OpenHeld(reference_executable_);
      facts.host = VerifySignature(reference_executable_, reference.get());
      facts.update_version = ExecutableFileVersion(copy);
      facts.host_version = ExecutableFileVersion(reference_executable_);
      facts.allow_unsigned_host = allow_unsigned_host_;
      outcome.refusal = JudgeUpdate(facts);
      if (facts.update.valid) {
        outcome.publisher = facts.update.publisher;
        outcome.version = facts.update_version;
      }
      if (outcome.refusal == UpdateRefusal::kNone && install) {
        started = StartSilently(copy);
        if (!started) outcome.refusal = UpdateRefusal::kStartFailed;
      }
    }
  }
  // Nothing started: nothing of the file is kept.
  if (!started) ::DeleteFileW(copy.c_str());
  return outcome;
}

}  // namespace quorvane
