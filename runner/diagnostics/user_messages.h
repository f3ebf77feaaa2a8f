// What the user is told when the program cannot start, in their language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

enum class UiLanguage { kEnglish, kChinese };

struct UserMessage {
  std::wstring title;
  std::wstring text;
};

/// A program library (file) is missing or cannot be loaded (Windows error
/// error); the log is in log_folder, or nowhere.
UserMessage LibraryFailureMessage(UiLanguage language, const std::wstring& file, uint32_t error,
                                  const std::optional<std::wstring>& log_folder);

/// After a crash, at the next start: asks whether to open the folder with the
/// report.
UserMessage CrashNoticeMessage(UiLanguage language);

}  // namespace quorvane
