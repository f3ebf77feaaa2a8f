// What a crash leaves behind: the dump's file name, which dumps are kept, and
// the log line that names the dump.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/diagnostics/fixed_text.h"
#include "runner/diagnostics/log.h"

namespace quorvane {

/// Left in the crash folder by a crash, holding the dump's name (or nothing);
/// removed once the user was told at a later start.
inline constexpr wchar_t kCrashNoticeFileName[] = L"crash_notice_pending";

/// Dumps kept in the crash folder; older ones are removed after a new one.
inline constexpr size_t kKeptDumps = 10;

/// The exception code the runtime's fatal ends report (a "fast fail"), and the
/// sub-codes it carries as its first parameter.
inline constexpr uint32_t kFastFailCode = 0xC0000409;
inline constexpr uint32_t kFastFailInvalidArgument = 5;
inline constexpr uint32_t kFastFailFatalAppExit = 7;

enum class CrashCause {
  kUnhandledException,
  kTerminate,
  kAbort,
  kPureVirtualCall,
  kInvalidParameter,
};

/// Room for the longest dump file name and its terminator.
inline constexpr size_t kDumpNameCapacity = 64;
using DumpName = std::array<wchar_t, kDumpNameCapacity>;

/// "quorvane_ai-20261207T172245Z-4242.dmp", NUL-terminated. Built without
/// allocating, as it runs in a crashed process.
DumpName FormatDumpName(const UtcTime& time, uint32_t process_id);

/// Of the names in a crash folder, the dumps to remove so that only the newest
/// kept remain. Names that are not the host's dumps are never chosen.
std::vector<std::wstring> DumpsToRemove(std::vector<std::wstring> names, size_t kept = kKeptDumps);

/// Fast-fail sub-codes that the crash line names.
inline constexpr uint32_t kFastFailStackCookie = 2;
inline constexpr uint32_t kFastFailControlFlowGuard = 10;

/// What is known about a crash when its line is written.
struct CrashFacts {
  CrashCause cause = CrashCause::kUnhandledException;
  uint32_t code = 0;
  /// The fast-fail sub-code, when code is kFastFailCode and one came with it.
  std::optional<uint32_t> fast_fail_code;
  /// Where the processor faulted; none for the runtime's fatal ends, whose
  /// place is only in the dump's stack.
  std::optional<uint64_t> address;
  /// The module holding address ("" when none does) and the offset into it.
  std::string_view module;
  uint64_t module_offset = 0;
  uint32_t thread_id = 0;
};

/// What became of the dump.
struct DumpOutcome {
  enum class Result { kWritten, kFailed, kReportFaulted, kTimedOut };
  Result result = Result::kFailed;
  /// The dump's file name, when written.
  std::string_view name;
  /// kFailed: the Windows error; kReportFaulted: the report's own exception
  /// code; kTimedOut: the seconds waited.
  uint32_t detail = 0;
};

using CrashLine = FixedText<512>;

/// "Crash (access violation): exception 0xC0000005 at quorvane_ai.exe+0x1A2B
/// (0x00007FF6A1B2C3D4) on thread 4242; dump quorvane_ai-....dmp." Built
/// without the heap.
CrashLine FormatCrashLine(const CrashFacts& facts, const DumpOutcome& dump);

/// Whether the two bytes at a fault's address are the fast-fail instruction
/// (int 0x29), which a system without fast-fail support reports as an illegal
/// or privileged instruction.
bool IsFastFailInstruction(const uint8_t bytes[2]);

/// The exception codes under which the fast-fail instruction may arrive.
inline bool IsInstructionFault(uint32_t code) { return code == 0xC000001D || code == 0xC0000096; }

}  // namespace quorvane
