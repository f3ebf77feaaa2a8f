#include "runner/process/link_arguments.h"

#include <cctype>
#include <utility>

#include "runner/process/utf8_text.h"

namespace quorvane {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t index = 0; index < prefix.size(); ++index) {
    const auto letter = static_cast<unsigned char>(text[index]);
    if (std::tolower(letter) != static_cast<unsigned char>(prefix[index])) return false;
  }
  return true;
}

bool HasControlOrBlank(std::string_view text) {
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte <= 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

bool IsLinkArgument(std::string_view argument) {
  return StartsWithIgnoringCase(argument, std::string(kLinkScheme) + ":");
}

bool IsAcceptableLink(std::string_view argument) {
  return argument.size() <= kLinkMaximumBytes &&
         StartsWithIgnoringCase(argument, std::string(kLinkScheme) + "://") &&
         !HasControlOrBlank(argument) && IsValidUtf8Text(argument);
}

CheckedArguments CheckLinkArguments(std::vector<std::string> arguments) {
  CheckedArguments checked;
  for (std::string& argument : arguments) {
    if (!IsLinkArgument(argument)) {
      checked.arguments.push_back(std::move(argument));
    } else if (IsAcceptableLink(argument)) {
      checked.kept_link_lengths.push_back(argument.size());
      checked.arguments.push_back(std::move(argument));
    } else {
      checked.dropped_link_lengths.push_back(argument.size());
    }
  }
  return checked;
}

std::vector<std::string> LinkLogLines(const CheckedArguments& checked) {
  std::vector<std::string> lines;
  for (const size_t length : checked.kept_link_lengths) {
    lines.push_back("Opened a link (" + std::to_string(length) + " bytes).");
  }
  for (const size_t length : checked.dropped_link_lengths) {
    lines.push_back("Dropped a link that is not a valid quorvane:// link (" +
                    std::to_string(length) + " bytes).");
  }
  return lines;
}

}  // namespace quorvane
