#include "runner/process/second_start_message.h"

#include <utility>

#include "runner/process/utf8_text.h"

namespace quorvane {
namespace {

constexpr size_t kLengthBytes = 4;

void AppendLength(std::vector<uint8_t>& bytes, size_t length) {
  for (size_t shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<uint8_t>((length >> shift) & 0xFF));
  }
}

void AppendText(std::vector<uint8_t>& bytes, const std::string& text) {
  AppendLength(bytes, text.size());
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// Reads the message front to back, never past its end.
class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  std::optional<uint32_t> ReadLength() {
    if (size_ - offset_ < kLengthBytes) return std::nullopt;
    uint32_t value = 0;
    for (size_t index = 0; index < kLengthBytes; ++index) {
      value |= static_cast<uint32_t>(bytes_[offset_ + index]) << (8 * index);
    }
    offset_ += kLengthBytes;
    return value;
  }

  std::optional<std::string> ReadText() {
    const std::optional<uint32_t> length = ReadLength();
    if (!length || size_ - offset_ < *length) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(bytes_ + offset_), *length);
    offset_ += *length;
    if (!IsValidUtf8Text(text)) return std::nullopt;
    return text;
  }

  bool AtEnd() const { return offset_ == size_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t offset_ = 0;
};

}  // namespace

std::optional<std::vector<uint8_t>> EncodeSecondStart(const SecondStart& start) {
  if (start.arguments.size() > kSecondStartMaximumArguments) return std::nullopt;
  std::vector<uint8_t> bytes;
  AppendLength(bytes, start.arguments.size());
  for (const std::string& argument : start.arguments) {
    if (argument.size() > kSecondStartMaximumBytes) return std::nullopt;
    AppendText(bytes, argument);
  }
  if (start.working_directory.size() > kSecondStartMaximumBytes) return std::nullopt;
  AppendText(bytes, start.working_directory);
  if (bytes.size() > kSecondStartMaximumBytes) return std::nullopt;
  return bytes;
}

std::optional<SecondStart> DecodeSecondStart(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size > kSecondStartMaximumBytes) return std::nullopt;
  Reader reader(bytes, size);
  const std::optional<uint32_t> count = reader.ReadLength();
  if (!count || *count > kSecondStartMaximumArguments) return std::nullopt;
  SecondStart start;
  for (uint32_t index = 0; index < *count; ++index) {
    std::optional<std::string> argument = reader.ReadText();
    if (!argument) return std::nullopt;
    start.arguments.push_back(std::move(*argument));
  }
  std::optional<std::string> working_directory = reader.ReadText();
  if (!working_directory || !reader.AtEnd()) return std::nullopt;
  start.working_directory = std::move(*working_directory);
  return start;
}

}  // namespace quorvane
