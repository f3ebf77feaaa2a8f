#include "runner/stores/update_rules.h"

#include <cctype>

#include "runner/process/utf8_text.h"

namespace quorvane {
namespace {

constexpr size_t kMaximumPathBytes = 32767;
constexpr size_t kMaximumVersionDigits = 5;

bool EndsWithExe(std::string_view path) {
  constexpr std::string_view kSuffix = ".exe";
  if (path.size() < kSuffix.size()) return false;
  for (size_t index = 0; index < kSuffix.size(); ++index) {
    const auto letter = static_cast<unsigned char>(path[path.size() - kSuffix.size() + index]);
    if (std::tolower(letter) != kSuffix[index]) return false;
  }
  return true;
}

bool IsAbsolute(std::string_view path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && path[2] == '\\';
  const bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
  return drive || share;
}

}  // namespace

UpdateRefusal JudgeUpdate(const UpdateFacts& facts) {
  if (!facts.update.valid) return UpdateRefusal::kUnsigned;
  if (!facts.host.valid) {
    if (!facts.allow_unsigned_host) return UpdateRefusal::kHostUnsigned;
  } else if (facts.update.signer_certificate.empty() ||
             facts.update.signer_certificate != facts.host.signer_certificate) {
    return UpdateRefusal::kOtherPublisher;
  }
  const std::optional<std::array<uint32_t, 4>> update = ParseFileVersion(facts.update_version);
  const std::optional<std::array<uint32_t, 4>> host = ParseFileVersion(facts.host_version);
  if (!update || !host) return UpdateRefusal::kVersionUnreadable;
  if (!(*host < *update)) return UpdateRefusal::kNotNewer;
  return UpdateRefusal::kNone;
}

std::optional<std::array<uint32_t, 4>> ParseFileVersion(std::string_view text) {
  std::array<uint32_t, 4> parts{};
  size_t part = 0;
  size_t digits = 0;
  for (const char character : text) {
    if (character == '.') {
      if (digits == 0 || ++part == parts.size()) return std::nullopt;
      digits = 0;
    } else if (character >= '0' && character <= '9' && digits < kMaximumVersionDigits) {
      parts[part] = parts[part] * 10 + static_cast<uint32_t>(character - '0');
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || part != parts.size() - 1) return std::nullopt;
  return parts;
}

bool IsAcceptableUpdatePath(std::string_view path) {
  return path.size() <= kMaximumPathBytes && IsValidUtf8Text(path) && IsAbsolute(path) &&
         EndsWithExe(path);
}

}  // namespace quorvane
