// Diagnostics are single lines of fixed text on the standard error stream.
#pragma once

#include <iostream>
#include <string_view>

namespace flutter {

/// Writes one diagnostic line: the text, a line end, then a flush.
inline void WriteDiagnosticLine(std::string_view text) { std::cerr << text << std::endl; }

}  // namespace flutter
