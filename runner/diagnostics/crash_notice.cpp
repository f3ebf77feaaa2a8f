#include "runner/diagnostics/crash_notice.h"

#include <windows.h>

#include <shellapi.h>

#include "runner/diagnostics/crash_rules.h"
#include "runner/diagnostics/user_messages.h"

namespace quorvane {
namespace {

DWORD WINAPI AskAboutReport(void* parameter) {
  const std::wstring folder = *static_cast<std::wstring*>(parameter);
  delete static_cast<std::wstring*>(parameter);
  const std::wstring notice = folder + L"\\" + kCrashNoticeFileName;
  if (::GetFileAttributesW(notice.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  const UiLanguage language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE
                                  ? UiLanguage::kChinese
                                  : UiLanguage::kEnglish;
  const UserMessage message = CrashNoticeMessage(language);
  const int answer = ::MessageBoxW(nullptr, message.text.c_str(), message.title.c_str(),
                                   MB_YESNO | MB_ICONWARNING | MB_SETFOREGROUND);
  ::DeleteFileW(notice.c_str());
  if (answer == IDYES) {
    ::ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  return 0;
}

}  // namespace

void OfferLastCrashReport(const std::optional<std::wstring>& crash_folder) {
  // Most starts follow no crash: they pay for one look at the folder, no thread.
  if (!crash_folder ||
      ::GetFileAttributesW((*crash_folder + L"\\" + kCrashNoticeFileName).c_str()) ==
          INVALID_FILE_ATTRIBUTES) {
    return;
  }
  auto* folder = new std::wstring(*crash_folder);
  HANDLE thread = ::CreateThread(nullptr, 0, &AskAboutReport, folder, 0, nullptr);
  if (thread == nullptr) {
    delete folder;
    return;
  }
  ::CloseHandle(thread);
}

}  // namespace quorvane
