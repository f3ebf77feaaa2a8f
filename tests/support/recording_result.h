// A MethodResult that records every answer it receives, for codec and channel tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "codec/encodable_value.h"
#include "codec/method_result.h"

namespace testing_support {

struct RecordedAnswer {
  enum class Kind { kSuccess, kError, kNotImplemented } kind;
  std::optional<flutter::EncodableValue> value;  // success value or error details
  std::string code;
  std::string message;
};

class RecordingResult : public flutter::MethodResult<> {
 public:
  std::vector<RecordedAnswer> answers;

 protected:
  void OnSuccess(const flutter::EncodableValue* result) override {
    answers.push_back({RecordedAnswer::Kind::kSuccess, Optional(result), "", ""});
  }
  void OnError(const std::string& code, const std::string& message,
               const flutter::EncodableValue* details) override {
    answers.push_back({RecordedAnswer::Kind::kError, Optional(details), code, message});
  }
  void OnNotImplemented() override {
    answers.push_back({RecordedAnswer::Kind::kNotImplemented, std::nullopt, "", ""});
  }

 private:
  static std::optional<flutter::EncodableValue> Optional(const flutter::EncodableValue* value) {
    if (value == nullptr) return std::nullopt;
    return *value;
  }
};

}  // namespace testing_support
