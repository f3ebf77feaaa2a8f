// Crash reports under Wine: this test program starts itself again, crashes
// that child on purpose and looks at what the crash left behind.
#include "runner/diagnostics/crash_handler.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "runner/diagnostics/crash_rules.h"
#include "runner/diagnostics/log_file.h"
#include "tests/support/temp_folder.h"

namespace quorvane {
namespace {

using ::testing::HasSubstr;
using ::testing::SizeIs;

constexpr char kModeVariable[] = "QUORVANE_CRASH_MODE";
constexpr char kFolderVariable[] = "QUORVANE_CRASH_FOLDER";

void Throw() { throw std::runtime_error("uncaught"); }

// An exception that meets a noexcept function on its way up.
void ThrowThroughNoexcept() noexcept {
  void (*volatile thrower)() = &Throw;
  thrower();
}

std::wstring FreshFolder() { return test_files::FreshFolder(L"quorvane_crash_test_"); }

std::vector<std::wstring> Dumps(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

// Runs this program's child test with mode; its exit code.
DWORD CrashChild(const std::string& mode, const std::wstring& folder) {
  ::SetEnvironmentVariableA(kModeVariable, mode.c_str());
  ::SetEnvironmentVariableW(L"QUORVANE_CRASH_FOLDER", folder.c_str());
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring command_line =
      L"\"" + std::wstring(program) + L"\" --gtest_filter=CrashHandlerChild.CrashesAsAsked";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  DWORD exit_code = 0;
  if (::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, 60000);
    ::GetExitCodeProcess(process.hProcess, &exit_code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::SetEnvironmentVariableA(kModeVariable, nullptr);
  return exit_code;
}

// Only runs as the child of the tests below.
TEST(CrashHandlerChild, CrashesAsAsked) {
  const char* mode = std::getenv(kModeVariable);
  const char* folder = std::getenv(kFolderVariable);
  if (mode == nullptr || folder == nullptr) GTEST_SKIP() << "runs as a child only";
  std::wstring wide_folder(folder, folder + std::char_traits<char>::length(folder));
  static LogFile log(wide_folder);
  SetProcessLog(&log);
  InstallCrashHandler(wide_folder);
  if (std::string(mode) == "terminate") ThrowThroughNoexcept();
  if (std::string(mode) == "abort") std::abort();
  if (std::string(mode) == "replaced_filter") {
    // A library that puts its own filter in place, as some do when loaded.
    ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return 0; });
    ReassertCrashFilter();
    ::RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
}

TEST(CrashHandler, AnUncaughtExceptionWritesADumpLogsItAndExitsWithTheFastFailCode) {
  const std::wstring folder = FreshFolder();
  // Ten older dumps and a file of someone else's: the oldest dump goes.
  for (int day = 10; day < 20; ++day) {
    std::ofstream(
        (folder + L"\\quorvane_ai-200001" + std::to_wstring(day) + L"T000000Z-1.dmp").c_str());
  }
  std::ofstream((folder + L"\\notes.txt").c_str());

  EXPECT_EQ(CrashChild("terminate", folder), kFastFailCode);

  std::vector<std::wstring> dumps = Dumps(folder);
  ASSERT_THAT(dumps, SizeIs(kKeptDumps));
  EXPECT_EQ(dumps.front(), L"quorvane_ai-20000111T000000Z-1.dmp");
  const std::wstring newest = dumps.back();
  EXPECT_EQ(test_files::ReadWholeFile(folder + L"\\" + newest).substr(0, 4), "MDMP");
  EXPECT_NE(::GetFileAttributesW((folder + L"\\notes.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  const std::string log = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
  EXPECT_THAT(log, HasSubstr(" ERROR Crash (std::terminate): exception 0xC0000409 on thread "));
  EXPECT_THAT(log, HasSubstr("; dump " + std::string(newest.begin(), newest.end()) + ".\r\n"));
}

TEST(CrashHandler, AReplacedFilterIsSetAgainAndLogged) {
  const std::wstring folder = FreshFolder();
  EXPECT_EQ(CrashChild("replaced_filter", folder), 0xE0000001u);
  ASSERT_THAT(Dumps(folder), SizeIs(1));
  const std::string log = test_files::ReadWholeFile(folder + L"\\quorvane_ai.log");
  EXPECT_THAT(log, HasSubstr(" WARN The crash filter had been replaced by "
                             "diagnostics_win32_tests.exe; it is set again.\r\n"));
  EXPECT_THAT(log, HasSubstr(" ERROR Crash (unhandled exception): exception 0xE0000001 at "));
}

TEST(CrashHandler, AbortIsReportedToo) {
  const std::wstring folder = FreshFolder();
  EXPECT_EQ(CrashChild("abort", folder), kFastFailCode);
  ASSERT_THAT(Dumps(folder), SizeIs(1));
  EXPECT_THAT(test_files::ReadWholeFile(folder + L"\\quorvane_ai.log"),
              HasSubstr(" ERROR Crash (abort): "));
}

}  // namespace
}  // namespace quorvane
