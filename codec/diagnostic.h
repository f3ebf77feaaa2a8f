// Diagnostics are single lines of fixed text on the standard error stream.
#pragma once

#include <atomic>
#include <cstdio>
#include <string_view>

namespace flutter {

/// Receives each diagnostic line (without its line end) in place of stderr.
using DiagnosticSink = void (*)(std::string_view line);

/// Where diagnostic lines go instead of stderr; null means stderr.
inline std::atomic<DiagnosticSink> diagnostic_sink{nullptr};

/// Sends the diagnostic lines of this process to sink, or back to stderr when
/// it is null. For programs that feed the codec millions of malformed inputs
/// on purpose, such as fuzzers, where writing each line would cost more than
/// the decoding itself.
inline void SetDiagnosticSink(DiagnosticSink sink) { diagnostic_sink.store(sink); }

/// Writes one diagnostic line: the text, a line end, then a flush. Plain C
/// streams, so that no library needs the iostream set-up just to report.
inline void WriteDiagnosticLine(std::string_view text) {
  if (const DiagnosticSink sink = diagnostic_sink.load(std::memory_order_relaxed)) {
    sink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace flutter
