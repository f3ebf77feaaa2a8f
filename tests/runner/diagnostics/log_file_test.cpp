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
  EXPECT_FALSE(log.RedirectStandardStreams(nullptr));
  EXPECT_FALSE(log.streams_redirected());
}

}  // namespace
}  // namespace quorvane
