#include "runner/diagnostics/process_lines.h"

namespace quorvane {
namespace {

const char* AwarenessName(DpiAwareness awareness) {
  switch (awareness) {
    case DpiAwareness::kUnaware:
      return "unaware";
    case DpiAwareness::kSystem:
      return "system";
    case DpiAwareness::kPerMonitor:
      return "per-monitor";
    case DpiAwareness::kPerMonitorV2:
      return "per-monitor v2";
    case DpiAwareness::kUnknown:
      break;
  }
  return "unknown";
}

const char* EndReason(ProcessEnd end) {
  switch (end) {
    case ProcessEnd::kClosed:
      return "the window was closed";
    case ProcessEnd::kSessionEnded:
      return "the session is ending";
    case ProcessEnd::kHandedOver:
      return "handed over to the running instance";
    case ProcessEnd::kRelaunchedElevated:
      return "handed over to the elevated re-launch";
    case ProcessEnd::kRelaunchFailed:
      return "the elevated re-launch was declined or failed";
    case ProcessEnd::kMutexFailed:
      return "the single-instance mutex could not be created";
    case ProcessEnd::kStartFailed:
      return "the window could not be created";
    case ProcessEnd::kLibraryFailed:
      return "a program library could not be loaded";
  }
  return "unknown";
}

std::string Counted(size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

std::string FormatStartLine(const StartFacts& facts) {
  std::string line = "Quorvane AI ";
  line += facts.program_version.empty() ? "(unknown version)" : facts.program_version;
  line += " starting on Windows " + std::to_string(facts.windows_major) + "." +
          std::to_string(facts.windows_minor) + " build " + std::to_string(facts.windows_build);
  line += ", 64-bit, DPI awareness ";
  line += AwarenessName(facts.dpi_awareness);
  line += ", " + Counted(static_cast<size_t>(facts.monitors), "monitor");
  line += ", window DPI ";
  line += facts.window_dpi ? std::to_string(*facts.window_dpi) : "none";
  line += ", " + Counted(facts.argument_count, "command-line argument") + ".";
  const int offset =
      facts.utc_offset_minutes < 0 ? -facts.utc_offset_minutes : facts.utc_offset_minutes;
  const std::string minutes = std::to_string(offset % 60);
  line += " Local time is UTC";
  line += facts.utc_offset_minutes < 0 ? "-" : "+";
  line += (offset / 60 < 10 ? "0" : "") + std::to_string(offset / 60) + ":" +
          (minutes.size() < 2 ? "0" : "") + minutes + ";";
  line += " installed in " + (facts.install_folder.empty() ? "(unknown)" : facts.install_folder);
  line += !facts.elevated   ? "; elevation unknown"
          : *facts.elevated ? "; elevated"
                            : "; not elevated";
  line +=
      "; engine " + (facts.engine_version.empty() ? "(no version)" : facts.engine_version) + ".";
  return line;
}

std::string FormatEndLine(int exit_code, ProcessEnd end) {
  return "Exiting with code " + std::to_string(exit_code) + ": " + EndReason(end) + ".";
}

}  // namespace quorvane
