// Printed output carried into the log under Wine: a child of this test program
// captures its own standard output and prints five megabytes into it.
#include "runner/diagnostics/output_capture.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "runner/diagnostics/log_file.h"
#include "tests/support/temp_folder.h"

namespace quorvane {
namespace {

using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr char kFolderVariable[] = "QUORVANE_PRINT_FOLDER";
constexpr int kPrintedLines = 50000;
constexpr size_t kPrintedLineBytes = 100;
// A logged line: time, process id, level and the printed line.
constexpr size_t kLongestLoggedLine = 160;

std::string PrintedLine(int number) {
  std::string line = "line " + std::to_string(number) + " ";
  line.resize(kPrintedLineBytes - 1, 'x');
  return line + "\n";
}

// Only runs as the child of the test below.
TEST(OutputCaptureChild, PrintsFiveMegabytes) {
  const char* folder = std::getenv(kFolderVariable);
  if (folder == nullptr) GTEST_SKIP() << "runs as a child only";
  static LogFile log(std::wstring(folder, folder + std::char_traits<char>::length(folder)));
  ASSERT_TRUE(CaptureOutputInto(log, nullptr));
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  for (int number = 0; number < kPrintedLines; ++number) {
    const std::string line = PrintedLine(number);
    ::WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  ::WriteFile(output, "the end\n", 8, &written, nullptr);
  DrainCapturedOutput(30000);
  // Nothing more from the test framework into the log.
  ::ExitProcess(0);
}

TEST(OutputCapture, PrintedOutputIsHeldToTheLogsLimitLineByLine) {
  const std::wstring folder = test_files::FreshFolder(L"quorvane_output_test_");
  ::SetEnvironmentVariableW(L"QUORVANE_PRINT_FOLDER", folder.c_str());
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring command_line =
      L"\"" + std::wstring(program) + L"\" --gtest_filter=OutputCaptureChild.*";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
  ::SetEnvironmentVariableW(L"QUORVANE_PRINT_FOLDER", nullptr);
  EXPECT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);

  const std::string live = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
  EXPECT_LE(live.size(), kLogRotationBytes + kLongestLoggedLine);
  EXPECT_THAT(live, EndsWith(" OUT the end\r\n"));
  for (int rotation = 1; rotation <= kKeptLogRotations; ++rotation) {
    const std::string older =
        test_files::ReadWholeFile(folder + L"\\quorvane_ai.log." + std::to_wstring(rotation));
    EXPECT_GE(older.size(), kLogRotationBytes) << rotation;
    EXPECT_LE(older.size(), kLogRotationBytes + kLongestLoggedLine) << rotation;
  }
  // One logged line per printed line, whole.
  std::istringstream lines(live);
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_THAT(line, AllOf(HasSubstr(" OUT "), AnyOf(EndsWith("x\r"), EndsWith(" the end\r"))));
  }
}

}  // namespace
}  // namespace quorvane
