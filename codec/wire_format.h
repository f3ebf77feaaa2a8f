// The standard codec's wire format as the serializer's walks share it: type
// bytes, size prefixes and little-endian numbers over a stream adapter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Numbers and typed lists are copied in the host's byte order, which is the
// wire's: Windows, and every platform this builds for, is little-endian.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the standard codec's block copies assume a little-endian host"
#endif

namespace flutter {
namespace internal {

enum TypeByte : uint8_t {
  kNull = 0,
  kTrue = 1,
  kFalse = 2,
  kInt32 = 3,
  kInt64 = 4,
  kLargeInt = 5,  // never written; read as a string
  kFloat64 = 6,
  kString = 7,
  kUInt8List = 8,
  kInt32List = 9,
  kInt64List = 10,
  kFloat64List = 11,
  kList = 12,
  kMap = 13,
  kFloat32List = 14,
};

constexpr uint8_t kSizeIs16Bits = 254;
constexpr uint8_t kSizeIs32Bits = 255;

template <typename Int, typename Writer>
void WriteLittleEndian(Int value, Writer& writer) {
  uint8_t bytes[sizeof(Int)];
  std::memcpy(bytes, &value, sizeof(Int));
  writer.template WriteNumber<sizeof(Int)>(bytes);
}

// A missing number reads as 0: the bytes start zeroed and a failed read leaves them so.
template <typename Int, typename Reader>
Int ReadLittleEndian(Reader& reader) {
  Int value = 0;
  if (const uint8_t* bytes = reader.TakeBytes(sizeof(Int))) {
    std::memcpy(&value, bytes, sizeof(Int));
    return value;
  }
  uint8_t bytes[sizeof(Int)] = {};
  reader.ReadBytes(bytes, sizeof(Int));
  std::memcpy(&value, bytes, sizeof(Int));
  return value;
}

template <typename Writer>
void WriteSizeTo(size_t size, Writer& writer) {
  if (size < kSizeIs16Bits) {
    writer.WriteByte(static_cast<uint8_t>(size));
  } else if (size <= 0xFFFF) {
    writer.WriteByte(kSizeIs16Bits);
    WriteLittleEndian(static_cast<uint16_t>(size), writer);
  } else {
    writer.WriteByte(kSizeIs32Bits);
    WriteLittleEndian(static_cast<uint32_t>(size), writer);
  }
}

template <typename Reader>
size_t ReadLongSizeFrom(uint8_t first, Reader& reader) {
  if (first == kSizeIs16Bits) return ReadLittleEndian<uint16_t>(reader);
  return ReadLittleEndian<uint32_t>(reader);
}

// A size below the escape values, the common case, is read in place.
template <typename Reader>
size_t ReadSizeFrom(Reader& reader) {
  const uint8_t first = reader.ReadByte();
  if (first < kSizeIs16Bits) return first;
  return ReadLongSizeFrom(first, reader);
}

}  // namespace internal
}  // namespace flutter
