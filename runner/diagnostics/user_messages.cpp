#include "runner/diagnostics/user_messages.h"

namespace quorvane {

UserMessage LibraryFailureMessage(UiLanguage language, const std::wstring& file, uint32_t error,
                                  const std::optional<std::wstring>& log_folder) {
  const std::wstring code = std::to_wstring(error);
  if (language == UiLanguage::kChinese) {
    std::wstring text = L"Quorvane AI 无法启动：程序文件 " + file +
                        L" 缺失或无法加载（Windows 错误 " + code +
                        L"）。\n\n请重新安装 Quorvane AI。如果问题仍然存在，";
    text += log_folder ? L"请将以下文件夹中的日志发送给技术支持：\n" + *log_folder
                       : std::wstring(L"请联系技术支持（无法写入日志）。");
    return {L"Quorvane AI 无法启动", text};
  }
  std::wstring text = L"Quorvane AI could not start: the program file " + file +
                      L" is missing or cannot be loaded (Windows error " + code +
                      L").\n\nPlease reinstall Quorvane AI. If that does not help, ";
  text += log_folder ? L"send the log in this folder to support:\n" + *log_folder
                     : std::wstring(L"contact support (no log could be written).");
  return {L"Quorvane AI could not start", text};
}

UserMessage CrashNoticeMessage(UiLanguage language) {
  if (language == UiLanguage::kChinese) {
    return {L"Quorvane AI",
            L"Quorvane AI 上次运行时意外停止。\n\n已保存一份错误报告。是否打开报告所在的文件夹，"
            L"以便将其发送给技术支持？"};
  }
  return {L"Quorvane AI",
          L"Quorvane AI stopped unexpectedly the last time it ran.\n\nA report was saved. Open "
          L"the folder with the report, to send it to support?"};
}

}  // namespace quorvane
