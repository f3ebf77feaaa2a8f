// The log file under Wine: appending, rotation, and staying out of the way.
#include "runner/diagnostics/log_file.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace quorvane {
namespace {

using ::testing::EndsWith;
using ::testing::MatchesRegex;

std::wstring FreshFolder() { return test_files::FreshFolder(L"quorvane_log_test_"); }

void WriteFile(const std::wstring& path, const std::string& content) {
  std::ofstream(path.c_str(), std::ios::binary) << content;
}

TEST(LogFile, AppendsOneLinePerEventFromEveryWriter) {
  const std::wstring folder = FreshFolder();
  LogFile first(folder);
  LogFile second(folder);
  // A reader holding the file open, as a support engineer's editor may.
  HANDLE reader = ::CreateFileW((folder + L"\\quorvane_ai.log").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  first.Write(LogLevel::kInfo, "one");
  second.Write(LogLevel::kWarning, "two");
  first.Write(LogLevel::kError, "three");
  ::CloseHandle(reader);

  // gtest's own regular expressions on Windows: \d, no brackets or counts.
  const std::string time = "\\d\\d\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\dZ ";
  const std::string pid = std::to_string(::GetCurrentProcessId());
  std::istringstream lines(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log"));
  std::string line;
  for (const char* expected : {" INFO one\r", " WARN two\r", " ERROR three\r"}) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_THAT(line, MatchesRegex("^" + time + pid + expected + "$"));
  }
  EXPECT_FALSE(std::getline(lines, line));
}

TEST(LogFile, AFullFileIsRenamedAsideAndOnlyThreeAreKept) {
  const std::wstring folder = FreshFolder();
  WriteFile(folder + L"\\quorvane_ai.log", std::string(kLogRotationBytes, 'x'));
  WriteFile(folder + L"\\quorvane_ai.log.1", "first");
  WriteFile(folder + L"\\quorvane_ai.log.2", "second");
  WriteFile(folder + L"\\quorvane_ai.log.3", "third");

  LogFile log(folder);
  log.Write(LogLevel::kInfo, "fresh");

  EXPECT_THAT(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log"),
              EndsWith(" INFO fresh\r\n"));
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log").find('x'), std::string::npos);
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.1"),
            std::string(kLogRotationBytes, 'x'));
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.2"), "first");
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.3"), "second");
  EXPECT_EQ(::GetFileAttributesW((folder + L"\\quorvane_ai.log.4").c_str()),
            INVALID_FILE_ATTRIBUTES);

  // Just below the limit nothing moves.
  WriteFile(folder + L"\\quorvane_ai.log", std::string(kLogRotationBytes - 1, 'y'));
  log.Write(LogLevel::kInfo, "appended");
  const std::string kept = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
  EXPECT_EQ(kept.substr(0, kLogRotationBytes - 1), std::string(kLogRotationBytes - 1, 'y'));
  EXPECT_THAT(kept, EndsWith(" INFO appended\r\n"));
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.1"),
            std::string(kLogRotationBytes, 'x'));
}

TEST(LogFile, AnUnwritableLogIsSilentAndLeavesTheLastErrorAlone) {
  const std::wstring missing = FreshFolder() + L"\\missing";
  LogFile log(missing);
  ::SetLastError(1234);
  log.Write(LogLevel::kError, "lost");
  EXPECT_EQ(::GetLastError(), 1234u);
  EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(log.Writable());
}

TEST(LogFile, RotationWaitsForReadersThatDoNotShareDeletionAndLosesNothing) {
  const std::wstring folder = FreshFolder();
  const std::string full(kLogRotationBytes, 'x');
  LogFile log(folder);
  // Each file held in turn by a reader that does not let it be renamed.
  for (const wchar_t* held : {L"quorvane_ai.log", L"quorvane_ai.log.1", L"quorvane_ai.log.2"}) {
    WriteFile(folder + L"\\quorvane_ai.log", full);
    WriteFile(folder + L"\\quorvane_ai.log.1", "first");
    WriteFile(folder + L"\\quorvane_ai.log.2", "second");
    WriteFile(folder + L"\\quorvane_ai.log.3", "third");
    HANDLE reader = ::CreateFileW((folder + L"\\" + held).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    log.Write(LogLevel::kInfo, "while held");
    ::CloseHandle(reader);
    const std::string live = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
    EXPECT_EQ(live.substr(0, full.size()), full);
    EXPECT_THAT(live, EndsWith(" INFO while held\r\n"));
    EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.1"), "first");
    EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.2"), "second");
    EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.3"), "third");
  }
  // Once the reader is gone, the next line rotates.
  log.Write(LogLevel::kInfo, "released");
  EXPECT_THAT(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log"),
              EndsWith(" INFO released\r\n"));
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log.2"), "first");
}

TEST(LogFile, AWriterFollowsARotationByAnotherWriter) {
  const std::wstring folder = FreshFolder();
  LogFile first(folder);
  LogFile second(folder);
  first.Write(LogLevel::kInfo, "before");
  second.Write(LogLevel::kInfo, "before too");
  // The second writer finds the file full and rotates; the first one, which
  // still holds the renamed file open, must write into the new live file.
  WriteFile(folder + L"\\quorvane_ai.log", std::string(kLogRotationBytes, 'x'));
  second.Write(LogLevel::kInfo, "rotated");
  first.Write(LogLevel::kInfo, "after");
  const std::string live = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
  EXPECT_THAT(live, MatchesRegex(".* INFO rotated\r\n.* INFO after\r\n"));
  EXPECT_EQ(live.find('x'), std::string::npos);
}

TEST(LogFile, TheCrashPathWritesOneWholeLine) {
  const std::wstring folder = FreshFolder();
  LogFile log(folder);
  log.WriteFromCrash("first, before any other line");
  log.Write(LogLevel::kInfo, "ordinary");
  log.WriteFromCrash("second");
  std::istringstream lines(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log"));
  std::string line;
  for (const char* expected :
       {" ERROR first, before any other line\r", " INFO ordinary\r", " ERROR second\r"}) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_THAT(line, EndsWith(expected));
  }
}

TEST(LogFile, TimesAreUniversalWhateverTheLocalZone) {
  // The test runs with a zone far from UTC (TZ is set for it), or this check
  // could not tell universal from local time.
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  ::GetSystemTime(&universal);
  ::GetLocalTime(&local);
  ASSERT_NE(universal.wHour, local.wHour) << "the local zone is UTC: run with TZ set";
  const UtcTime now = UtcNow();
  ::GetSystemTime(&universal);
  const int minutes = now.hour * 60 + now.minute;
  const int expected = universal.wHour * 60 + universal.wMinute;
  EXPECT_LE((expected - minutes + 1440) % 1440, 1);
}

}  // namespace
}  // namespace quorvane
