// Diagnostics are single lines of fixed text on the standard error stream.
#pragma once

#include <cstdio>
#include <string_view>

namespace flutter {

/// Writes one diagnostic line: the text, a line end, then a flush. Plain C
/// streams, so that no library needs the iostream set-up just to report.
inline void WriteDiagnosticLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace flutter
