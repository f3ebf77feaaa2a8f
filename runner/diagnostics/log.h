// The host's log file: one line per event, for a support engineer who was not
// there when it happened. This part is the line format, the rotation names and
// the process-wide writer; the file itself is LogFile's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runner/diagnostics/fixed_text.h"

namespace quorvane {

/// kOutput: what the engine and the UI code printed to standard output or error.
enum class LogLevel { kInfo, kWarning, kError, kOutput };

/// A moment in UTC, as the system clock gives it.
struct UtcTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

/// The file grows to this size, then is renamed to ".1".
inline constexpr uint64_t kLogRotationBytes = 1024 * 1024;
/// Renamed files kept: ".1" (newest) to ".3".
inline constexpr int kKeptLogRotations = 3;
inline constexpr wchar_t kLogFileName[] = L"quorvane_ai.log";

/// "2026-12-07T17:22:45.123Z 4242 INFO message" and a CR LF. Line ends inside
/// message become blanks, so that one event stays one line.
std::string FormatLogLine(const UtcTime& time, uint32_t process_id, LogLevel level,
                          std::string_view message);

/// A whole line built without the heap; a longer message is cut.
inline constexpr size_t kCrashLogLineCapacity = 768;
using CrashLogLine = FixedText<kCrashLogLineCapacity>;
/// FormatLogLine for the crash path: no heap, line ends in message kept out.
CrashLogLine FormatCrashLogLine(const UtcTime& time, uint32_t process_id, LogLevel level,
                                std::string_view message);

/// The name of the log's n-th rotation: "quorvane_ai.log.n"; n = 0 is the live
/// file.
std::wstring RotatedLogFileName(int n);

/// Where log lines go.
class Log {
 public:
  virtual ~Log() = default;
  /// Writes one line; never throws, and silently drops what cannot be written.
  virtual void Write(LogLevel level, std::string_view message) noexcept = 0;
  /// Writes one error line from a crashed process. The log file does it in a
  /// single plain write, with no heap, no lock, no rotation; others log it as
  /// any error line.
  virtual void WriteFromCrash(std::string_view message) noexcept {
    Write(LogLevel::kError, message);
  }
};

/// Makes log the process's log (null: none). Set once at start-up, before any
/// other thread could write.
void SetProcessLog(Log* log);
/// Writes to the process's log; does nothing when there is none.
void WriteLog(LogLevel level, std::string_view message) noexcept;
/// Log::WriteFromCrash on the process's log, if there is one.
void WriteCrashLog(std::string_view message) noexcept;

}  // namespace quorvane
