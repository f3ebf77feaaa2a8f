// quorvane:// links among the command-line arguments. The shell starts the
// program with a link as an argument when one is opened anywhere, so a link is
// untrusted input: it is checked here and otherwise passed on as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// The URL scheme the installer registers for the program.
inline constexpr char kLinkScheme[] = "quorvane";
/// The longest link passed on, in bytes.
inline constexpr size_t kLinkMaximumBytes = 2048;

/// Whether argument claims to be a link: it starts with "quorvane:" in any
/// letter case.
bool IsLinkArgument(std::string_view argument);

/// Whether a link argument is passed on: "quorvane://" in any letter case, at
/// most kLinkMaximumBytes, valid UTF-8 without control characters or blanks.
bool IsAcceptableLink(std::string_view argument);

/// The arguments with every link that is not acceptable removed, and the
/// lengths of the links kept and dropped, for the log: a link may carry a
/// sign-in code, so only its length is ever written down.
struct CheckedArguments {
  std::vector<std::string> arguments;
  std::vector<size_t> kept_link_lengths;
  std::vector<size_t> dropped_link_lengths;
};
CheckedArguments CheckLinkArguments(std::vector<std::string> arguments);

/// The log lines that tell of the links in checked: lengths only.
std::vector<std::string> LinkLogLines(const CheckedArguments& checked);

}  // namespace quorvane
