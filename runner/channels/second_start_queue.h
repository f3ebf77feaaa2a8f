// Second starts on their way to the UI: held until the UI's first frame (its
// code cannot take calls before that), then delivered once each, in order.
#pragma once

#include <cstddef>
#include <vector>

#include "codec/encodable_value.h"
#include "runner/process/second_start_message.h"

namespace quorvane {

/// {"arguments": [string...], "workingDirectory": string}, the arguments of
/// the "secondInstance" call.
flutter::EncodableValue SecondStartValue(const SecondStart& start);

class SecondStartQueue {
 public:
  /// Second starts held at most; later ones are dropped until the first frame.
  static constexpr size_t kMaximumHeld = 16;

  enum class Disposition { kDeliverNow, kHeld, kDropped };

  /// Whether start goes to the UI now; before the first frame it is held,
  /// or dropped once kMaximumHeld are held.
  Disposition Accept(const SecondStart& start);

  /// The held starts, oldest first; from now on every start is deliverable.
  std::vector<SecondStart> OpenAfterFirstFrame();

 private:
  bool open_ = false;
  std::vector<SecondStart> held_;
};

}  // namespace quorvane
