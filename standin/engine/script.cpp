// Parsing of script lines into steps.
#include "standin/engine/script.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "standin/engine/json_value_mapping.h"

namespace standin {
namespace {

using nlohmann::json;

// The step's own text for errors: never the offending value, which may be a secret.
class StepError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void RequireOnlyKeys(const json& step, std::initializer_list<const char*> allowed) {
  for (const auto& item : step.items()) {
    bool known = false;
    for (const char* key : allowed) known = known || item.key() == key;
    if (!known) throw StepError("unexpected key \"" + item.key() + "\" in this step");
  }
}

const std::string& RequireString(const json& step, const char* key) {
  const auto found = step.find(key);
  if (found == step.end() || !found->is_string()) {
    throw StepError(std::string("\"") + key + "\" must be a string");
  }
  return found->get_ref<const std::string&>();
}

uint32_t RequireDelay(const json& value, const char* key) {
  if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<int64_t>() >= 0)) {
    throw StepError(std::string("\"") + key + "\" must be a whole number of milliseconds");
  }
  const uint64_t delay = value.get<uint64_t>();
  if (delay > ScriptStep::kMaxDelayMs) throw StepError(std::string("\"") + key + "\" is too long");
  return static_cast<uint32_t>(delay);
}

void ReadTimeout(const json& step, ScriptStep* parsed) {
  const auto found = step.find("timeout_ms");
  if (found != step.end()) parsed->timeout_ms = RequireDelay(*found, "timeout_ms");
}

void ParseStep(const json& step, ScriptStep* parsed) {
  if (!step.is_object()) throw StepError("a step must be a JSON object");
  if (step.contains("call")) {
    RequireOnlyKeys(step, {"call", "method", "args", "timeout_ms"});
    parsed->kind = ScriptStep::Kind::kCall;
    parsed->channel = RequireString(step, "call");
    parsed->method = RequireString(step, "method");
    const auto args = step.find("args");
    if (args != step.end()) parsed->arguments = JsonToValue(*args);
    ReadTimeout(step, parsed);
  } else if (step.contains("raw")) {
    RequireOnlyKeys(step, {"raw", "hex", "timeout_ms"});
    parsed->kind = ScriptStep::Kind::kRaw;
    parsed->channel = RequireString(step, "raw");
    parsed->bytes = ParseHex(RequireString(step, "hex"));
    ReadTimeout(step, parsed);
  } else if (step.contains("wait_ms")) {
    RequireOnlyKeys(step, {"wait_ms"});
    parsed->kind = ScriptStep::Kind::kWait;
    parsed->wait_ms = RequireDelay(step["wait_ms"], "wait_ms");
  } else if (step.contains("post")) {
    RequireOnlyKeys(step, {"post"});
    if (RequireString(step, "post") != "close") throw StepError("\"post\" must be \"close\"");
    parsed->kind = ScriptStep::Kind::kPostClose;
  } else if (step.contains("reply_to_close")) {
    RequireOnlyKeys(step, {"reply_to_close"});
    if (!step["reply_to_close"].is_boolean()) {
      throw StepError("\"reply_to_close\" must be true or false");
    }
    parsed->kind = ScriptStep::Kind::kReplyToClose;
    parsed->reply_to_close = step["reply_to_close"].get<bool>();
  } else if (step.contains("fault")) {
    RequireOnlyKeys(step, {"fault"});
    const std::string& fault = RequireString(step, "fault");
    static const std::pair<const char*, ScriptStep::Fault> kFaults[] = {
        {"access_violation", ScriptStep::Fault::kAccessViolation},
        {"terminate", ScriptStep::Fault::kTerminate},
        {"stack_overflow", ScriptStep::Fault::kStackOverflow},
        {"heap_overrun", ScriptStep::Fault::kHeapOverrun},
        {"fail_fast", ScriptStep::Fault::kFailFast},
        {"stack_cookie", ScriptStep::Fault::kStackCookie},
        {"thread_stack_overflow", ScriptStep::Fault::kThreadStackOverflow},
        {"access_violation_at_shutdown", ScriptStep::Fault::kAccessViolationAtShutdown},
        {"access_violation_after_exit", ScriptStep::Fault::kAccessViolationAfterExit},
    };
    const auto known = std::find_if(std::begin(kFaults), std::end(kFaults),
                                    [&](const auto& entry) { return fault == entry.first; });
    if (known == std::end(kFaults)) throw StepError("\"fault\" names no known fault");
    parsed->fault = known->second;
    parsed->kind = ScriptStep::Kind::kFault;
  } else if (step.contains("end")) {
    RequireOnlyKeys(step, {"end"});
    if (step["end"] != true) throw StepError("\"end\" must be true");
    parsed->kind = ScriptStep::Kind::kEnd;
  } else {
    throw StepError("unknown step");
  }
}

// True when the line's arrays and objects nest deeper than the reader follows.
// Brackets inside strings do not count.
bool NestsTooDeep(const std::string& line) {
  size_t depth = 0;
  bool in_string = false;
  bool escaped = false;
  for (const char c : line) {
    if (in_string) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxScriptNesting) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

}  // namespace

ScriptStep ParseScriptLine(const std::string& line, int line_number) {
  ScriptStep parsed;
  parsed.line = line_number;
  if (NestsTooDeep(line)) {
    parsed.error = "the line nests deeper than " + std::to_string(kMaxScriptNesting) + " levels";
    return parsed;
  }
  const json step = json::parse(line, nullptr, false);
  if (step.is_discarded()) {
    parsed.error = "the line is not valid JSON";
    return parsed;
  }
  try {
    ParseStep(step, &parsed);
  } catch (const StepError& error) {
    parsed = ScriptStep();
    parsed.line = line_number;
    parsed.error = error.what();
  } catch (const JsonValueError& error) {
    parsed = ScriptStep();
    parsed.line = line_number;
    parsed.error = error.what();
  }
  return parsed;
}

std::vector<ScriptStep> ParseScript(std::istream& input) {
  std::vector<ScriptStep> steps;
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    steps.push_back(ParseScriptLine(line, number));
  }
  return steps;
}

}  // namespace standin
