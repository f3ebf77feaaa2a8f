#include "runner/diagnostics/log.h"

namespace quorvane {
namespace {

Log* process_log = nullptr;

void AppendDigits(std::string& text, long long value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) text.append(width - digits.size(), '0');
  text += digits;
}

const char* LevelName(LogLevel level) {
  switch (level) {
    case LogLevel::kInfo:
      return "INFO";
    case LogLevel::kWarning:
      return "WARN";
    case LogLevel::kError:
      return "ERROR";
  }
  return "INFO";
}

}  // namespace

std::string FormatLogLine(const UtcTime& time, uint32_t process_id, LogLevel level,
                          std::string_view message) {
  std::string line;
  line.reserve(40 + message.size());
  AppendDigits(line, time.year, 4);
  line += '-';
  AppendDigits(line, time.month, 2);
  line += '-';
  AppendDigits(line, time.day, 2);
  line += 'T';
  AppendDigits(line, time.hour, 2);
  line += ':';
  AppendDigits(line, time.minute, 2);
  line += ':';
  AppendDigits(line, time.second, 2);
  line += '.';
  AppendDigits(line, time.millisecond, 3);
  line += "Z ";
  line += std::to_string(process_id);
  line += ' ';
  line += LevelName(level);
  line += ' ';
  for (const char character : message) {
    line += (character == '\r' || character == '\n') ? ' ' : character;
  }
  line += "\r\n";
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

}  // namespace quorvane
