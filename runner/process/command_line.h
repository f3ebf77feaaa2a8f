// The process's command-line arguments as UTF-8, for the engine's entry point.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

/// The arguments after the program name, each converted to UTF-8. An argument
/// that is not valid UTF-16 becomes an empty string in its place; a command
/// line that cannot be split gives no arguments.
std::vector<std::string> CommandLineArgumentsUtf8();

/// The current directory as UTF-8; empty when it cannot be read.
std::string CurrentDirectoryUtf8();

/// The UTF-8 form of a NUL-terminated UTF-16 string (at most 32767 units are
/// read). Empty for null, empty or invalid input such as an unpaired surrogate.
std::string Utf16ToUtf8(const wchar_t* text);

}  // namespace quorvane
