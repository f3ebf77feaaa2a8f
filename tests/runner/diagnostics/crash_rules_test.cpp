#include "runner/diagnostics/crash_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

TEST(CrashRules, DumpNamesHoldTheUtcSecondAndTheProcess) {
  EXPECT_EQ(std::wstring(FormatDumpName({2026, 1, 2, 3, 4, 5, 678}, 4242).data()),
            L"quorvane_ai-20260102T030405Z-4242.dmp");
  // The longest: the largest process id still fits, terminated.
  EXPECT_EQ(std::wstring(FormatDumpName({9999, 12, 31, 23, 59, 59, 999}, 0xFFFFFFFF).data()),
            L"quorvane_ai-99991231T235959Z-4294967295.dmp");
}

TEST(CrashRules, OnlyTheNewestDumpsAreKept) {
  std::vector<std::wstring> names;
  for (int day = 10; day <= 21; ++day) {
    names.push_back(L"quorvane_ai-202601" + std::to_wstring(day) + L"T000000Z-7.dmp");
  }
  names.push_back(L"notes.txt");
  names.push_back(L"quorvane_ai-.dmp");
  names.push_back(L"other-20260101T000000Z-1.dmp");
  EXPECT_THAT(DumpsToRemove(names), ElementsAre(L"quorvane_ai-20260110T000000Z-7.dmp",
                                                L"quorvane_ai-20260111T000000Z-7.dmp"));
  EXPECT_THAT(DumpsToRemove({L"quorvane_ai-20260110T000000Z-7.dmp"}), IsEmpty());
  EXPECT_THAT(DumpsToRemove(names, 11), ElementsAre(L"quorvane_ai-20260110T000000Z-7.dmp"));
}

TEST(CrashRules, TheCrashLineNamesCauseCodePlaceThreadAndDump) {
  CrashFacts facts;
  facts.code = 0xC0000005;
  facts.address = 0x7FF6A1B2C3D4;
  facts.module = "quorvane_ai.exe";
  facts.module_offset = 0x1C3D4;
  facts.thread_id = 4242;
  const DumpOutcome written{DumpOutcome::Result::kWritten, "quorvane_ai-20260102T030405Z-1.dmp"};
  EXPECT_EQ(FormatCrashLine(facts, written).view(),
            "Crash (access violation): exception 0xC0000005 at quorvane_ai.exe+0x1C3D4 "
            "(0x00007FF6A1B2C3D4) on thread 4242; dump quorvane_ai-20260102T030405Z-1.dmp.");
  // An address in no module, and each way a dump can be missing.
  facts.module = "";
  EXPECT_EQ(FormatCrashLine(facts, {DumpOutcome::Result::kFailed, "", 5}).view(),
            "Crash (access violation): exception 0xC0000005 at 0x00007FF6A1B2C3D4 on thread "
            "4242; no dump written (Windows error 5).");
  EXPECT_THAT(
      std::string(
          FormatCrashLine(facts, {DumpOutcome::Result::kReportFaulted, "", 0xC0000374}).view()),
      EndsWith("; no dump: the report itself failed with exception 0xC0000374."));
  EXPECT_THAT(std::string(FormatCrashLine(facts, {DumpOutcome::Result::kTimedOut, "", 30}).view()),
              EndsWith("; no dump: the report did not finish within 30 s."));
  // The runtime's fatal ends have no faulting address of their own.
  CrashFacts terminate;
  terminate.cause = CrashCause::kTerminate;
  terminate.code = kFastFailCode;
  terminate.thread_id = 7;
  EXPECT_EQ(FormatCrashLine(terminate, written).view(),
            "Crash (std::terminate): exception 0xC0000409 on thread 7; dump "
            "quorvane_ai-20260102T030405Z-1.dmp.");
}

TEST(CrashRules, FaultsAreNamedByWhatHappened) {
  const auto name = [](uint32_t code, std::optional<uint32_t> fast_fail = std::nullopt) {
    CrashFacts facts;
    facts.code = code;
    facts.fast_fail_code = fast_fail;
    const std::string line(FormatCrashLine(facts, {}).view());
    return line.substr(7, line.find(')') - 7);
  };
  EXPECT_EQ(name(0xC00000FD), "stack overflow");
  EXPECT_EQ(name(0xC0000374), "heap corruption");
  EXPECT_EQ(name(kFastFailCode, kFastFailStackCookie),
            "stack cookie failure: a stack buffer overrun");
  EXPECT_EQ(name(kFastFailCode, kFastFailFatalAppExit), "fail-fast: fatal exit");
  EXPECT_EQ(name(kFastFailCode), "fail-fast");
  EXPECT_EQ(name(0xC000001D), "illegal instruction");
  EXPECT_EQ(name(0xE0000001), "unhandled exception");

  const uint8_t fast_fail[2] = {0xCD, 0x29};
  const uint8_t other_interrupt[2] = {0xCD, 0x2E};
  EXPECT_TRUE(IsFastFailInstruction(fast_fail));
  EXPECT_FALSE(IsFastFailInstruction(other_interrupt));
}

TEST(FixedText, NumbersAreWrittenInFullAndOverflowIsCutOff) {
  FixedText<32> text;
  text.Decimal(7, 3).Append(" ").Decimal(18446744073709551615ull).Append(" ").Hex(0xAB, 4);
  EXPECT_EQ(text.view(), "007 18446744073709551615 0x00AB");
  FixedText<4> small;
  small.Append("abcdef");
  EXPECT_EQ(small.view(), "abcd");
  EXPECT_EQ(FixedText<20>().Hex(0x1234567890ABCDEFull, 0).view(), "0x1234567890ABCDEF");
}

}  // namespace
}  // namespace quorvane
