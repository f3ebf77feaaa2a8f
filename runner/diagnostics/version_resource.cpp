#include "runner/diagnostics/version_resource.h"

namespace quorvane {
namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
// Signature, structure version, file version (two words), and nine more words.
constexpr size_t kFixedInfoSize = 52;
// wLength, wValueLength and wType come before the key.
constexpr size_t kKeyOffset = 6;

uint16_t ReadUint16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadUint32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

std::string FileVersionFromResource(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kKeyOffset) return {};
  const size_t value_length = ReadUint16(data + 2);
  if (value_length < kFixedInfoSize) return {};
  // The key is a NUL-terminated UTF-16 string; the value starts at the next
  // 32-bit boundary after it.
  size_t at = kKeyOffset;
  while (at + 2 <= size && ReadUint16(data + at) != 0) at += 2;
  at += 2;
  at = (at + 3) & ~size_t{3};
  if (at > size || size - at < kFixedInfoSize) return {};
  if (ReadUint32(data + at) != kFixedInfoSignature) return {};
  const uint32_t most = ReadUint32(data + at + 8);
  const uint32_t least = ReadUint32(data + at + 12);
  return std::to_string(most >> 16) + "." + std::to_string(most & 0xFFFF) + "." +
         std::to_string(least >> 16) + "." + std::to_string(least & 0xFFFF);
}

}  // namespace quorvane
