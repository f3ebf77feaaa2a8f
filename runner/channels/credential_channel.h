// The handler of the "quorvane/credential" method channel: saves and clears
// the access token in the credential store.
#pragma once

#include "codec/encodable_value.h"
#include "codec/method_call.h"
#include "codec/method_result.h"
#include "runner/stores/credential_store.h"

namespace quorvane {

/// Answers call exactly once through result. A token that breaks the token
/// rules never reaches store. Errors carry no details and never the token.
void HandleCredentialCall(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                          CredentialStore& store);

}  // namespace quorvane
