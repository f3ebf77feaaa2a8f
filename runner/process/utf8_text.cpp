#include "runner/process/utf8_text.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvane {
namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence that lead starts and the bounds of its second
// byte, which rule out overlong forms, surrogates and code points past U+10FFFF.
struct SequenceRule {
  size_t length;
  uint8_t second_min;
  uint8_t second_max;
};

std::optional<SequenceRule> RuleFor(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return SequenceRule{2, 0x80, 0xBF};
  if (lead == 0xE0) return SequenceRule{3, 0xA0, 0xBF};
  if (lead == 0xED) return SequenceRule{3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return SequenceRule{3, 0x80, 0xBF};
  if (lead == 0xF0) return SequenceRule{4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return SequenceRule{4, 0x80, 0xBF};
  if (lead == 0xF4) return SequenceRule{4, 0x80, 0x8F};
  return std::nullopt;
}

}  // namespace

bool IsValidUtf8Text(std::string_view text) {
  size_t index = 0;
  while (index < text.size()) {
    const auto lead = static_cast<uint8_t>(text[index]);
    if (lead == 0) return false;
    if (lead < 0x80) {
      ++index;
      continue;
    }
    const std::optional<SequenceRule> rule = RuleFor(lead);
    if (!rule || text.size() - index < rule->length) return false;
    const auto second = static_cast<uint8_t>(text[index + 1]);
    if (second < rule->second_min || second > rule->second_max) return false;
    for (size_t offset = 2; offset < rule->length; ++offset) {
      if (!IsContinuation(static_cast<uint8_t>(text[index + offset]))) return false;
    }
    index += rule->length;
  }
  return true;
}

}  // namespace quorvane
