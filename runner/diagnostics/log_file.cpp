#include "runner/diagnostics/log_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <utility>

#include "runner/process/unique_handle.h"

namespace quorvane {
namespace {

// Serialises the renaming between the processes that share the file; the
// writes themselves need no lock.
constexpr wchar_t kRotationMutexName[] = L"Local\\QuorvaneAI.Desktop.LogRotation.v1";
constexpr DWORD kRotationWaitMs = 2000;

// Appending only; the file may be renamed or read by others meanwhile. Null
// when it cannot be opened.
HANDLE OpenForAppend(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// Makes stream write into descriptor. A stream the runtime found without a
// handle at start has no descriptor of its own; it gets one first.
// Wine's runtime refuses that reopening; the stream then stays where it was.
void PointStream(std::FILE* stream, int descriptor) {
  if (_fileno(stream) < 0) {
    std::FILE* reopened = nullptr;
    if (freopen_s(&reopened, "NUL", "w", stream) != 0) return;
  }
  std::fflush(stream);
  if (_dup2(descriptor, _fileno(stream)) != 0) return;
  // Unbuffered, so that what is printed lands in order with the log's own
  // lines and is not lost when the process ends abruptly.
  std::setvbuf(stream, nullptr, _IONBF, 0);
}

bool IsFull(HANDLE file) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) >= kLogRotationBytes;
}

}  // namespace

UtcTime UtcNow() {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

LogFile::LogFile(std::wstring folder) : folder_(std::move(folder)) {}

std::wstring LogFile::PathOf(int rotation) const {
  return folder_ + L"\\" + RotatedLogFileName(rotation);
}

void LogFile::Write(LogLevel level, std::string_view message) noexcept {
  // Logging never changes what the program around it sees.
  const DWORD last_error = ::GetLastError();
  try {
    Append(FormatLogLine(UtcNow(), ::GetCurrentProcessId(), level, message));
  } catch (...) {
    // Out of memory: the line is dropped, the program goes on.
  }
  ::SetLastError(last_error);
}

void LogFile::Append(const std::string& line) {
  UniqueHandle file(OpenForAppend(PathOf(0)));
  if (file.get() == nullptr) return;
  if (IsFull(file.get())) {
    file.reset();
    Rotate();
    file = UniqueHandle(OpenForAppend(PathOf(0)));
    if (file.get() == nullptr) return;
  }
  DWORD written = 0;
  ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void LogFile::Rotate() {
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kRotationMutexName));
  if (mutex.get() == nullptr) return;
  const DWORD waited = ::WaitForSingleObject(mutex.get(), kRotationWaitMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return;
  {
    UniqueHandle current(OpenForAppend(PathOf(0)));
    if (current.get() != nullptr && IsFull(current.get())) {
      current.reset();
      ::DeleteFileW(PathOf(kKeptLogRotations).c_str());
      for (int rotation = kKeptLogRotations - 1; rotation >= 0; --rotation) {
        ::MoveFileExW(PathOf(rotation).c_str(), PathOf(rotation + 1).c_str(),
                      MOVEFILE_REPLACE_EXISTING);
      }
    }
  }
  ::ReleaseMutex(mutex.get());
  // The standard streams still write into the file that was renamed.
  if (redirected_) PointStandardStreamsAtFile(resync_);
}

bool LogFile::RedirectStandardStreams(void (*resync)()) {
  if (!PointStandardStreamsAtFile(resync)) return false;
  resync_ = resync;
  redirected_ = true;
  return true;
}

bool LogFile::PointStandardStreamsAtFile(void (*resync)()) {
  HANDLE output = OpenForAppend(PathOf(0));
  if (output == nullptr) return false;
  const HANDLE process = ::GetCurrentProcess();
  HANDLE error = nullptr;
  HANDLE runtime = nullptr;
  if (!::DuplicateHandle(process, output, process, &error, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    ::CloseHandle(output);
    return false;
  }
  // The runtime's streams follow where the runtime lets them; a library with
  // a runtime of its own takes the standard handles when resync asks it to.
  if (::DuplicateHandle(process, output, process, &runtime, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    const int descriptor =
        _open_osfhandle(reinterpret_cast<intptr_t>(runtime), _O_APPEND | _O_TEXT);
    if (descriptor == -1) {
      ::CloseHandle(runtime);
    } else {
      PointStream(stdout, descriptor);
      PointStream(stderr, descriptor);
      _close(descriptor);
    }
  }
  const HANDLE previous_output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE previous_error = ::GetStdHandle(STD_ERROR_HANDLE);
  ::SetStdHandle(STD_OUTPUT_HANDLE, output);
  ::SetStdHandle(STD_ERROR_HANDLE, error);
  std::ios_base::sync_with_stdio(true);
  if (resync != nullptr) resync();
  // The handles of an earlier redirection are this object's, and no longer
  // in use once the libraries have taken the new ones.
  if (redirected_) {
    ::CloseHandle(previous_output);
    ::CloseHandle(previous_error);
  }
  return true;
}

}  // namespace quorvane
