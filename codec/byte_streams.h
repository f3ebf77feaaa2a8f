// Byte-stream interfaces of the standard codec and their buffer-backed versions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace flutter {

/// The line printed for every read past the end of a stream.
inline constexpr char kInvalidReadDiagnostic[] = "Invalid read in StandardCodecByteStreamReader";

class ByteStreamReader {
 public:
  virtual ~ByteStreamReader() = default;
  /// The next byte; 0 with a diagnostic when the stream is exhausted.
  virtual uint8_t ReadByte() = 0;
  /// Copies count bytes into destination; on a short stream it prints a
  /// diagnostic and leaves both destination and position unchanged.
  virtual void ReadBytes(uint8_t* destination, size_t count) = 0;
  /// Advances to the next multiple of alignment, reckoned from the stream start.
  virtual void SkipToAlignment(uint8_t alignment) = 0;
  /// Bytes left before the end; decoders check announced sizes against it
  /// before reserving memory for them.
  virtual size_t BytesRemaining() const = 0;
};

class ByteStreamWriter {
 public:
  virtual ~ByteStreamWriter() = default;
  virtual void WriteByte(uint8_t byte) = 0;
  virtual void WriteBytes(const uint8_t* source, size_t count) = 0;
  /// Appends zero bytes up to the next multiple of alignment of the output length.
  virtual void PadToAlignment(uint8_t alignment) = 0;
};

/// Reads from a buffer the caller owns and keeps alive; never allocates. The
/// operations are inline so that the codec's direct path for this stream
/// compiles them into its loops.
class ByteBufferStreamReader : public ByteStreamReader {
 public:
  ByteBufferStreamReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint8_t ReadByte() override {
    if (position_ >= size_) {
      ReportInvalidRead();
      return 0;
    }
    return bytes_[position_++];
  }
  void ReadBytes(uint8_t* destination, size_t count) override {
    if (count > Remaining()) {
      ReportInvalidRead();
      return;
    }
    if (count == 0) return;
    std::memcpy(destination, bytes_ + position_, count);
    position_ += count;
  }
  void SkipToAlignment(uint8_t alignment) override {
    if (alignment == 0) return;
    const uint64_t remainder = position_ % alignment;
    if (remainder != 0) position_ += alignment - remainder;
  }
  size_t BytesRemaining() const override { return Remaining(); }

  /// The next count bytes, now consumed; null, with nothing consumed and
  /// nothing printed, when fewer remain or count is 0.
  const uint8_t* TakeBytes(size_t count) {
    if (count == 0 || count > Remaining()) return nullptr;
    const uint8_t* bytes = bytes_ + position_;
    position_ += count;
    return bytes;
  }

  /// A one-byte size below 254 and the count bytes it announces, now consumed;
  /// null, with nothing consumed and nothing printed, when the size takes more
  /// than one byte or the bytes are not all there.
  const uint8_t* TakeShortBlock(size_t* count) {
    if (position_ >= size_) return nullptr;
    const uint8_t size = bytes_[position_];
    if (size >= 254 || size >= Remaining()) return nullptr;
    const uint8_t* block = bytes_ + position_ + 1;
    position_ += 1 + size;
    *count = size;
    return block;
  }

  /// Prints the invalid-read diagnostic line.
  static void ReportInvalidRead();

 private:
  // The operations above use this, not the virtual BytesRemaining, so that
  // they compile to plain arithmetic wherever they are inlined.
  size_t Remaining() const {
    return position_ >= size_ ? 0 : static_cast<size_t>(size_ - position_);
  }

  const uint8_t* bytes_;
  uint64_t size_;
  // May pass the end after an alignment skip; the next read then fails.
  uint64_t position_ = 0;
};

/// Appends to a byte vector the caller owns.
class ByteBufferStreamWriter : public ByteStreamWriter {
 public:
  /// Makes room for a typical channel message up front, so that a small
  /// message costs one allocation rather than one per doubling.
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer) : buffer_(buffer) {
    if (buffer_->capacity() < kInitialCapacity) buffer_->reserve(kInitialCapacity);
  }

  void WriteByte(uint8_t byte) override { buffer_->push_back(byte); }
  void WriteBytes(const uint8_t* source, size_t count) override {
    if (count != 0) buffer_->insert(buffer_->end(), source, source + count);
  }
  void PadToAlignment(uint8_t alignment) override {
    if (alignment == 0) return;
    const size_t remainder = buffer_->size() % alignment;
    if (remainder != 0) buffer_->resize(buffer_->size() + alignment - remainder, 0);
  }

  /// The vector written to; the codec's direct path appends to it in place.
  std::vector<uint8_t>* buffer() const { return buffer_; }

 private:
  // Holds a call with a few arguments, or a list nested a hundred deep.
  static constexpr size_t kInitialCapacity = 256;

  std::vector<uint8_t>* buffer_;
};

}  // namespace flutter
