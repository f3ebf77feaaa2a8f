#include "runner/diagnostics/crash_rules.h"

#include <algorithm>

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

const char* FastFailName(const std::optional<uint32_t>& fast_fail_code) {
  if (!fast_fail_code) return "fail-fast";
  switch (*fast_fail_code) {
    case kFastFailStackCookie:
      return "stack cookie failure: a stack buffer overrun";
    case kFastFailInvalidArgument:
      return "fail-fast: invalid parameter";
    case kFastFailFatalAppExit:
      return "fail-fast: fatal exit";
    case kFastFailControlFlowGuard:
      return "fail-fast: control-flow guard";
    default:
      return "fail-fast";
  }
}

const char* CauseName(const CrashFacts& facts) {
  switch (facts.cause) {
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
  switch (facts.code) {
    case 0xC0000005:
      return "access violation";
    case 0xC00000FD:
      return "stack overflow";
    case 0xC0000374:
      return "heap corruption";
    case kFastFailCode:
      return FastFailName(facts.fast_fail_code);
    case 0xC0000094:
      return "integer division by zero";
    case 0xC000001D:
      return "illegal instruction";
    case 0xC0000096:
      return "privileged instruction";
    case 0xC0000006:
      return "page could not be read in";
    case 0x80000003:
      return "breakpoint";
    case 0xE06D7363:
      return "uncaught C++ exception";
    default:
      return "unhandled exception";
  }
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

CrashLine FormatCrashLine(const CrashFacts& facts, const DumpOutcome& dump) {
  CrashLine line;
  line.Append("Crash (").Append(CauseName(facts)).Append("): exception ").Hex(facts.code, 8);
  if (facts.address) {
    line.Append(" at ");
    if (!facts.module.empty()) {
      line.Append(facts.module).Append("+").Hex(facts.module_offset, 0).Append(" (");
    }
    line.Hex(*facts.address, 16);
    if (!facts.module.empty()) line.Append(")");
  }
  line.Append(" on thread ").Decimal(facts.thread_id).Append("; ");
  switch (dump.result) {
    case DumpOutcome::Result::kWritten:
      line.Append("dump ").Append(dump.name).Append(".");
      break;
    case DumpOutcome::Result::kFailed:
      line.Append("no dump written (Windows error ").Decimal(dump.detail).Append(").");
      break;
    case DumpOutcome::Result::kReportFaulted:
      line.Append("no dump: the report itself failed with exception ").Hex(dump.detail, 8);
      line.Append(".");
      break;
    case DumpOutcome::Result::kTimedOut:
      line.Append("no dump: the report did not finish within ").Decimal(dump.detail);
      line.Append(" s.");
      break;
  }
  return line;
}

bool IsFastFailInstruction(const uint8_t bytes[2]) { return bytes[0] == 0xCD && bytes[1] == 0x29; }

}  // namespace quorvane
