// Byte-stream interfaces of the standard codec and their buffer-backed versions.
#pragma once

#include <cstddef>
#include <cstdint>
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

/// Reads from a buffer the caller owns and keeps alive; never allocates.
class ByteBufferStreamReader : public ByteStreamReader {
 public:
  ByteBufferStreamReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint8_t ReadByte() override;
  void ReadBytes(uint8_t* destination, size_t count) override;
  void SkipToAlignment(uint8_t alignment) override;
  size_t BytesRemaining() const override;

 private:
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

  void WriteByte(uint8_t byte) override;
  void WriteBytes(const uint8_t* source, size_t count) override;
  void PadToAlignment(uint8_t alignment) override;

 private:
  static constexpr size_t kInitialCapacity = 128;

  std::vector<uint8_t>* buffer_;
};

}  // namespace flutter
