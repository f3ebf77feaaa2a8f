// Crash reports: a minidump and a log line when the process crashes.
#pragma once

#include <optional>
#include <string>

namespace quorvane {

/// From now on an unhandled structured exception on any thread (a stack
/// overflow included), std::terminate, abort(), a pure virtual call or an
/// invalid parameter to the C runtime writes a minidump into crash_folder
/// (none: no dump), names it in the process's log with what happened, where
/// and on which thread, keeps the newest dumps only, and ends the process
/// with the exception code as its exit code. The dump is written by a thread
/// that waits for the crash from now on, never by the crashed thread; dbghelp
/// is loaded here, from the system folder, so that nothing is loaded after a
/// crash.
void InstallCrashHandler(std::optional<std::wstring> crash_folder);

/// Sets the crash filter again if a library loaded since replaced it, and
/// logs which module had put its own in place.
void ReassertCrashFilter();

/// Called before the process ends normally: while a crash of another thread
/// is being reported, waits (bounded) for the report and ends the process with
/// the crash's code instead.
void HoldExitWhileCrashReporting();

}  // namespace quorvane
