#include "tests/installer/probe_wizard.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/installer/probe_process.h"

namespace {

constexpr int kNoWindowExitCode = 253;
constexpr int kHeaderTitleId = 1037;

HWND PageOf(HWND wizard) { return FindWindowExW(wizard, nullptr, L"#32770", nullptr); }

// Setup's wizard holds its page as a child dialog; a message box holds none.
struct Search {
  bool wizard;
  HWND found;
};

BOOL CALLBACK FindTopDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (IsWindowVisible(window) && ClassOf(window) == L"#32770" &&
      (PageOf(window) != nullptr) == search->wizard) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitFor(HANDLE process, bool wizard) {
  Search search{wizard, nullptr};
  for (int i = 0; i < 300 && !search.found; ++i) {
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) {
      return nullptr;
    }
    EnumWindows(FindTopDialog, reinterpret_cast<LPARAM>(&search));
  }
  Sleep(500);
  return search.found;
}

// The font a page's dialog declares, for the language: face and points.
struct DialogFont {
  std::wstring face;
  int points;
};

HFONT CreateDialogFont(HDC context, const DialogFont& declared) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(declared.points, GetDeviceCaps(context, LOGPIXELSY), 72);
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, declared.face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

// The control's font, when it tells another process and the handle can be
// used here (none: the system font); else, as under Wine, which answers no
// WM_GETFONT from another process, the font its dialog declares.
HFONT ControlFont(HWND control) {
  DWORD_PTR font = 0;
  if (!SendMessageTimeoutW(control, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 2000, &font)) {
    return nullptr;
  }
  return font ? reinterpret_cast<HFONT>(font) : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

// The rectangle the text needs in the control's font, wrapped to the given
// width or on one line.
SIZE TextNeeds(HWND control, const std::wstring& text, LONG width, bool wraps,
               const DialogFont& dialog_font) {
  HDC context = GetDC(control);
  HFONT created = nullptr;
  HGDIOBJ previous = nullptr;
  if (HFONT font = ControlFont(control)) {
    previous = SelectObject(context, font);
  }
  if (!previous) {
    created = CreateDialogFont(context, dialog_font);
    previous = SelectObject(context, created);
  }
  RECT needed{0, 0, width, 0};
  DrawTextW(context, text.c_str(), -1, &needed,
            DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(context, previous);
  if (created) {
    DeleteObject(created);
  }
  ReleaseDC(control, context);
  return {needed.right - needed.left, needed.bottom - needed.top};
}

bool Fits(HWND control, const DialogFont& dialog_font) {
  LONG style = GetWindowLongW(control, GWL_STYLE);
  std::wstring kind = ClassOf(control);
  if (style & (WS_VSCROLL | WS_HSCROLL)) {
    return false;
  }
  std::wstring text = TextOf(control);
  RECT client{};
  GetClientRect(control, &client);
  if (text.empty() || !IsWindowVisible(control)) {
    return true;
  }
  if (kind == L"Static") {
    LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) {
      return true;
    }
    SIZE needs = TextNeeds(control, text, client.right, type != SS_LEFTNOWORDWRAP, dialog_font);
    return needs.cx <= client.right && needs.cy <= client.bottom;
  }
  LONG type = style & BS_TYPEMASK;
  if (kind == L"Button" && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON &&
      type != BS_GROUPBOX) {
    LONG room = client.right - GetSystemMetrics(SM_CXMENUCHECK) - GetSystemMetrics(SM_CXEDGE);
    SIZE needs = TextNeeds(control, text, room, (style & BS_MULTILINE) != 0, dialog_font);
    return needs.cx <= room && needs.cy <= client.bottom;
  }
  return true;
}

BOOL CALLBACK PrintCutOff(HWND control, LPARAM context) {
  std::wstring kind = ClassOf(control);
  if ((kind == L"Static" || kind == L"Button" || kind == WC_TREEVIEWW) &&
      !Fits(control, *reinterpret_cast<const DialogFont*>(context))) {
    std::wstring text = TextOf(control);
    std::printf("cut off: %s\n", text.empty() ? "the components list" : Utf8(text.c_str()).c_str());
  }
  return TRUE;
}

void PrintFit(HWND wizard, const DialogFont& dialog_font) {
  HWND header = GetDlgItem(wizard, kHeaderTitleId);
  std::printf("page: %s\n", Utf8(TextOf(header ? header : wizard).c_str()).c_str());
  EnumChildWindows(wizard, PrintCutOff, reinterpret_cast<LPARAM>(&dialog_font));
}

BOOL CALLBACK PrintMessageText(HWND control, LPARAM) {
  if (ClassOf(control) == L"Static" && !TextOf(control).empty()) {
    std::printf("message: %s\n", Utf8(TextOf(control).c_str()).c_str());
  }
  return TRUE;
}

// Presses a button of a dialog as a click would, without waiting for what
// the press starts (a message box would block a sent message).
void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Waits until the page changes, a message box shows or the program ends.
void WaitAfterNext(HANDLE process, HWND wizard, HWND page) {
  Search search{false, nullptr};
  for (int i = 0; i < 300; ++i) {
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0 || PageOf(wizard) != page) {
      break;
    }
    EnumWindows(FindTopDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      break;
    }
  }
  Sleep(500);
}

bool RunStep(HANDLE process, const std::wstring& step) {
  bool message_step = step == L"refuse";
  HWND window = WaitFor(process, !message_step);
  if (!window) {
    std::fprintf(stderr, "no %s for the step %s\n", message_step ? "message box" : "wizard",
                 Utf8(step.c_str()).c_str());
    return false;
  }
  if (step.rfind(L"fit=", 0) == 0 && step.find(L':') != std::wstring::npos) {
    size_t colon = step.rfind(L':');
    PrintFit(window, {step.substr(4, colon - 4), _wtoi(step.c_str() + colon + 1)});
  } else if (step == L"next") {
    HWND page = PageOf(window);
    Press(window, IDOK);
    WaitAfterNext(process, window, page);
  } else if (step == L"cancel") {
    Press(window, IDCANCEL);
    HWND question = WaitFor(process, false);
    if (question) {
      Press(question, IDYES);
    }
  } else if (step == L"refuse") {
    EnumChildWindows(window, PrintMessageText, 0);
    Press(window, IDCANCEL);
  } else {
    std::fprintf(stderr, "unknown step %s\n", Utf8(step.c_str()).c_str());
    return false;
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int Wizard(const wchar_t* command_line, int step_count, wchar_t** steps) {
  PROCESS_INFORMATION process{};
  if (!Start(command_line, process)) {
    return 255;
  }
  for (int i = 0; i < step_count; ++i) {
    if (!RunStep(process.hProcess, steps[i])) {
      TerminateProcess(process.hProcess, kNoWindowExitCode);
      break;
    }
  }
  return FinishWithin(process);
}
