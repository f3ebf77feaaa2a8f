#include "tests/installer/probe_dialogs.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/installer/probe_process.h"

namespace {

// The wizard's inner page and its Next button (the setup window's own ids).
constexpr int kPageId = 1018;
constexpr int kNextId = 1;
// The room a check box or radio button takes before its text.
constexpr int kCheckWidth = 20;

std::wstring ClassOf(HWND window) {
  wchar_t name[64];
  return GetClassNameW(window, name, 64) > 0 ? name : L"";
}

std::wstring TextOf(HWND window) {
  wchar_t text[2048];
  return GetWindowTextW(window, text, 2048) > 0 ? text : L"";
}

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

// The height the text needs at the control's width, in its own font.
SIZE TextExtent(HWND control, const std::wstring& text, UINT format, int width) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Prints the controls whose text does not fit.
BOOL CALLBACK PrintOverflow(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) {
    return TRUE;
  }
  std::wstring name = ClassOf(window);
  std::wstring text = TextOf(window);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  RECT client;
  GetClientRect(window, &client);
  bool overflow = false;
  if (name == L"SysTreeView32" || name == L"SysListView32") {
    overflow = (style & WS_HSCROLL) != 0;
  } else if (text.empty()) {
    return TRUE;
  } else if (name == L"Static" && (style & SS_TYPEMASK) <= SS_RIGHT) {
    SIZE size = TextExtent(window, text, DT_WORDBREAK | DT_EXPANDTABS, client.right);
    overflow = size.cy > client.bottom || size.cx > client.right;
  } else if (name == L"Button") {
    LONG type = style & BS_TYPEMASK;
    bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                 type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    if (check) {
      SIZE size = TextExtent(window, text, DT_SINGLELINE, 0);
      overflow = size.cx + kCheckWidth > client.right;
    }
  }
  if (overflow) {
    std::printf("overflow: %s: %s (%ldx%ld)\n", Utf8(name.c_str()).c_str(),
                Utf8(text.c_str()).c_str(), client.right, client.bottom);
  }
  return TRUE;
}

bool HasButton(HWND box, int id) { return GetDlgItem(box, id) != nullptr; }

void Answer(HWND box, bool yes) {
  int id = yes ? (HasButton(box, IDYES) ? IDYES : IDOK) : (HasButton(box, IDNO) ? IDNO : IDCANCEL);
  PostMessageW(box, WM_COMMAND, id, 0);
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
    Answer(found, false);
  }
  WaitForSingleObject(process.hProcess, 60000);
  return Finish(process);
}

int Walk(int pages, bool yes, const wchar_t* command_line) {
  PROCESS_INFORMATION process{};
  if (!Start(command_line, process)) {
    return 255;
  }
  int seen = 0;
  HWND last_page = nullptr;
  for (int step = 0; step < 40; ++step) {
    HWND found = WaitForDialog(process.hProcess);
    if (!found) {
      break;
    }
    Sleep(500);
    HWND page = GetDlgItem(found, kPageId);
    if (page == nullptr) {
      std::printf("message: ");
      EnumChildWindows(found, PrintChildText, 0);
      std::fflush(stdout);
      Answer(found, yes);
      Sleep(500);
      continue;
    }
    if (page == last_page) {
      Sleep(200);
      continue;
    }
    last_page = page;
    std::printf("page:\n");
    EnumChildWindows(found, PrintChildText, 0);
    EnumChildWindows(found, PrintOverflow, 0);
    std::fflush(stdout);
    PostMessageW(found, WM_COMMAND, seen < pages ? kNextId : IDCANCEL, 0);
    ++seen;
    Sleep(500);
  }
  WaitForSingleObject(process.hProcess, 60000);
  return Finish(process);
}
