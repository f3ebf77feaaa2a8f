// The fault step: crashes the host from inside a callback it is running, as a
// faulty engine or plug-in would, so that its crash reports can be tested.
#pragma once

#include <windows.h>

#include "standin/engine/script.h"

namespace standin {

/// The message a fault step posts to the host's top-level window; wparam is
/// the fault.
UINT FaultMessage();

/// Crashes the host as fault says: at once on this thread, or on a thread of
/// its own, or arms a crash for later (the engine's shutdown, the library's
/// unloading); only the last two return.
void CrashHost(ScriptStep::Fault fault);

/// Called as the engine shuts down: runs an armed shutdown fault.
void OnEngineShutdown();

}  // namespace standin
