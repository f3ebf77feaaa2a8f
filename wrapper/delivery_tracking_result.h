// A result that passes every answer on to another one and remembers whether
// any answer went through.
#pragma once

#include <string>

#include "codec/method_result.h"

namespace flutter {

/// Lets the invocation reply tell a codec failure (nothing delivered yet) from
/// a failure inside the caller's own result (already delivered).
template <typename T = EncodableValue>
class DeliveryTrackingResult : public MethodResult<T> {
 public:
  /// target must outlive this object.
  explicit DeliveryTrackingResult(MethodResult<T>* target) : target_(target) {}
  ~DeliveryTrackingResult() override = default;

  bool delivered() const { return delivered_; }

 protected:
  void OnSuccess(const T* result) override {
    delivered_ = true;
    if (result == nullptr) {
      target_->Success();
    } else {
      target_->Success(*result);
    }
  }

  void OnError(const std::string& error_code, const std::string& error_message,
               const T* error_details) override {
    delivered_ = true;
    if (error_details == nullptr) {
      target_->Error(error_code, error_message);
    } else {
      target_->Error(error_code, error_message, *error_details);
    }
  }

  void OnNotImplemented() override {
    delivered_ = true;
    target_->NotImplemented();
  }

 private:
  MethodResult<T>* target_;
  bool delivered_ = false;
};

}  // namespace flutter
