#include "runner/diagnostics/log.h"

namespace quorvane {
namespace {

Log* process_log = nullptr;

const char* LevelName(LogLevel level) {
  switch (level) {
    case LogLevel::kInfo:
      return "INFO";
    case LogLevel::kWarning:
      return "WARN";
    case LogLevel::kError:
      return "ERROR";
    case LogLevel::kOutput:
      return "OUT";
  }
  return "INFO";
}

// "2026-12-07T17:22:45.123Z 4242 INFO ", the part before the message.
FixedText<64> LinePrefix(const UtcTime& time, uint32_t process_id, LogLevel level) {
  FixedText<64> prefix;
  prefix.Decimal(static_cast<uint64_t>(time.year), 4).Append("-");
  prefix.Decimal(static_cast<uint64_t>(time.month), 2).Append("-");
  prefix.Decimal(static_cast<uint64_t>(time.day), 2).Append("T");
  prefix.Decimal(static_cast<uint64_t>(time.hour), 2).Append(":");
  prefix.Decimal(static_cast<uint64_t>(time.minute), 2).Append(":");
  prefix.Decimal(static_cast<uint64_t>(time.second), 2).Append(".");
  prefix.Decimal(static_cast<uint64_t>(time.millisecond), 3).Append("Z ");
  prefix.Decimal(process_id).Append(" ").Append(LevelName(level)).Append(" ");
  return prefix;
}

char OneLine(char character) { return (character == '\r' || character == '\n') ? ' ' : character; }

}  // namespace

std::string FormatLogLine(const UtcTime& time, uint32_t process_id, LogLevel level,
                          std::string_view message) {
  const FixedText<64> prefix = LinePrefix(time, process_id, level);
  std::string line;
  line.reserve(prefix.view().size() + message.size() + 2);
  line += prefix.view();
  for (const char character : message) line += OneLine(character);
  line += "\r\n";
  return line;
}

CrashLogLine FormatCrashLogLine(const UtcTime& time, uint32_t process_id, LogLevel level,
                                std::string_view message) {
  CrashLogLine line;
  line.Append(LinePrefix(time, process_id, level).view());
  const size_t room = kCrashLogLineCapacity - line.view().size() - 2;
  for (size_t at = 0; at < message.size() && at < room; ++at) {
    const char character = OneLine(message[at]);
    line.Append(std::string_view(&character, 1));
  }
  line.Append("\r\n");
  return line;
}

std::wstring RotatedLogFileName(int n) {
  std::wstring name = kLogFileName;
  if (n > 0) name += L"." + std::to_wstring(n);
  return name;
}

void SetProcessLog(Log* log) { process_log = log; }

void WriteLog(LogLevel level, std::string_view message) noexcept {
  if (process_log != nullptr) process_log->Write(level, message);
}

void WriteCrashLog(std::string_view message) noexcept {
  if (process_log != nullptr) process_log->WriteFromCrash(message);
}

}  // namespace quorvane
