// A method name with its arguments: one call over a method channel.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "codec/encodable_value.h"

namespace flutter {

template <typename T = EncodableValue>
class MethodCall {
 public:
  MethodCall(std::string method_name, std::unique_ptr<T> arguments)
      : method_name_(std::move(method_name)), arguments_(std::move(arguments)) {}
  virtual ~MethodCall() = default;

  MethodCall(const MethodCall&) = delete;
  MethodCall& operator=(const MethodCall&) = delete;

  const std::string& MethodName() const { return method_name_; }

  /// The arguments, or null when the call has none.
  const T* Arguments() const { return arguments_.get(); }

 private:
  std::string method_name_;
  std::unique_ptr<T> arguments_;
};

}  // namespace flutter
