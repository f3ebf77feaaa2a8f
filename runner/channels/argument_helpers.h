// Typed lookups of named call arguments, shared by the channel handlers.
// Only a string key matches, and only the exact alternative counts: no
// conversion between alternatives is ever made.
#pragma once

#include <string>

#include "codec/encodable_value.h"
#include "codec/method_call.h"

namespace quorvane {

using flutter::EncodableValue;
using flutter::MethodCall;

/// The bool entry "enabled", or null.
const bool* GetEnabledArgument(const MethodCall<EncodableValue>& call);
/// The int32 entry under key (an int64 does not count), or null.
const int32_t* GetIntArgument(const MethodCall<EncodableValue>& call, const std::string& key);
/// The string entry "token", or null.
const std::string* GetTokenArgument(const MethodCall<EncodableValue>& call);
/// The string entry under key, or null.
const std::string* GetStringArgument(const MethodCall<EncodableValue>& call,
                                     const std::string& key);

}  // namespace quorvane
