#include "runner/stores/update_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace quorvane {
namespace {

UpdateFacts Passing() {
  UpdateFacts facts;
  facts.update = {true, {1, 2, 3}, "Quorvane AI"};
  facts.host = {true, {1, 2, 3}, "Quorvane AI"};
  facts.update_version = "1.0.1.0";
  facts.host_version = "1.0.0.9";
  return facts;
}

TEST(UpdateRules, RefusesInOrderSignatureHostPublisherVersion) {
  EXPECT_EQ(JudgeUpdate(Passing()), UpdateRefusal::kNone);

  UpdateFacts facts = Passing();
  facts.update.valid = false;
  facts.host.valid = false;
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kUnsigned);

  facts = Passing();
  facts.host.valid = false;
  facts.update_version = "0.1.0.0";
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kHostUnsigned);
  facts.allow_unsigned_host = true;
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kNotNewer) << "the switch skips only the publisher";

  facts = Passing();
  facts.update.signer_certificate = {1, 2, 4};
  facts.update.publisher = facts.host.publisher;  // the same name is not the same signer
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kOtherPublisher);

  facts = Passing();
  facts.update_version = "";
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kVersionUnreadable);
  facts = Passing();
  facts.update_version = facts.host_version;
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kNotNewer);
  facts.update_version = "1.0.0.10";  // compared as numbers, not as text
  EXPECT_EQ(JudgeUpdate(facts), UpdateRefusal::kNone);
}

TEST(UpdateRules, ParsesExactlyFourDecimalParts) {
  EXPECT_EQ(ParseFileVersion("1.2.3.4"), (std::array<uint32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(ParseFileVersion("65535.0.0.99999"), (std::array<uint32_t, 4>{65535, 0, 0, 99999}));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", ".1.2.3", "1.2.3.x",
                          "1.2.3.-4", "1.2.3.100000", " 1.2.3.4"}) {
    EXPECT_FALSE(ParseFileVersion(bad)) << bad;
  }
}

TEST(UpdateRules, AcceptsOnlyAbsolutePathsOfExecutables) {
  EXPECT_TRUE(IsAcceptableUpdatePath("C:\\Downloads\\QuorvaneAI-1.1.0-setup.exe"));
  EXPECT_TRUE(IsAcceptableUpdatePath("d:\\\xE6\x9B\xB4\xE6\x96\xB0.EXE"));
  EXPECT_TRUE(IsAcceptableUpdatePath("\\\\server\\share\\setup.exe"));
  for (const char* bad : {"setup.exe", "C:setup.exe", "\\setup.exe", "\\\\\\x.exe", "C:\\setup.msi",
                          "C:\\setup.exe\\", "C:\\a\xC0\xAF.exe", ""}) {
    EXPECT_FALSE(IsAcceptableUpdatePath(bad)) << bad;
  }
  EXPECT_TRUE(IsAcceptableUpdatePath("C:\\" + std::string(32767 - 7, 'a') + ".exe"));
  EXPECT_FALSE(IsAcceptableUpdatePath("C:\\" + std::string(32767 - 6, 'a') + ".exe"));
}

}  // namespace
}  // namespace quorvane
