#include "runner/diagnostics/crash_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;
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

TEST(CrashRules, TheCrashLineNamesCauseCodeAddressAndDump) {
  EXPECT_EQ(FormatCrashLine(CrashCause::kUnhandledException, 0xC0000005, 0x7FF6A1B2C3D4,
                            "quorvane_ai-20260102T030405Z-4242.dmp", 0),
            "Crash (access violation): exception 0xC0000005 at 0x00007FF6A1B2C3D4; dump "
            "quorvane_ai-20260102T030405Z-4242.dmp.");
  EXPECT_EQ(FormatCrashLine(CrashCause::kTerminate, kFastFailCode, 0x1000, "", 5),
            "Crash (std::terminate): exception 0xC0000409 at 0x0000000000001000; no dump written "
            "(Windows error 5).");
  EXPECT_EQ(FormatCrashLine(CrashCause::kUnhandledException, 0xE0000001, 0, "d.dmp", 0),
            "Crash (unhandled exception): exception 0xE0000001 at 0x0000000000000000; dump d.dmp.");
}

}  // namespace
}  // namespace quorvane
