// Stream adapters of the serializer's walks. The virtual ones serve any
// stream; the buffer ones serve a stream whose type is exactly the
// buffer-backed one, calling its inline operations directly (the same
// operations the virtual calls would reach).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/byte_streams.h"

namespace flutter {
namespace internal {

class VirtualReader {
 public:
  explicit VirtualReader(ByteStreamReader* stream) : stream_(stream) {}
  ByteStreamReader* stream() const { return stream_; }
  uint8_t ReadByte() { return stream_->ReadByte(); }
  void ReadBytes(uint8_t* destination, size_t count) { stream_->ReadBytes(destination, count); }
  void SkipToAlignment(uint8_t alignment) { stream_->SkipToAlignment(alignment); }
  size_t BytesRemaining() const { return stream_->BytesRemaining(); }
  const uint8_t* TakeBytes(size_t) { return nullptr; }

 private:
  ByteStreamReader* stream_;
};

class BufferReader {
 public:
  explicit BufferReader(ByteBufferStreamReader* stream) : stream_(stream) {}
  ByteStreamReader* stream() const { return stream_; }
  uint8_t ReadByte() { return stream_->ByteBufferStreamReader::ReadByte(); }
  void ReadBytes(uint8_t* destination, size_t count) {
    stream_->ByteBufferStreamReader::ReadBytes(destination, count);
  }
  void SkipToAlignment(uint8_t alignment) {
    stream_->ByteBufferStreamReader::SkipToAlignment(alignment);
  }
  size_t BytesRemaining() const { return stream_->ByteBufferStreamReader::BytesRemaining(); }
  const uint8_t* TakeBytes(size_t count) { return stream_->TakeBytes(count); }

 private:
  ByteBufferStreamReader* stream_;
};

class VirtualWriter {
 public:
  explicit VirtualWriter(ByteStreamWriter* stream) : stream_(stream) {}
  ByteStreamWriter* stream() const { return stream_; }
  void WriteByte(uint8_t byte) { stream_->WriteByte(byte); }
  void WriteBytes(const uint8_t* source, size_t count) { stream_->WriteBytes(source, count); }
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    stream_->WriteBytes(bytes, kCount);
  }
  void PadToAlignment(uint8_t alignment) { stream_->PadToAlignment(alignment); }

 private:
  ByteStreamWriter* stream_;
};

class BufferWriter {
 public:
  explicit BufferWriter(ByteBufferStreamWriter* stream)
      : stream_(stream), buffer_(stream->buffer()) {}
  ByteStreamWriter* stream() const { return stream_; }
  void WriteByte(uint8_t byte) { buffer_->push_back(byte); }
  void WriteBytes(const uint8_t* source, size_t count) {
    stream_->ByteBufferStreamWriter::WriteBytes(source, count);
  }
  // A few bytes of known count: appended one by one, cheaper than a range insertion.
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    for (size_t i = 0; i < kCount; ++i) buffer_->push_back(bytes[i]);
  }
  void PadToAlignment(uint8_t alignment) {
    stream_->ByteBufferStreamWriter::PadToAlignment(alignment);
  }

 private:
  ByteBufferStreamWriter* stream_;
  std::vector<uint8_t>* buffer_;
};

}  // namespace internal
}  // namespace flutter
