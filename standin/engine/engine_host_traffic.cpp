// The stand-in engine's traffic with the host: sends in both directions and
// their replies.
#include "standin/engine/engine.h"

#include "codec/standard_method_codec.h"
#include "standin/engine/json_value_mapping.h"
#include "standin/engine/messenger.h"

namespace standin {

using nlohmann::json;

bool Engine::ReceiveFromHost(const char* channel, const uint8_t* message, size_t size,
                             FlutterDesktopBinaryReply reply, void* user_data) {
  if (destroyed_ || channel == nullptr || (message == nullptr && size != 0)) return false;
  std::shared_ptr<const flutter::MethodCall<>> call;
  if (size > 0) call = flutter::StandardMethodCodec::GetInstance().DecodeMethodCall(message, size);
  if (call) {
    const flutter::EncodableValue* arguments = call->Arguments();
    log_->Write({{"event", "call"},
                 {"channel", channel},
                 {"method", call->MethodName()},
                 {"args", arguments != nullptr ? ValueToJson(*arguments) : json(nullptr)}});
  } else {
    log_->Write({{"event", "message"}, {"channel", channel}, {"hex", FormatHex(message, size)}});
  }
  // The user-interface side takes the call as it arrives (it only queues work),
  // so that it answers in the state it was in; the answer travels from the loop.
  std::vector<uint8_t> answer;
  if (call && ui_) answer = ui_->OnHostCall(channel, *call);
  if (reply != nullptr) {
    const uint64_t pending_id = next_host_reply_id_++;
    host_replies_[pending_id] = PendingHostReply{reply, user_data};
    PostTask([this, pending_id, answer] { AnswerHost(pending_id, answer); });
  }
  return true;
}

void Engine::AnswerHost(uint64_t pending_id, const std::vector<uint8_t>& answer) {
  const auto found = host_replies_.find(pending_id);
  if (found == host_replies_.end()) return;
  const PendingHostReply pending = found->second;
  host_replies_.erase(found);
  pending.reply(answer.empty() ? nullptr : answer.data(), answer.size(), pending.user_data);
}

void Engine::ReceiveResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                             size_t size) {
  const uint64_t id = reinterpret_cast<uintptr_t>(handle);
  ReplyHandler on_reply;
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    ResponseBook::Answer answer = responses_.Take(id);
    if (answer.outcome == ResponseBook::Outcome::kUnknown) {
      log_->Write({{"event", "invalid_response"}});
      return;
    }
    if (answer.outcome == ResponseBook::Outcome::kDuplicate) {
      log_->Write({{"event", "duplicate_response"},
                   {"channel", answer.channel.empty() ? json(nullptr) : json(answer.channel)}});
      return;
    }
    on_reply = std::move(answer.on_reply);
  }
  if (!on_reply) return;
  // On the UI thread the answer is taken at once: the user-interface side only
  // queues work, and an answer given just before the host closes its window
  // is still seen. Other threads hand it over through the loop.
  if (GetCurrentThreadId() == thread_id_) {
    on_reply(size > 0 ? data : nullptr, data != nullptr ? size : 0);
    return;
  }
  std::vector<uint8_t> bytes;
  if (data != nullptr) bytes.assign(data, data + size);
  PostTask([on_reply, bytes] { on_reply(bytes.empty() ? nullptr : bytes.data(), bytes.size()); });
}

void Engine::SendToHost(const std::string& channel, std::vector<uint8_t> message,
                        ReplyHandler on_reply) {
  PostTask([this, channel, message = std::move(message), on_reply = std::move(on_reply)] {
    Deliver(channel, message, on_reply);
  });
}

void Engine::Deliver(const std::string& channel, const std::vector<uint8_t>& message,
                     ReplyHandler on_reply) {
  const Messenger::Callback callback = messenger_->FindCallback(channel);
  if (callback.function == nullptr) {
    // As the real engine does, a channel nobody listens on answers empty.
    log_->Write({{"event", "no_handler"}, {"channel", channel}});
    PostTask([on_reply] {
      if (on_reply) on_reply(nullptr, 0);
    });
    return;
  }
  uint64_t id;
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    id = responses_.Open(channel, std::move(on_reply));
  }
  FlutterDesktopMessage record = {};
  record.struct_size = sizeof(record);
  record.channel = channel.c_str();
  record.message = message.data();
  record.message_size = message.size();
  // Handles are numbers that are never reused, so a stale one cannot answer a
  // later message.
  record.response_handle =
      reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(static_cast<uintptr_t>(id));
  callback.function(messenger_->handle(), &record, callback.user_data);
}

}  // namespace standin
