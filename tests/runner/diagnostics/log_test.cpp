#include "runner/diagnostics/log.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

TEST(Log, LinesCarryUtcTimeProcessLevelAndMessage) {
  const UtcTime time{2026, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(FormatLogLine(time, 4242, LogLevel::kInfo, "Started."),
            "2026-01-02T03:04:05.006Z 4242 INFO Started.\r\n");
  EXPECT_EQ(FormatLogLine({2026, 12, 31, 23, 59, 59, 999}, 7, LogLevel::kWarning, ""),
            "2026-12-31T23:59:59.999Z 7 WARN \r\n");
  EXPECT_EQ(FormatLogLine(time, 1, LogLevel::kError, "x"),
            "2026-01-02T03:04:05.006Z 1 ERROR x\r\n");
}

TEST(Log, LineEndsInsideAMessageNeverStartANewLine) {
  EXPECT_EQ(FormatLogLine({}, 1, LogLevel::kWarning, "a\r\nb\nc"),
            "1970-01-01T00:00:00.000Z 1 WARN a  b c\r\n");
  // Other bytes, UTF-8 included, are kept as they are.
  EXPECT_EQ(FormatLogLine({}, 1, LogLevel::kInfo, "\xe7\xbb\xbc\t"),
            "1970-01-01T00:00:00.000Z 1 INFO \xe7\xbb\xbc\t\r\n");
}

TEST(Log, CrashLinesMatchOrdinaryLinesWithoutTheHeap) {
  const UtcTime time{2026, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(FormatCrashLogLine(time, 9, LogLevel::kError, "a\nb").view(),
            FormatLogLine(time, 9, LogLevel::kError, "a\nb"));
  // A message too long is cut, and the line still ends.
  const std::string line(
      FormatCrashLogLine(time, 9, LogLevel::kError, std::string(2000, 'x')).view());
  EXPECT_EQ(line.size(), kCrashLogLineCapacity);
  EXPECT_EQ(line.substr(line.size() - 3), "x\r\n");
}

TEST(Log, RotationsAreNumberedFromTheNewest) {
  EXPECT_EQ(RotatedLogFileName(0), L"quorvane_ai.log");
  EXPECT_EQ(RotatedLogFileName(1), L"quorvane_ai.log.1");
  EXPECT_EQ(RotatedLogFileName(kKeptLogRotations), L"quorvane_ai.log.3");
}

}  // namespace
}  // namespace quorvane
