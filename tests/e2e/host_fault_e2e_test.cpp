// Faults of every kind in the real host: what each leaves for a support
// engineer (exit code, dump, log line).
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/host_process.h"

namespace e2e {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const Json kEnd = {{"end", true}};
const Json kCloseToTrayOff = {
    {"call", "quorvane/window"}, {"method", "setCloseToTray"}, {"args", {{"enabled", false}}}};
const Json kClose = {{"call", "quorvane/window"}, {"method", "close"}, {"args", nullptr}};

std::string HexCode(DWORD code) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08lX", code);
  return text;
}

struct FaultCase {
  const char* fault;
  DWORD exit_code;
  // What the crash line must say, from "Crash (" on.
  std::string names;
  // Steps after the fault step.
  std::vector<Json> then;
  milliseconds patience = kPatience;
};

class HostFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveHostDiagnostics();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(nullptr, kHostWindowTitle) == nullptr; }));
  }
};

TEST_F(HostFaults, EveryFaultEndsWithItsCodeAndLeavesADumpOrSaysWhyNot) {
  const std::string in_engine = " at flutter_windows.dll+0x";
  const std::vector<FaultCase> cases = {
      {"access_violation",
       0xC0000005,
       "Crash (access violation): exception 0xC0000005" + in_engine,
       {kEnd}},
      {"terminate", 0xC0000409, "Crash (", {kEnd}},
      // Wine leaves less than a page of stack for the exception of an
      // overflowed thread and ends the thread instead (Windows keeps the
      // 64 KiB the host asks for, and reports 0xC00000FD): the UI thread's
      // end is reported all the same.
      {"stack_overflow", 1067, "Crash (the UI thread ended unexpectedly", {kEnd}},
      {"thread_stack_overflow", 0xC00000FD, "Crash (stack overflow): exception 0xC00000FD", {kEnd}},
      {"fail_fast", 0xC0000409, "Crash (fail-fast: fatal exit): exception 0xC0000409", {kEnd}},
      // The stack protector's check of MinGW-built code ends in abort().
      {"stack_cookie", 0xC0000409, "Crash (abort): exception 0xC0000409", {kEnd}},
      // The crashed thread holds the heap's lock, which the dump writer needs:
      // the report gives up after its bounded wait, and says so.
      {"heap_overrun",
       0xC0000005,
       "; no dump: the report did not finish within 30 s.",
       {kEnd},
       milliseconds(45000)},
      // The crash happens while the window closes; the normal exit must not
      // outrun its report.
      {"access_violation_at_shutdown",
       0xC0000005,
       "Crash (access violation)",
       {kCloseToTrayOff, kClose, kEnd}},
      // After the entry has returned: the end line is written, then the crash.
      {"access_violation_after_exit",
       0xC0000005,
       "Crash (access violation)",
       {kCloseToTrayOff, kClose, kEnd}},
  };
  for (const FaultCase& fault : cases) {
    SCOPED_TRACE(fault.fault);
    RemoveHostDiagnostics();
    std::vector<Json> script = {Json{{"fault", fault.fault}}};
    script.insert(script.end(), fault.then.begin(), fault.then.end());
    HostProcess host({script, L"", {}});
    const std::optional<DWORD> exit_code = host.WaitForExit(fault.patience);
    EXPECT_EQ(exit_code, fault.exit_code) << HexCode(exit_code.value_or(0));

    const std::vector<std::string> lines = HostLogLinesOf(host.id());
    std::string crash_line;
    for (const std::string& line : lines) {
      if (line.find(" ERROR Crash (") != std::string::npos) crash_line = line;
    }
    ASSERT_FALSE(crash_line.empty()) << ::testing::PrintToString(lines);
    EXPECT_THAT(crash_line, HasSubstr(fault.names));
    if (crash_line.find(" exception 0x") != std::string::npos) {
      EXPECT_THAT(crash_line, HasSubstr("exception " + HexCode(fault.exit_code)));
      EXPECT_THAT(crash_line, HasSubstr(" on thread "));
    }
    const size_t dump_at = crash_line.find("; dump ");
    if (dump_at == std::string::npos) {
      EXPECT_THAT(crash_line, HasSubstr("; no dump"));
    } else {
      const std::string dump = crash_line.substr(dump_at + 7, crash_line.size() - dump_at - 8);
      EXPECT_THAT(dump, StartsWith("quorvane_ai-"));
      EXPECT_THAT(
          ReadFile(HostDataFolder() + L"\\crashes\\" + std::wstring(dump.begin(), dump.end())),
          StartsWith("MDMP"));
    }
    if (std::string(fault.fault) == "access_violation_after_exit") {
      EXPECT_THAT(lines, Contains(HasSubstr(" INFO Exiting with code 0: the window was closed.")));
    } else {
      EXPECT_THAT(lines, Not(Contains(HasSubstr(" Exiting with code "))));
    }
  }
}

