// The stand-in engine's record of the messages it sent the host and awaits
// answers to. An answered message is forgotten, so the record stays as small
// as the number of open messages, however long the engine runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace standin {

class ResponseBook {
 public:
  /// Receives the host's answer: its bytes, null and 0 when empty.
  using ReplyHandler = std::function<void(const uint8_t* bytes, size_t size)>;

  /// How many answered messages are remembered to name the channel of a
  /// second answer; older ones are reported without it.
  static constexpr size_t kRememberedAnswers = 64;

  enum class Outcome {
    kAnswered,   // the first answer: on_reply is the message's reply handler
    kDuplicate,  // the message was answered before
    kUnknown,    // no message was ever sent with this handle
  };

  struct Answer {
    Outcome outcome = Outcome::kUnknown;
    ReplyHandler on_reply;
    /// The message's channel; empty for a duplicate too old to be remembered.
    std::string channel;
  };

  /// Records a message sent on channel; returns its handle, never 0 and never reused.
  uint64_t Open(std::string channel, ReplyHandler on_reply);
  /// Takes the answer to handle.
  Answer Take(uint64_t handle);
  /// Forgets every message, open or answered.
  void Clear();

  size_t OpenCount() const { return open_.size(); }
  size_t RememberedCount() const { return answered_.size(); }

 private:
  struct OpenMessage {
    std::string channel;
    ReplyHandler on_reply;
  };

  std::map<uint64_t, OpenMessage> open_;
  std::deque<std::pair<uint64_t, std::string>> answered_;
  uint64_t next_handle_ = 1;
};

}  // namespace standin
