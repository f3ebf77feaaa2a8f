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
//   installer_probe hung-window      the same, but never answers a message
//   installer_probe hold FILE UNTIL  holds FILE open without sharing (as a
//                                    program running from it would) until
//                                    the file UNTIL exists; prints "ready"
//   installer_probe hold-mutex NAME UNTIL  the same for a named mutex
//   installer_probe security PATH    the access list of PATH in SDDL
//   installer_probe host             the image of the process that owns the
//                                    host's window, or "none"
//   installer_probe dialog COMMAND_LINE  the texts of the first dialog a
//                                    program shows, cancelled (probe_dialogs.h)
//   installer_probe wizard COMMAND_LINE STEP...  drives a program's wizard
//                                    page by page (probe_wizard.h)
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>
#include <wincred.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/installer/probe_dialogs.h"
#include "tests/installer/probe_process.h"
#include "tests/installer/probe_wizard.h"

namespace {

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
  PROCESS_INFORMATION process{};
  if (!Start(command_line, process)) {
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  return Finish(process);
}

constexpr wchar_t kHostClass[] = L"FLUTTER_RUNNER_WIN32_WINDOW";
constexpr wchar_t kHostTitle[] = L"Quorvane AI \u7efc\u5408\u5e73\u53f0";

void Ready() {
  std::printf("ready\n");
  std::fflush(stdout);
}

void WaitForFile(const wchar_t* path) {
  while (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    Sleep(100);
  }
}

int Hold(const wchar_t* path, const wchar_t* until) {
  HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open the file (error %lu)\n", GetLastError());
    return 1;
  }
  Ready();
  WaitForFile(until);
  CloseHandle(file);
  return 0;
}

int HoldMutex(const wchar_t* name, const wchar_t* until) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (mutex == nullptr) {
    std::fprintf(stderr, "cannot create the mutex (error %lu)\n", GetLastError());
    return 1;
  }
  Ready();
  WaitForFile(until);
  CloseHandle(mutex);
  return 0;
}

int PrintSecurity(const wchar_t* path) {
  DWORD size = 0;
  GetFileSecurityW(path, DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<unsigned char> descriptor(size);
  wchar_t* text = nullptr;
  if (size == 0 ||
      !GetFileSecurityW(path, DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    std::fprintf(stderr, "cannot read the access list (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("%s\n", Utf8(text).c_str());
  LocalFree(text);
  return 0;
}

int PrintHost() {
  HWND window = FindWindowW(kHostClass, kHostTitle);
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  HANDLE process = window ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr;
  wchar_t image[MAX_PATH];
  DWORD length = MAX_PATH;
  if (process && QueryFullProcessImageNameW(process, 0, image, &length)) {
    std::printf("%s\n", Utf8(image).c_str());
  } else {
    std::printf("none\n");
  }
  if (process) {
    CloseHandle(process);
  }
  return 0;
}

// Default processing agrees to WM_QUERYENDSESSION and ignores WM_ENDSESSION.
// A hung window is created and then never served.
int RunHostWindow(bool hung) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kHostClass;
  if (!RegisterClassW(&window_class) ||
      !CreateWindowExW(0, window_class.lpszClassName, kHostTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100,
                       100, nullptr, nullptr, window_class.hInstance, nullptr)) {
    std::fprintf(stderr, "cannot create the window (error %lu)\n", GetLastError());
    return 1;
  }
  Ready();
  if (hung) {
    Sleep(INFINITE);
  }
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
  if (argc == 2 &&
      (std::wstring(argv[1]) == L"stubborn-window" || std::wstring(argv[1]) == L"hung-window")) {
    return RunHostWindow(std::wstring(argv[1]) == L"hung-window");
  }
  if (argc == 4 && std::wstring(argv[1]) == L"hold") {
    return Hold(argv[2], argv[3]);
  }
  if (argc == 4 && std::wstring(argv[1]) == L"hold-mutex") {
    return HoldMutex(argv[2], argv[3]);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"security") {
    return PrintSecurity(argv[2]);
  }
  if (argc == 2 && std::wstring(argv[1]) == L"host") {
    return PrintHost();
  }
  if (argc == 3 && std::wstring(argv[1]) == L"dialog") {
    return Dialog(argv[2]);
  }
  if (argc >= 3 && std::wstring(argv[1]) == L"wizard") {
    return Wizard(argv[2], argc - 3, argv + 3);
  }
  std::fprintf(stderr,
               "usage: installer_probe version FILE | credential NAME | run COMMAND_LINE | "
               "stubborn-window | hung-window | hold FILE UNTIL | hold-mutex NAME UNTIL | "
               "security PATH | host | dialog COMMAND_LINE | wizard COMMAND_LINE STEP...\n");
  return 2;
}
