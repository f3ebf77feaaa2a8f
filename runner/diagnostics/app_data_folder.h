// The program's folder under the user's local application data, where the log
// and the crash dumps go.
#pragma once

#include <optional>
#include <string>

namespace quorvane {

/// "%LOCALAPPDATA%\Quorvane AI\<leaf>" of the user the process runs as,
/// created with its parents when missing; none when it cannot be.
std::optional<std::wstring> ApplicationDataFolder(const wchar_t* leaf);

}  // namespace quorvane
