// The log as a file that several processes append to, renamed aside when it
// grows too large.
#pragma once

#include <string>
#include <string_view>

#include "runner/diagnostics/log.h"

namespace quorvane {

/// The current time in UTC.
UtcTime UtcNow();

class LogFile : public Log {
 public:
  /// Logs into folder\quorvane_ai.log; the folder must exist. Opens nothing yet.
  explicit LogFile(std::wstring folder);

  /// Appends one line in a single write, so that lines of processes sharing
  /// the file never mix. A file that has reached its limit is renamed aside
  /// first. A line that cannot be written is dropped.
  void Write(LogLevel level, std::string_view message) noexcept override;

  /// Points the process's standard output and error (the standard handles,
  /// and the runtime's streams and the C++ streams where the runtime allows)
  /// at the log file, then calls resync so that a library with a runtime of
  /// its own follows. Used when they lead nowhere; false when the file cannot
  /// be opened. Done again after each rotation.
  bool RedirectStandardStreams(void (*resync)());
  bool streams_redirected() const { return redirected_; }

 private:
  std::wstring PathOf(int rotation) const;
  void Append(const std::string& line);
  /// Renames the full file aside, unless another process did it meanwhile.
  void Rotate();
  bool PointStandardStreamsAtFile(void (*resync)());

  std::wstring folder_;
  void (*resync_)() = nullptr;
  bool redirected_ = false;
};

}  // namespace quorvane
