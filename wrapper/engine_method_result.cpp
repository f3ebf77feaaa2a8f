// The once-only reply path of an incoming method call.
#include "wrapper/engine_method_result.h"

#include "codec/diagnostic.h"

namespace flutter {
namespace {

constexpr char kDuplicateResultLine[] =
    "Error: Only one of Success, Error, or NotImplemented can be called,"
    " and it can be called exactly once. Ignoring duplicate result.";
constexpr char kUnansweredLine[] =
    "Warning: Failed to respond to a message. This is a memory leak.";

}  // namespace

SingleUseReply::SingleUseReply(ReplyCallback reply) : reply_(std::move(reply)) {}

SingleUseReply::~SingleUseReply() {
  if (reply_) WriteDiagnosticLine(kUnansweredLine);
}

void SingleUseReply::Deliver(const std::vector<uint8_t>* bytes) {
  if (!reply_) {
    WriteDiagnosticLine(kDuplicateResultLine);
    return;
  }
  const uint8_t* data = (bytes != nullptr && !bytes->empty()) ? bytes->data() : nullptr;
  size_t size = bytes != nullptr ? bytes->size() : 0;
  // Emptied before the call, so that an answer given from inside the reply
  // path counts as a duplicate instead of re-entering it.
  ReplyCallback reply = std::move(reply_);
  reply_ = nullptr;
  reply(data, size);
}

}  // namespace flutter
