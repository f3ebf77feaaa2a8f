// What the log says when the process starts and when it ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runner/process/process_end.h"

namespace quorvane {

enum class DpiAwareness { kUnknown, kUnaware, kSystem, kPerMonitor, kPerMonitorV2 };

/// What a support engineer needs to know about the machine and the start. The
/// arguments themselves are never logged, only their number.
struct StartFacts {
  /// From the executable's version resource; empty when it cannot be read.
  std::string program_version;
  uint32_t windows_major = 0;
  uint32_t windows_minor = 0;
  uint32_t windows_build = 0;
  DpiAwareness dpi_awareness = DpiAwareness::kUnknown;
  int monitors = 0;
  /// None when the process has no window (it hands over, or could not make it).
  std::optional<uint32_t> window_dpi;
  size_t argument_count = 0;
  /// Local time minus UTC, in minutes, as the log's times are UTC.
  int utc_offset_minutes = 0;
  /// The executable's folder, UTF-8; empty when unknown.
  std::string install_folder;
  std::optional<bool> elevated;
  /// From the engine library's version resource; empty when it has none or is
  /// not loaded.
  std::string engine_version;
};

std::string FormatStartLine(const StartFacts& facts);
/// "Exiting with code 0: the window was closed."
std::string FormatEndLine(int exit_code, ProcessEnd end);

}  // namespace quorvane
