#include "runner/diagnostics/output_lines.h"

namespace quorvane {

void OutputLines::Feed(std::string_view bytes) {
  for (const char character : bytes) {
    if (character == '\n') {
      if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
      line_(pending_);
      pending_.clear();
      continue;
    }
    pending_ += character;
    if (pending_.size() == kLongestOutputLine) {
      line_(pending_);
      pending_.clear();
    }
  }
}

void OutputLines::Finish() {
  if (pending_.empty()) return;
  line_(pending_);
  pending_.clear();
}

}  // namespace quorvane
