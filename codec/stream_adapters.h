// Stream adapters of the serializer's walks. The virtual ones serve any
// stream; the buffer ones serve a stream whose type is exactly the
// buffer-backed one, calling its inline operations directly (the same
// operations the virtual calls would reach).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/byte_streams.h"

namespace flutter {
namespace internal {

class VirtualReader {
 public:
  using Stream = ByteStreamReader;
  explicit VirtualReader(ByteStreamReader* stream) : stream_(stream) {}
  ByteStreamReader* stream() const { return stream_; }
  uint8_t ReadByte() { return stream_->ReadByte(); }
  void ReadBytes(uint8_t* destination, size_t count) { stream_->ReadBytes(destination, count); }
  void SkipToAlignment(uint8_t alignment) { stream_->SkipToAlignment(alignment); }
  size_t BytesRemaining() const { return stream_->BytesRemaining(); }
  const uint8_t* TakeBytes(size_t) { return nullptr; }
  const uint8_t* TakeShortBlock(size_t*) { return nullptr; }

 private:
  ByteStreamReader* stream_;
};

class BufferReader {
 public:
  using Stream = ByteBufferStreamReader;
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
  const uint8_t* TakeShortBlock(size_t* count) { return stream_->TakeShortBlock(count); }

 private:
  ByteBufferStreamReader* stream_;
};

class VirtualWriter {
 public:
  using Stream = ByteStreamWriter;
  explicit VirtualWriter(ByteStreamWriter* stream) : stream_(stream) {}
  ByteStreamWriter* stream() const { return stream_; }
  void WriteByte(uint8_t byte) { stream_->WriteByte(byte); }
  void WriteBytes(const uint8_t* source, size_t count) { stream_->WriteBytes(source, count); }
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    stream_->WriteBytes(bytes, kCount);
  }
  void PadToAlignment(uint8_t alignment) { stream_->PadToAlignment(alignment); }
  void Suspend() {}
  void Resume() {}

 private:
  ByteStreamWriter* stream_;
};

/// Appends through its own pointer into room made at the end of the vector, so
/// that a byte costs a store and a comparison rather than a vector insertion.
/// The room is zero bytes that the vector holds beyond what was written; it is
/// trimmed off whenever someone else may write to the vector, and when the
/// writer is destroyed, also by an exception.
class BufferWriter {
 public:
  using Stream = ByteBufferStreamWriter;
  explicit BufferWriter(ByteBufferStreamWriter* stream)
      : stream_(stream), buffer_(stream->buffer()) {
    Resume();
  }
  ~BufferWriter() { Suspend(); }
  BufferWriter(const BufferWriter&) = delete;
  BufferWriter& operator=(const BufferWriter&) = delete;

  ByteStreamWriter* stream() const { return stream_; }

  void WriteByte(uint8_t byte) {
    MakeRoom(1);
    *cursor_++ = byte;
  }
  void WriteBytes(const uint8_t* source, size_t count) {
    if (count == 0) return;
    if (count > Room() && count >= kAppendedWhole) {
      // A large block is appended as it is: one copy, and no room zeroed first.
      Suspend();
      buffer_->insert(buffer_->end(), source, source + count);
      Resume();
      return;
    }
    MakeRoom(count);
    std::memcpy(cursor_, source, count);
    cursor_ += count;
  }
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    MakeRoom(kCount);
    std::memcpy(cursor_, bytes, kCount);
    cursor_ += kCount;
  }
  void PadToAlignment(uint8_t alignment) {
    if (alignment == 0) return;
    const size_t remainder = Length() % alignment;
    if (remainder == 0) return;
    const size_t padding = alignment - remainder;
    MakeRoom(padding);
    std::memset(cursor_, 0, padding);
    cursor_ += padding;
  }

  /// Trims the room off: the vector holds exactly what was written.
  void Suspend() {
    buffer_->resize(Length());
    limit_ = cursor_;
  }
  /// Writes on from the vector's end.
  void Resume() {
    base_ = buffer_->data();
    cursor_ = base_ + buffer_->size();
    limit_ = cursor_;
  }

 private:
  // Blocks at least this long are appended without going through the room.
  static constexpr size_t kAppendedWhole = 4096;
  // Room made at a time: doubling from the first step up to the last.
  static constexpr size_t kFirstRoom = 256;
  static constexpr size_t kLargestRoom = 64 * 1024;

  size_t Length() const { return static_cast<size_t>(cursor_ - base_); }
  size_t Room() const { return static_cast<size_t>(limit_ - cursor_); }

  void MakeRoom(size_t count) {
    if (Room() < count) Grow(count);
  }
  void Grow(size_t count) {
    const size_t length = Length();
    // Trimmed first, so that a vector that has to move does not copy the old room.
    buffer_->resize(length);
    buffer_->resize(length + std::max(count, next_room_));
    next_room_ = std::min(2 * next_room_, kLargestRoom);
    base_ = buffer_->data();
    cursor_ = base_ + length;
    limit_ = base_ + buffer_->size();
  }

  ByteBufferStreamWriter* stream_;
  std::vector<uint8_t>* buffer_;
  uint8_t* base_ = nullptr;
  uint8_t* cursor_ = nullptr;
  uint8_t* limit_ = nullptr;
  size_t next_room_ = kFirstRoom;
};

}  // namespace internal
}  // namespace flutter
