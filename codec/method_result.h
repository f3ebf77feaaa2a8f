// The sink for the single answer to one method call.
#pragma once

#include <string>

#include "codec/encodable_value.h"

namespace flutter {

/// Forwards each answer to one hook. The base class does not enforce a single
/// answer; the result that replies to the engine does.
template <typename T = EncodableValue>
class MethodResult {
 public:
  MethodResult() = default;
  virtual ~MethodResult() = default;

  MethodResult(const MethodResult&) = delete;
  MethodResult& operator=(const MethodResult&) = delete;

  void Success(const T& result) { OnSuccess(&result); }
  void Success() { OnSuccess(nullptr); }

  void Error(const std::string& error_code, const std::string& error_message, const T& details) {
    OnError(error_code, error_message, &details);
  }
  void Error(const std::string& error_code, const std::string& error_message = "") {
    OnError(error_code, error_message, nullptr);
  }

  void NotImplemented() { OnNotImplemented(); }

 protected:
  /// result is null when the answer carries no value.
  virtual void OnSuccess(const T* result) = 0;
  /// details is null when the error carries none.
  virtual void OnError(const std::string& error_code, const std::string& error_message,
                       const T* details) = 0;
  virtual void OnNotImplemented() = 0;
};

}  // namespace flutter
