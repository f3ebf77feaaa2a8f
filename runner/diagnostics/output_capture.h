// What the engine and the UI code print, carried into the log line by line.
#pragma once

#include "runner/diagnostics/log.h"

namespace quorvane {

/// Points the process's standard output and error (the standard handles, and
/// the runtime's streams where the runtime allows) at a pipe, whose lines a
/// thread of its own writes into log, each with time and process id, so that
/// they are held to the log's size limit and rotation like every other line.
/// Then calls resync so that a library with a runtime of its own follows.
/// log must outlive the process. False when the pipe or the thread cannot be
/// made; the streams are then left as they were.
bool CaptureOutputInto(Log& log, void (*resync)());

/// Waits (at most timeout_ms) until what was printed so far is in the log, so
/// that the last lines before the end are not lost with the reader thread.
void DrainCapturedOutput(unsigned long timeout_ms);

}  // namespace quorvane
