// Decodes a second start's message from untrusted bytes, as the running
// window does. Whatever is accepted holds only valid text within the limits,
// and encodes back to exactly the bytes it came from.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "runner/process/second_start_message.h"
#include "runner/process/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<quorvane::SecondStart> start = quorvane::DecodeSecondStart(data, size);
  if (!start) return 0;
  FUZZ_CHECK(start->arguments.size() <= quorvane::kSecondStartMaximumArguments);
  for (const std::string& argument : start->arguments) {
    FUZZ_CHECK(quorvane::IsValidUtf8Text(argument));
  }
  FUZZ_CHECK(quorvane::IsValidUtf8Text(start->working_directory));
  const std::optional<std::vector<uint8_t>> encoded = quorvane::EncodeSecondStart(*start);
  FUZZ_CHECK(encoded && *encoded == std::vector<uint8_t>(data, data + size));
  return 0;
}
