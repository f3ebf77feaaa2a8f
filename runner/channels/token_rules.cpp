// Token checks made before anything reaches the Credential Manager.
#include "runner/channels/token_rules.h"

namespace quorvane {

bool IsAcceptableToken(std::string_view token) {
  if (token.empty() || token.size() > kMaxTokenBytes) return false;
  return token.find_first_of("\r\n") == std::string_view::npos;
}

}  // namespace quorvane
