// Typed lookups of named call arguments.
#include "runner/channels/argument_helpers.h"

namespace quorvane {
namespace {

// The entry under the string key, if the arguments are a map holding it as T.
template <typename T>
const T* GetTypedArgument(const MethodCall<EncodableValue>& call, const std::string& key) {
  const EncodableValue* arguments = call.Arguments();
  if (arguments == nullptr) return nullptr;
  const auto* map = arguments->GetIf<flutter::EncodableMap>();
  if (map == nullptr) return nullptr;
  const auto entry = map->find(EncodableValue(key));
  if (entry == map->end()) return nullptr;
  return entry->second.GetIf<T>();
}

}  // namespace

const bool* GetEnabledArgument(const MethodCall<EncodableValue>& call) {
  return GetTypedArgument<bool>(call, "enabled");
}

const int32_t* GetIntArgument(const MethodCall<EncodableValue>& call, const std::string& key) {
  return GetTypedArgument<int32_t>(call, key);
}

const std::string* GetTokenArgument(const MethodCall<EncodableValue>& call) {
  return GetStringArgument(call, "token");
}

const std::string* GetStringArgument(const MethodCall<EncodableValue>& call,
                                     const std::string& key) {
  return GetTypedArgument<std::string>(call, key);
}

}  // namespace quorvane
