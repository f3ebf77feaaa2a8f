// The steps of a script: one JSON object a line, read into plain records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "codec/encodable_value.h"

namespace standin {

struct ScriptStep {
  enum class Kind {
    kCall,          // send a method call and wait for the reply
    kRaw,           // send bytes as they are and wait for the reply
    kWait,          // keep the loop running for wait_ms
    kPostClose,     // post WM_CLOSE to the top-level window
    kReplyToClose,  // answer (or stop answering) closeRequested with "close"
    kEnd,           // send nothing more
    kFault,         // crash the host inside its window procedure
    kError,         // a line that is no step; error says why
  };

  /// How a fault step crashes the host. On the UI thread, at once: a processor
  /// exception, a C++ exception that reaches std::terminate, a stack overflow,
  /// a heap block overrun, a raised fail-fast, a smashed stack cookie. Later:
  /// a background thread's stack overflow, an access violation on a
  /// background thread while the engine shuts down, one after the host's
  /// entry has returned (as the library is unloaded).
  enum class Fault {
    kAccessViolation,
    kTerminate,
    kStackOverflow,
    kHeapOverrun,
    kFailFast,
    kStackCookie,
    kThreadStackOverflow,
    kAccessViolationAtShutdown,
    kAccessViolationAfterExit,
  };

  /// How long a call or raw step waits for its reply unless it says otherwise.
  static constexpr uint32_t kDefaultTimeoutMs = 10000;
  /// Longest wait a timer can take.
  static constexpr uint32_t kMaxDelayMs = 0x7FFFFFFF;

  Kind kind = Kind::kError;
  int line = 0;
  std::string channel;
  std::string method;
  flutter::EncodableValue arguments;
  std::vector<uint8_t> bytes;
  uint32_t wait_ms = 0;
  uint32_t timeout_ms = kDefaultTimeoutMs;
  bool reply_to_close = false;
  Fault fault = Fault::kAccessViolation;
  std::string error;
};

/// Deepest nesting of arrays and objects a line may have, the step object
/// included: well past what the codec writes (256 levels), well short of what
/// would exhaust the stack while the line is read.
constexpr size_t kMaxScriptNesting = 512;

/// One line of a script; a line that is no valid step gives a kError step whose
/// error names the problem without quoting the line.
ScriptStep ParseScriptLine(const std::string& line, int line_number);

/// Every non-blank line of a script, in order, numbered from 1.
std::vector<ScriptStep> ParseScript(std::istream& input);

}  // namespace standin
