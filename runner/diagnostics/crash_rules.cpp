#include "runner/diagnostics/crash_rules.h"

#include <algorithm>
#include <cstdio>

namespace quorvane {
namespace {

constexpr wchar_t kDumpPrefix[] = L"quorvane_ai-";
constexpr wchar_t kDumpSuffix[] = L".dmp";

// Writes value in decimal, at least width digits, and moves at past them.
void PutNumber(DumpName& name, size_t& at, uint64_t value, int width) {
  wchar_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0 && count < 20);
  while (count < width && count < 20) digits[count++] = L'0';
  while (count > 0 && at + 1 < name.size()) name[at++] = digits[--count];
}

void PutText(DumpName& name, size_t& at, const wchar_t* text) {
  for (; *text != L'\0' && at + 1 < name.size(); ++text) name[at++] = *text;
}

bool IsDumpName(const std::wstring& name) {
  const std::wstring prefix = kDumpPrefix;
  const std::wstring suffix = kDumpSuffix;
  return name.size() > prefix.size() + suffix.size() &&
         name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char* CauseName(CrashCause cause, uint32_t code) {
  switch (cause) {
    case CrashCause::kTerminate:
      return "std::terminate";
    case CrashCause::kAbort:
      return "abort";
    case CrashCause::kPureVirtualCall:
      return "pure virtual call";
    case CrashCause::kInvalidParameter:
      return "invalid parameter to a runtime function";
    case CrashCause::kUnhandledException:
      break;
  }
  switch (code) {
    case 0xC0000005:
      return "access violation";
    case 0xC00000FD:
      return "stack overflow";
    case 0xC0000094:
      return "integer division by zero";
    case 0xC000001D:
      return "illegal instruction";
    case 0x80000003:
      return "breakpoint";
    default:
      return "unhandled exception";
  }
}

std::string Hex(uint64_t value, int width) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%0*llX", width, static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

DumpName FormatDumpName(const UtcTime& time, uint32_t process_id) {
  DumpName name{};
  size_t at = 0;
  PutText(name, at, kDumpPrefix);
  PutNumber(name, at, static_cast<uint64_t>(time.year), 4);
  PutNumber(name, at, static_cast<uint64_t>(time.month), 2);
  PutNumber(name, at, static_cast<uint64_t>(time.day), 2);
  PutText(name, at, L"T");
  PutNumber(name, at, static_cast<uint64_t>(time.hour), 2);
  PutNumber(name, at, static_cast<uint64_t>(time.minute), 2);
  PutNumber(name, at, static_cast<uint64_t>(time.second), 2);
  PutText(name, at, L"Z-");
  PutNumber(name, at, process_id, 1);
  PutText(name, at, kDumpSuffix);
  name[at] = L'\0';
  return name;
}

std::vector<std::wstring> DumpsToRemove(std::vector<std::wstring> names, size_t kept) {
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::wstring& name) { return !IsDumpName(name); }),
              names.end());
  // The time in the name is fixed-width, so the newest sort last.
  std::sort(names.begin(), names.end());
  if (names.size() <= kept) return {};
  names.resize(names.size() - kept);
  return names;
}

std::string FormatCrashLine(CrashCause cause, uint32_t code, uint64_t address,
                            const std::string& dump_name, uint32_t dump_error) {
  std::string line = "Crash (";
  line += CauseName(cause, code);
  line += "): exception " + Hex(code, 8) + " at " + Hex(address, 16) + "; ";
  if (dump_name.empty()) {
    line += "no dump written (Windows error " + std::to_string(dump_error) + ").";
  } else {
    line += "dump " + dump_name + ".";
  }
  return line;
}

}  // namespace quorvane
