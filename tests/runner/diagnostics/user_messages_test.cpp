#include "runner/diagnostics/user_messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

TEST(UserMessages, ALibraryFailureNamesFileErrorAndLogFolderInTheUsersLanguage) {
  const std::wstring folder = L"C:\\Users\\a\\AppData\\Local\\Quorvane AI\\logs";
  const UserMessage english =
      LibraryFailureMessage(UiLanguage::kEnglish, L"flutter_windows.dll", 126, folder);
  EXPECT_EQ(english.title, L"Quorvane AI could not start");
  EXPECT_THAT(english.text, HasSubstr(L"flutter_windows.dll is missing"));
  EXPECT_THAT(english.text, HasSubstr(L"(Windows error 126)"));
  EXPECT_THAT(english.text, EndsWith(L"\n" + folder));

  const UserMessage chinese =
      LibraryFailureMessage(UiLanguage::kChinese, L"tray_manager_plugin.dll", 193, folder);
  EXPECT_EQ(chinese.title, L"Quorvane AI 无法启动");
  EXPECT_THAT(chinese.text, HasSubstr(L"tray_manager_plugin.dll 缺失"));
  EXPECT_THAT(chinese.text, HasSubstr(L"Windows 错误 193"));
  EXPECT_THAT(chinese.text, EndsWith(L"\n" + folder));

  // Without a log, the message says so instead of naming a folder.
  EXPECT_THAT(LibraryFailureMessage(UiLanguage::kEnglish, L"x.dll", 2, std::nullopt).text,
              EndsWith(L"(no log could be written)."));
}

TEST(UserMessages, TheCrashNoticeAsksInTheUsersLanguage) {
  EXPECT_THAT(CrashNoticeMessage(UiLanguage::kEnglish).text, HasSubstr(L"stopped unexpectedly"));
  EXPECT_THAT(CrashNoticeMessage(UiLanguage::kChinese).text, HasSubstr(L"意外停止"));
}

}  // namespace
}  // namespace quorvane
