// The handler of the "quorvane/update" channel: checks an update file and
// hands it to its installer.
#pragma once

#include "codec/encodable_value.h"
#include "codec/method_call.h"
#include "codec/method_result.h"
#include "runner/stores/update_rules.h"

namespace quorvane {

/// Answers one call exactly once: {"publisher", "version"} when the file
/// passes every check (for "installUpdate", once its installer has started),
/// the refusal's error otherwise, NotImplemented for any other name.
void HandleUpdateCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                      flutter::MethodResult<flutter::EncodableValue>& result,
                      UpdateInstaller& installer);

}  // namespace quorvane
