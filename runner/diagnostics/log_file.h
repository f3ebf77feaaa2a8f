// The log as a file that several processes append to, renamed aside when it
// grows too large.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <string_view>

#include "runner/diagnostics/log.h"
#include "runner/process/unique_handle.h"

namespace quorvane {

/// The current time in UTC.
UtcTime UtcNow();

class LogFile : public Log {
 public:
  /// Logs into folder\quorvane_ai.log; the folder must exist. Opens the file
  /// at the first line.
  explicit LogFile(std::wstring folder);

  /// Appends one line in a single write, so that lines of processes sharing
  /// the file never mix. A file that has reached its limit is renamed aside
  /// first. A line that cannot be written is dropped. Any thread may call it.
  void Write(LogLevel level, std::string_view message) noexcept override;
  void WriteFromCrash(std::string_view message) noexcept override;

  /// Whether the file could be opened for appending.
  bool Writable();

 private:
  /// The open live file, reopened when another process renamed it aside.
  HANDLE LiveFile();
  /// Renames the full file and its older rotations one step aside, unless
  /// another process did it meanwhile. Stops before renaming anything when a
  /// file cannot be renamed (a reader that does not share deletion), so that
  /// no rotation is ever lost; the live file then grows until it can be.
  void Rotate();
  std::wstring PathOf(int rotation) const;

  const std::wstring folder_;
  const std::wstring live_path_;
  // Covers the open file and rotation within the process.
  std::mutex mutex_;
  UniqueHandle file_;
  // The file the crash path writes to: file_'s handle, read without the lock.
  volatile HANDLE crash_file_ = nullptr;
  // Raised by every rotation of any process, in memory shared between them.
  UniqueHandle generation_mapping_;
  volatile LONG* generation_ = nullptr;
  LONG opened_generation_ = 0;
};

}  // namespace quorvane
