// How the process ends: decided by the process rules and the entry, told by
// the log's end line.
#pragma once

namespace quorvane {

enum class ProcessEnd {
  kClosed,              // the window was closed
  kSessionEnded,        // log-off, shut-down or an installer's restart request
  kHandedOver,          // another instance was running and was brought forward
  kRelaunchedElevated,  // the elevated re-launch took over
  kRelaunchFailed,      // the elevated re-launch was declined or could not start
  kMutexFailed,         // the single-instance mutex could not be created
  kStartFailed,         // the window (or the engine's view) could not be created
  kLibraryFailed,       // the engine or a plug-in library could not be loaded
};

}  // namespace quorvane
