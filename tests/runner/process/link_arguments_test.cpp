#include "runner/process/link_arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

using ::testing::ElementsAre;

TEST(LinkArguments, AcceptsOnlyWellFormedLinksOfTheSchemeWithinTheLimit) {
  EXPECT_TRUE(IsAcceptableLink("quorvane://signin?code=abc"));
  EXPECT_TRUE(IsAcceptableLink("QUORVANE://x/%E7%BB"));
  const std::string prefix = "quorvane://";
  EXPECT_TRUE(IsAcceptableLink(prefix + std::string(kLinkMaximumBytes - prefix.size(), 'a')));
  EXPECT_FALSE(IsAcceptableLink(prefix + std::string(kLinkMaximumBytes - prefix.size() + 1, 'a')));
  EXPECT_FALSE(IsAcceptableLink("quorvane:signin"));
  EXPECT_FALSE(IsAcceptableLink("quorvanex://a"));
  EXPECT_FALSE(IsAcceptableLink("quorvane://a b"));
  EXPECT_FALSE(IsAcceptableLink("quorvane://a\tb"));
  EXPECT_FALSE(IsAcceptableLink("quorvane://a\x7F"));
  EXPECT_FALSE(IsAcceptableLink("quorvane://\xC0\xAF"));
}

TEST(LinkArguments, DropsBadLinksKeepsOtherArgumentsAndLogsOnlyLengths) {
  const CheckedArguments checked = CheckLinkArguments(
      {"--flag", "quorvane://ok?code=secret", "Quorvane:evil", "https://example.com"});
  EXPECT_THAT(checked.arguments,
              ElementsAre("--flag", "quorvane://ok?code=secret", "https://example.com"));
  EXPECT_THAT(checked.kept_link_lengths, ElementsAre(25u));
  EXPECT_THAT(checked.dropped_link_lengths, ElementsAre(13u));
  const std::vector<std::string> lines = LinkLogLines(checked);
  EXPECT_THAT(lines,
              ElementsAre("Opened a link (25 bytes).",
                          "Dropped a link that is not a valid quorvane:// link (13 bytes)."));
  for (const std::string& line : lines) EXPECT_EQ(line.find("secret"), std::string::npos);
}

}  // namespace
}  // namespace quorvane
