#include "runner/diagnostics/output_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(OutputLines, LinesAreCutAtLineEndsAcrossReads) {
  std::vector<std::string> lines;
  OutputLines output([&](std::string_view line) { lines.emplace_back(line); });
  output.Feed("one\r\ntw");
  output.Feed("o\n\nthr");
  EXPECT_THAT(lines, ElementsAre("one", "two", ""));
  output.Finish();
  EXPECT_THAT(lines, ElementsAre("one", "two", "", "thr"));
  lines.clear();
  output.Finish();
  EXPECT_THAT(lines, IsEmpty());
}

TEST(OutputLines, ALineWithoutEndIsLoggedInPiecesOfTheLongestLength) {
  std::vector<std::string> lines;
  OutputLines output([&](std::string_view line) { lines.emplace_back(line); });
  output.Feed(std::string(kLongestOutputLine * 2 + 1, 'x'));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size(), kLongestOutputLine);
  output.Finish();
  EXPECT_EQ(lines.back(), "x");
}

}  // namespace
}  // namespace quorvane
