// Buffer-backed byte streams of the standard codec.
#include "codec/byte_streams.h"

#include <cstring>

#include "codec/diagnostic.h"

namespace flutter {
uint8_t ByteBufferStreamReader::ReadByte() {
  if (position_ >= size_) {
    WriteDiagnosticLine(kInvalidReadDiagnostic);
    return 0;
  }
  return bytes_[position_++];
}

void ByteBufferStreamReader::ReadBytes(uint8_t* destination, size_t count) {
  if (count > BytesRemaining()) {
    WriteDiagnosticLine(kInvalidReadDiagnostic);
    return;
  }
  if (count == 0) return;
  std::memcpy(destination, bytes_ + position_, count);
  position_ += count;
}

void ByteBufferStreamReader::SkipToAlignment(uint8_t alignment) {
  if (alignment == 0) return;
  const uint64_t remainder = position_ % alignment;
  if (remainder != 0) position_ += alignment - remainder;
}

size_t ByteBufferStreamReader::BytesRemaining() const {
  return position_ >= size_ ? 0 : static_cast<size_t>(size_ - position_);
}

void ByteBufferStreamWriter::WriteByte(uint8_t byte) { buffer_->push_back(byte); }

void ByteBufferStreamWriter::WriteBytes(const uint8_t* source, size_t count) {
  if (count == 0) return;
  buffer_->insert(buffer_->end(), source, source + count);
}

void ByteBufferStreamWriter::PadToAlignment(uint8_t alignment) {
  if (alignment == 0) return;
  const size_t remainder = buffer_->size() % alignment;
  if (remainder == 0) return;
  for (size_t i = remainder; i < alignment; ++i) WriteByte(0);
}

}  // namespace flutter
