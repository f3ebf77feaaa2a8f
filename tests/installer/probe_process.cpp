#include "tests/installer/probe_process.h"

#include <cstdio>

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) {
    return {};
  }
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.pop_back();
  return result;
}

bool Start(const wchar_t* command_line, PROCESS_INFORMATION& process) {
  std::wstring writable(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
    return false;
  }
  return true;
}

int Finish(const PROCESS_INFORMATION& process) {
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

int FinishWithin(const PROCESS_INFORMATION& process) {
  constexpr DWORD kEndTimeoutMs = 30000;
  constexpr UINT kEndedExitCode = 254;
  if (WaitForSingleObject(process.hProcess, kEndTimeoutMs) == WAIT_TIMEOUT) {
    std::fprintf(stderr, "the program did not end; ended it\n");
    TerminateProcess(process.hProcess, kEndedExitCode);
    WaitForSingleObject(process.hProcess, kEndTimeoutMs);
  }
  return Finish(process);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64];
  return GetClassNameW(window, name, 64) > 0 ? name : L"";
}

std::wstring TextOf(HWND window) {
  wchar_t text[2048];
  return GetWindowTextW(window, text, 2048) > 0 ? text : L"";
}