struct Dialog {
  DWORD process_id = 0;
  HWND window = nullptr;
};

// A message box of process_id, or null.
HWND FindDialogOf(DWORD process_id) {
  Dialog dialog{process_id};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* wanted = reinterpret_cast<Dialog*>(parameter);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t class_name[16] = {};
        ::GetClassNameW(window, class_name, 16);
        if (owner != wanted->process_id || std::wstring(class_name) != L"#32770") return TRUE;
        wanted->window = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&dialog));
  return dialog.window;
}

// The texts of a dialog's static controls, one after the other.
std::wstring DialogText(HWND dialog) {
  std::wstring text;
  ::EnumChildWindows(
      dialog,
      [](HWND child, LPARAM parameter) -> BOOL {
        wchar_t class_name[16] = {};
        ::GetClassNameW(child, class_name, 16);
        if (_wcsicmp(class_name, L"Static") != 0) return TRUE;
        wchar_t part[1024] = {};
        ::GetWindowTextW(child, part, 1024);
        *reinterpret_cast<std::wstring*>(parameter) += part;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

TEST_F(HostFaults, AMissingEngineLibraryIsLoggedAndShownToTheUser) {
  // The executable alone, in a folder without the engine beside it.
  const std::wstring folder = TemporaryPath(L"lonely_host");
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring program = folder + L"\\quorvane_ai.exe";
  ASSERT_TRUE(
      ::CopyFileW((BinaryDirectory() + L"\\quorvane_ai.exe").c_str(), program.c_str(), FALSE));
  std::wstring command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, folder.c_str(), &startup, &process));
  ::CloseHandle(process.hThread);

  // The message box, once its text is there.
  HWND dialog = nullptr;
  std::wstring text;
  EXPECT_TRUE(WaitUntil([&] {
    dialog = FindDialogOf(process.dwProcessId);
    text = dialog != nullptr ? DialogText(dialog) : std::wstring();
    return !text.empty();
  }));
  if (dialog != nullptr) {
    EXPECT_THAT(text, HasSubstr(L"the program file flutter_windows.dll is missing"));
    EXPECT_THAT(text, HasSubstr(HostDataFolder() + L"\\logs"));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }
  EXPECT_EQ(::WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exit_code = 0;
  ::GetExitCodeProcess(process.hProcess, &exit_code);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(exit_code, 1u);
  const std::vector<std::string> lines = HostLogLinesOf(process.dwProcessId);
  EXPECT_THAT(lines, Contains(HasSubstr(" ERROR The program library flutter_windows.dll could not "
                                        "be loaded (Windows error 126).")));
  EXPECT_THAT(
      lines,
      Contains(HasSubstr(" INFO Exiting with code 1: a program library could not be loaded.")));
  ::DeleteFileW(program.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

TEST_F(HostFaults, TheStartAfterACrashOffersTheReportOnce) {
  {
    HostProcess crashed({{Json{{"fault", "access_violation"}}, kEnd}, L"", {}});
    EXPECT_EQ(crashed.WaitForExit(), 0xC0000005u);
  }
  const std::wstring notice = HostDataFolder() + L"\\crashes\\crash_notice_pending";
  EXPECT_NE(::GetFileAttributesW(notice.c_str()), INVALID_FILE_ATTRIBUTES);
  {
    HostProcess next({{kEnd}, L"", {}});
    EXPECT_NE(next.WaitForWindow(true), nullptr);
    HWND dialog = nullptr;
    std::wstring text;
    EXPECT_TRUE(WaitUntil([&] {
      dialog = FindDialogOf(next.id());
      text = dialog != nullptr ? DialogText(dialog) : std::wstring();
      return !text.empty();
    }));
    EXPECT_THAT(text, HasSubstr(L"stopped unexpectedly"));
    // Declined: not asked again.
    if (dialog != nullptr) ::PostMessageW(dialog, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return ::GetFileAttributesW(notice.c_str()) == INVALID_FILE_ATTRIBUTES; }));
  }
  HostProcess third({{kEnd}, L"", {}});
  EXPECT_NE(third.WaitForWindow(true), nullptr);
  EXPECT_FALSE(WaitUntil([&] { return FindDialogOf(third.id()) != nullptr; }, milliseconds(1000)));
}

}  // namespace
}  // namespace e2e
