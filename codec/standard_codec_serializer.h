// The standard message codec's wire format: one type byte, then the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/byte_streams.h"
#include "codec/encodable_value.h"

namespace flutter {

class StandardCodecSerializer {
 public:
  /// Values nested deeper than this are not read or written: their place holds
  /// null and a diagnostic line is printed. It keeps the recursion of a hostile
  /// message well inside the UI thread's 1 MiB stack (a level costs well under
  /// 1 KiB, also under sanitizers), far beyond what any channel of the app uses.
  static constexpr int kMaxNestingDepth = 256;

  /// Bounds what a truncated message can make the decoder allocate. A string,
  /// byte list or typed list whose payload the rest of the buffer cannot hold is
  /// zero-filled in its announced shape only up to this many bytes; a longer one
  /// decodes empty. A list or map that runs out of bytes gets at most this many
  /// null elements (or entries) for the missing ones. Memory never follows a
  /// size that a message merely announces.
  static constexpr size_t kMaxMissingContent = 64;

  /// Largest size the 32-bit size prefix can carry. A longer value is written
  /// as null with a diagnostic instead of a corrupted prefix.
  static constexpr uint64_t kMaxEncodableSize = 0xFFFFFFFFu;

  StandardCodecSerializer() = default;
  virtual ~StandardCodecSerializer() = default;

  StandardCodecSerializer(const StandardCodecSerializer&) = delete;
  StandardCodecSerializer& operator=(const StandardCodecSerializer&) = delete;

  /// The process-wide default serializer, created on first use.
  static const StandardCodecSerializer& GetInstance();

  /// Reads the payload of a value whose type byte the caller has already read.
  virtual EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const;

  /// Writes one complete value: type byte and payload.
  virtual void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const;

  /// Reads a type byte and then the value through ReadValueOfType.
  EncodableValue ReadValue(ByteStreamReader* stream) const;

  /// Writes text as a string value: the bytes WriteValue writes for it, without
  /// first copying it into a value unless a derived serializer's WriteValue has
  /// to see one.
  void WriteString(const std::string& text, ByteStreamWriter* stream) const;

 protected:
  /// REQUIRES: size <= kMaxEncodableSize.
  void WriteSize(size_t size, ByteStreamWriter* stream) const;
  size_t ReadSize(ByteStreamReader* stream) const;

 private:
  /// True when WriteValue and ReadValueOfType are this class's own, so that
  /// nested values may be handled by direct calls: nothing could tell them from
  /// the virtual ones.
  bool IsStandard() const;
};

}  // namespace flutter
