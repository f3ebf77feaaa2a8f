// The fault step: crashes the host from inside a callback it is running, as a
// faulty engine or plug-in would, so that its crash reports can be tested.
#pragma once

#include <windows.h>

#include "standin/engine/script.h"

namespace standin {

/// The message a fault step posts to the host's top-level window; wparam is
/// the fault.
UINT FaultMessage();

/// Writes to a page that may not be touched (an access violation), or throws a
/// C++ exception that no one catches.
[[noreturn]] void CrashHost(ScriptStep::Fault fault);

}  // namespace standin
