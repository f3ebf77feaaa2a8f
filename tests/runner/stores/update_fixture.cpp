// Stands in for an installer in the update tests: notes its command line in
// "started.txt" beside itself and exits.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring note(path);
  note = note.substr(0, note.find_last_of(L'\\')) + L"\\started.txt";
  HANDLE file = ::CreateFileW(note.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const std::wstring command_line = ::GetCommandLineW();
  DWORD written = 0;
  ::WriteFile(file, command_line.data(), static_cast<DWORD>(command_line.size() * sizeof(wchar_t)),
              &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
