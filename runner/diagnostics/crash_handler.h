// Crash reports: a minidump and a log line when the process crashes.
#pragma once

#include <optional>
#include <string>

namespace quorvane {

/// From now on an unhandled structured exception, std::terminate, abort(), a
/// pure virtual call or an invalid parameter to a runtime function writes a
/// minidump into crash_folder (none: no dump), names it in the process's log
/// with the exception code and address, keeps the newest dumps only, and ends
/// the process with the exception code as its exit code. dbghelp.dll is loaded
/// here, from the system folder, so that nothing is loaded after a crash.
void InstallCrashHandler(std::optional<std::wstring> crash_folder);

}  // namespace quorvane
