// What the credential channel accepts as an access token.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorvane {

constexpr size_t kMaxTokenBytes = 8192;

/// True for 1 to kMaxTokenBytes bytes without a carriage return or line feed.
/// Every other byte, NUL and non-ASCII included, is accepted unchanged.
bool IsAcceptableToken(std::string_view token);

}  // namespace quorvane
