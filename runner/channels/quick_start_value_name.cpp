// Derives the per-account quick-start value name from a call's digest.
#include "runner/channels/quick_start_value_name.h"

#include <cstddef>

namespace quorvane {

namespace {

constexpr size_t kDigestLength = 64;

bool IsLowerHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::optional<std::wstring> QuickStartValueName(const flutter::MethodCall<>& call) {
  const flutter::EncodableValue* arguments = call.Arguments();
  if (arguments == nullptr) return std::nullopt;
  const auto* map = arguments->GetIf<flutter::EncodableMap>();
  if (map == nullptr) return std::nullopt;
  auto entry = map->find(flutter::EncodableValue(std::string("accountDigest")));
  if (entry == map->end()) return std::nullopt;
  const auto* digest = entry->second.GetIf<std::string>();
  if (digest == nullptr || digest->size() != kDigestLength) return std::nullopt;

  std::wstring name = L"QuickStart.";
  for (char c : *digest) {
    if (!IsLowerHexDigit(c)) return std::nullopt;
    name.push_back(static_cast<wchar_t>(c));
  }
  return name;
}

}  // namespace quorvane
