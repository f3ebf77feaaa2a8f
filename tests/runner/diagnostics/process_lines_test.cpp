#include "runner/diagnostics/process_lines.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ProcessLines, TheStartLineNamesVersionSystemDisplayAndArgumentCount) {
  StartFacts facts;
  facts.program_version = "1.2.3.0";
  facts.windows_major = 10;
  facts.windows_minor = 0;
  facts.windows_build = 22631;
  facts.dpi_awareness = DpiAwareness::kPerMonitorV2;
  facts.monitors = 2;
  facts.window_dpi = 144;
  facts.argument_count = 1;
  facts.utc_offset_minutes = 8 * 60;
  facts.install_folder = "C:\\Program Files\\Quorvane AI";
  facts.elevated = true;
  facts.engine_version = "3.24.0.0";
  EXPECT_EQ(FormatStartLine(facts),
            "Quorvane AI 1.2.3.0 starting on Windows 10.0 build 22631, 64-bit, DPI awareness "
            "per-monitor v2, 2 monitors, window DPI 144, 1 command-line argument. Local time is "
            "UTC+08:00; installed in C:\\Program Files\\Quorvane AI; elevated; engine 3.24.0.0.");
  // West of Greenwich, by half hours.
  facts.utc_offset_minutes = -(3 * 60 + 30);
  facts.elevated = false;
  EXPECT_NE(FormatStartLine(facts).find(" UTC-03:30; "), std::string::npos);
  EXPECT_NE(FormatStartLine(facts).find("; not elevated; "), std::string::npos);

  StartFacts bare;
  EXPECT_EQ(FormatStartLine(bare),
            "Quorvane AI (unknown version) starting on Windows 0.0 build 0, 64-bit, DPI awareness "
            "unknown, 0 monitors, window DPI none, 0 command-line arguments. Local time is "
            "UTC+00:00; installed in (unknown); elevation unknown; engine (no version).");
}

TEST(ProcessLines, TheEndLineSaysHowTheProcessEnded) {
  EXPECT_EQ(FormatEndLine(0, ProcessEnd::kClosed), "Exiting with code 0: the window was closed.");
  EXPECT_EQ(FormatEndLine(0, ProcessEnd::kSessionEnded),
            "Exiting with code 0: the session is ending.");
  EXPECT_EQ(FormatEndLine(0, ProcessEnd::kHandedOver),
            "Exiting with code 0: handed over to the running instance.");
  EXPECT_EQ(FormatEndLine(0, ProcessEnd::kRelaunchedElevated),
            "Exiting with code 0: handed over to the elevated re-launch.");
  EXPECT_EQ(FormatEndLine(1, ProcessEnd::kRelaunchFailed),
            "Exiting with code 1: the elevated re-launch was declined or failed.");
  EXPECT_EQ(FormatEndLine(1, ProcessEnd::kMutexFailed),
            "Exiting with code 1: the single-instance mutex could not be created.");
  EXPECT_EQ(FormatEndLine(1, ProcessEnd::kStartFailed),
            "Exiting with code 1: the window could not be created.");
}

}  // namespace
}  // namespace quorvane
