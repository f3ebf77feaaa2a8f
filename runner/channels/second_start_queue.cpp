#include "runner/channels/second_start_queue.h"

#include <utility>

namespace quorvane {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

EncodableValue SecondStartValue(const SecondStart& start) {
  EncodableList arguments;
  for (const std::string& argument : start.arguments) arguments.emplace_back(argument);
  return EncodableValue(EncodableMap{
      {EncodableValue("arguments"), EncodableValue(std::move(arguments))},
      {EncodableValue("workingDirectory"), EncodableValue(start.working_directory)},
  });
}

SecondStartQueue::Disposition SecondStartQueue::Accept(const SecondStart& start) {
  if (open_) return Disposition::kDeliverNow;
  if (held_.size() >= kMaximumHeld) return Disposition::kDropped;
  held_.push_back(start);
  return Disposition::kHeld;
}

std::vector<SecondStart> SecondStartQueue::OpenAfterFirstFrame() {
  open_ = true;
  return std::exchange(held_, {});
}

}  // namespace quorvane
