// What a crash leaves behind: the dump's file name, which dumps are kept, and
// the log line that names the dump.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runner/diagnostics/log.h"

namespace quorvane {

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

/// "Crash (access violation): exception 0xC0000005 at 0x00007FF6A1B2C3D4;
/// dump quorvane_ai-....dmp." dump_name empty: the dump could not be written,
/// and dump_error says why.
std::string FormatCrashLine(CrashCause cause, uint32_t code, uint64_t address,
                            const std::string& dump_name, uint32_t dump_error);

}  // namespace quorvane
