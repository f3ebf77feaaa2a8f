#include "tests/installer/probe_dialogs.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/installer/probe_process.h"

namespace {

// The first visible dialog-class window: setup's pages and message boxes,
// which may belong to a process that the started program started in turn.
BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
  if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForDialog(HANDLE process) {
  HWND found = nullptr;
  for (int i = 0; i < 600 && !found; ++i) {
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) {
      return nullptr;
    }
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&found));
  }
  return found;
}

void PrintText(HWND window) {
  std::wstring text = TextOf(window);
  if (!text.empty()) {
    std::printf("%s\n", Utf8(text.c_str()).c_str());
  }
}

BOOL CALLBACK PrintChildText(HWND window, LPARAM) {
  PrintText(window);
  return TRUE;
}

// No when the dialog asks a question, else Cancel.
void AnswerNo(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, GetDlgItem(dialog, IDNO) != nullptr ? IDNO : IDCANCEL, 0);
}

}  // namespace

int Dialog(const wchar_t* command_line) {
  PROCESS_INFORMATION process{};
  if (!Start(command_line, process)) {
    return 255;
  }
  HWND found = WaitForDialog(process.hProcess);
  if (found) {
    Sleep(500);
    PrintText(found);
    EnumChildWindows(found, PrintChildText, 0);
    std::fflush(stdout);
    AnswerNo(found);
  }
  return FinishWithin(process);
}
