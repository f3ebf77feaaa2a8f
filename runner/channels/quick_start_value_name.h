// The registry value name that holds one account's quick-start progress.
#pragma once

#include <optional>
#include <string>

#include "codec/encodable_value.h"
#include "codec/method_call.h"

namespace quorvane {

/// "QuickStart." followed by the call's "accountDigest": exactly 64 digits
/// 0-9 or lower-case a-f, nothing trimmed or case-folded. None when the
/// arguments are not a map, the entry is missing or not a string, or the
/// digest is malformed.
std::optional<std::wstring> QuickStartValueName(const flutter::MethodCall<>& call);

}  // namespace quorvane
