// Method calls from the user-interface side.
#include "standin/engine/ui_client.h"

#include <memory>

#include "codec/standard_method_codec.h"

namespace standin {

void UiHost::CallHost(const std::string& channel, const std::string& method,
                      const flutter::EncodableValue& arguments, ReplyHandler on_reply) {
  const flutter::MethodCall<> call(method, std::make_unique<flutter::EncodableValue>(arguments));
  SendToHost(channel, *flutter::StandardMethodCodec::GetInstance().EncodeMethodCall(call),
             std::move(on_reply));
}

}  // namespace standin
