// The identity Windows groups the program's windows, taskbar button, shortcuts
// and notifications by. The process and the installer's shortcuts carry the
// same one.
#pragma once

namespace quorvane {

inline constexpr wchar_t kAppUserModelId[] = L"QuorvaneAI.Desktop";

}  // namespace quorvane
