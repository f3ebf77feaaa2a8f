// The handler of the "quorvane/settings" method channel: reads and changes
// the desktop preferences kept by the settings store.
#pragma once

#include "codec/encodable_value.h"
#include "codec/method_call.h"
#include "codec/method_result.h"
#include "runner/stores/settings_store_interface.h"

namespace quorvane {

/// Answers call exactly once through result, going to store for every value.
/// Errors carry a code and a message, never details; unknown methods get
/// NotImplemented.
void HandleSettingsCall(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                        SettingsStore& store);

}  // namespace quorvane
