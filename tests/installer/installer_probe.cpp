// What the installer tests cannot see from Linux, read through Windows itself:
//   installer_probe version FILE     the version resource, one "Name=value" a line
//   installer_probe credential NAME  "present" or "absent" for a generic
//                                    credential (its secret is never read out)
//   installer_probe run COMMAND_LINE runs a program with exactly this command
//                                    line (as a shell would: "/D=" must not be
//                                    quoted), waits and returns its exit code
//   installer_probe stubborn-window  shows no window but owns one with the
//                                    host's class and title that lets the
//                                    session end and still keeps running;
//                                    prints "ready" once it exists
#include <windows.h>
// After windows.h, which it needs.
#include <wincred.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

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

void PrintNumbers(const char* name, DWORD most, DWORD least) {
  std::printf("%s=%u.%u.%u.%u\n", name, static_cast<unsigned>(HIWORD(most)),
              static_cast<unsigned>(LOWORD(most)), static_cast<unsigned>(HIWORD(least)),
              static_cast<unsigned>(LOWORD(least)));
}

int PrintVersion(const wchar_t* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<unsigned char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, data.data())) {
    std::fprintf(stderr, "no version resource (error %lu)\n", GetLastError());
    return 1;
  }
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    std::fprintf(stderr, "no fixed version information\n");
    return 1;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  PrintNumbers("FileVersionNumbers", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  PrintNumbers("ProductVersionNumbers", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"FileVersion", L"CompanyName",
                              L"FileDescription", L"OriginalFilename"}) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (VerQueryValueW(data.data(), query.c_str(), &value, &length) && length > 0) {
      std::printf("%s=%s\n", Utf8(name).c_str(), Utf8(static_cast<const wchar_t*>(value)).c_str());
    }
  }
  return 0;
}

int PrintCredential(const wchar_t* name) {
  PCREDENTIALW credential = nullptr;
  if (CredReadW(name, CRED_TYPE_GENERIC, 0, &credential)) {
    CredFree(credential);
    std::printf("present\n");
    return 0;
  }
  if (GetLastError() == ERROR_NOT_FOUND) {
    std::printf("absent\n");
    return 0;
  }
  std::fprintf(stderr, "credential read failed (error %lu)\n", GetLastError());
  return 1;
}

int Run(const wchar_t* command_line) {
  std::wstring writable(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Default processing agrees to WM_QUERYENDSESSION and ignores WM_ENDSESSION.
int RunStubbornWindow() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"FLUTTER_RUNNER_WIN32_WINDOW";
  if (!RegisterClassW(&window_class) ||
      !CreateWindowExW(0, window_class.lpszClassName, L"Quorvane AI \u7efc\u5408\u5e73\u53f0",
                       WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                       window_class.hInstance, nullptr)) {
    std::fprintf(stderr, "cannot create the window (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"version") {
    return PrintVersion(argv[2]);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"credential") {
    return PrintCredential(argv[2]);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"run") {
    return Run(argv[2]);
  }
  if (argc == 2 && std::wstring(argv[1]) == L"stubborn-window") {
    return RunStubbornWindow();
  }
  std::fprintf(stderr,
               "usage: installer_probe version FILE | credential NAME | run COMMAND_LINE | "
               "stubborn-window\n");
  return 2;
}
