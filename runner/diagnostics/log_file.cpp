#include "runner/diagnostics/log_file.h"

#include <utility>

namespace quorvane {
namespace {

// Serialises the renaming between the processes that share the file; the
// writes themselves need no lock.
constexpr wchar_t kRotationMutexName[] = L"Local\\QuorvaneAI.Desktop.LogRotation.v1";
constexpr wchar_t kGenerationName[] = L"Local\\QuorvaneAI.Desktop.LogGeneration.v1";
constexpr DWORD kRotationWaitMs = 2000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Appending only; the file may be renamed or read by others meanwhile. Null
// when it cannot be opened.
HANDLE OpenForAppend(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, kShareAll,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool IsFull(HANDLE file) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) >= kLogRotationBytes;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the file at path could be renamed or removed now: opening it for
// deletion fails while anyone holds it without sharing deletion.
bool CanRename(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::CloseHandle(file);
  return true;
}

}  // namespace

UtcTime UtcNow() {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

LogFile::LogFile(std::wstring folder)
    : folder_(std::move(folder)), live_path_(folder_ + L"\\" + RotatedLogFileName(0)) {
  generation_mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 sizeof(LONG), kGenerationName));
  if (generation_mapping_.get() != nullptr) {
    generation_ = static_cast<volatile LONG*>(
        ::MapViewOfFile(generation_mapping_.get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
  }
}

std::wstring LogFile::PathOf(int rotation) const {
  return folder_ + L"\\" + RotatedLogFileName(rotation);
}

bool LogFile::Writable() {
  std::lock_guard<std::mutex> lock(mutex_);
  return LiveFile() != nullptr;
}

HANDLE LogFile::LiveFile() {
  const LONG generation = generation_ != nullptr ? *generation_ : 0;
  if (file_.get() == nullptr || generation != opened_generation_) {
    crash_file_ = nullptr;
    file_.reset(OpenForAppend(live_path_));
    opened_generation_ = generation;
    crash_file_ = file_.get();
  }
  return file_.get();
}

void LogFile::Write(LogLevel level, std::string_view message) noexcept {
  // Logging never changes what the program around it sees.
  const DWORD last_error = ::GetLastError();
  try {
    const std::string line = FormatLogLine(UtcNow(), ::GetCurrentProcessId(), level, message);
    std::lock_guard<std::mutex> lock(mutex_);
    if (HANDLE file = LiveFile(); file != nullptr && IsFull(file)) Rotate();
    if (HANDLE file = LiveFile()) {
      DWORD written = 0;
      ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
  } catch (...) {
    // Out of memory, or the lock failed: the line is dropped, the program goes on.
  }
  ::SetLastError(last_error);
}

void LogFile::WriteFromCrash(std::string_view message) noexcept {
  const CrashLogLine line =
      FormatCrashLogLine(UtcNow(), ::GetCurrentProcessId(), LogLevel::kError, message);
  HANDLE file = crash_file_;
  const bool opened_here = file == nullptr;
  if (opened_here) file = OpenForAppend(live_path_);
  if (file == nullptr) return;
  DWORD written = 0;
  ::WriteFile(file, line.view().data(), static_cast<DWORD>(line.view().size()), &written, nullptr);
  if (opened_here) ::CloseHandle(file);
}

void LogFile::Rotate() {
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kRotationMutexName));
  if (mutex.get() == nullptr) return;
  const DWORD waited = ::WaitForSingleObject(mutex.get(), kRotationWaitMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return;
  // Another process may have rotated while this one waited.
  HANDLE live = LiveFile();
  bool movable = live != nullptr && IsFull(live);
  for (int rotation = 0; movable && rotation <= kKeptLogRotations; ++rotation) {
    movable = CanRename(PathOf(rotation));
  }
  if (movable) {
    ::DeleteFileW(PathOf(kKeptLogRotations).c_str());
    // Oldest first; a step that fails leaves every newer file where it is,
    // so that none is overwritten.
    for (int rotation = kKeptLogRotations - 1; rotation >= 0; --rotation) {
      if (rotation > 0 && !Exists(PathOf(rotation))) continue;
      if (!::MoveFileExW(PathOf(rotation).c_str(), PathOf(rotation + 1).c_str(), 0)) break;
    }
    if (generation_ != nullptr) ::InterlockedIncrement(generation_);
    crash_file_ = nullptr;
    file_.reset();
  }
  ::ReleaseMutex(mutex.get());
}

}  // namespace quorvane
