// The log of this process: where it is, what goes into it at start and end,
// and the diagnostic lines mirrored into it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "runner/diagnostics/log_file.h"
#include "runner/diagnostics/process_lines.h"
#include "runner/process/instance_rules.h"

namespace quorvane {

class ProcessLog {
 public:
  /// Opens the log under the user's local application data (none when its
  /// folder cannot be made) as the process's log, and from now on mirrors
  /// every diagnostic line into it; standard error still gets each line as
  /// before. The log stays the process's log until the process ends, so that
  /// a crash during its exit is still logged.
  ProcessLog();
  /// Stops the mirroring.
  ~ProcessLog();

  ProcessLog(const ProcessLog&) = delete;
  ProcessLog& operator=(const ProcessLog&) = delete;

  /// When standard error leads nowhere (a start from Explorer, the Start menu,
  /// at login), carries standard output and error into the log line by line,
  /// then calls resync so that the engine follows.
  void CaptureStandardStreams(void (*resync)());

  /// The start line, once; window is the main window, or null when there is
  /// none.
  void Started(HWND window);
  /// The error behind an exit that the instance rules decided, if any.
  void InstanceRulesEnded(const InstanceOutcome& outcome);
  /// A program library could not be loaded: logs which and why, and tells the
  /// user in their language, with where the log is. entry: the missing entry
  /// point, or empty when the file itself did not load.
  void LibraryFailed(const std::wstring& file, const std::string& entry, uint32_t error);
  /// The end line (after the start line, if it was not written yet); returns
  /// exit_code.
  int Ended(int exit_code, ProcessEnd end);

 private:
  std::optional<std::wstring> folder_;
  // Never freed: see the constructor.
  LogFile* file_ = nullptr;
  bool started_ = false;
};

}  // namespace quorvane
