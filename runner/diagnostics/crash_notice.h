// After a crash, the next start tells the user once and offers the report.
#pragma once

#include <optional>
#include <string>

namespace quorvane {

/// When the last run left a crash notice in crash_folder, asks the user (in
/// their language, on a thread of its own so that the start goes on) whether
/// to open the folder with the report. Any answer removes the notice, so that
/// no report is asked about twice; a notice left unanswered (the program ended
/// first) is asked about at the next start.
void OfferLastCrashReport(const std::optional<std::wstring>& crash_folder);

}  // namespace quorvane
