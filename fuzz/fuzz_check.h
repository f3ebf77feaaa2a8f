// The fuzzers' oracle: a failed check aborts, which libFuzzer reports as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "codec/diagnostic.h"

#define FUZZ_CHECK(condition)                                                             \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (false)

namespace fuzz_support {

/// Malformed input is the fuzzers' daily bread: its diagnostic lines are
/// checked to be single non-empty lines rather than written, which would cost
/// far more than the decoding itself.
inline void InstallDiagnosticCheck() {
  flutter::SetDiagnosticSink([](std::string_view line) {
    FUZZ_CHECK(!line.empty() && line.find('\n') == std::string_view::npos);
  });
}

}  // namespace fuzz_support
