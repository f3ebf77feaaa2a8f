// Open messages by handle, and a short memory of the answered ones.
#include "standin/engine/response_book.h"

#include <algorithm>

namespace standin {

uint64_t ResponseBook::Open(std::string channel, ReplyHandler on_reply) {
  const uint64_t handle = next_handle_++;
  open_[handle] = {std::move(channel), std::move(on_reply)};
  return handle;
}

ResponseBook::Answer ResponseBook::Take(uint64_t handle) {
  Answer answer;
  const auto found = open_.find(handle);
  if (found != open_.end()) {
    answer.outcome = Outcome::kAnswered;
    answer.on_reply = std::move(found->second.on_reply);
    answer.channel = found->second.channel;
    answered_.emplace_back(handle, std::move(found->second.channel));
    if (answered_.size() > kRememberedAnswers) answered_.pop_front();
    open_.erase(found);
    return answer;
  }
  if (handle == 0 || handle >= next_handle_) return answer;
  answer.outcome = Outcome::kDuplicate;
  const auto remembered =
      std::find_if(answered_.begin(), answered_.end(),
                   [handle](const auto& entry) { return entry.first == handle; });
  if (remembered != answered_.end()) answer.channel = remembered->second;
  return answer;
}

void ResponseBook::Clear() {
  open_.clear();
  answered_.clear();
}

}  // namespace standin
