#include "runner/diagnostics/version_resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

void PutUint16(std::vector<uint8_t>& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutUint32(std::vector<uint8_t>& bytes, uint32_t value) {
  PutUint16(bytes, static_cast<uint16_t>(value));
  PutUint16(bytes, static_cast<uint16_t>(value >> 16));
}

// A VS_VERSIONINFO block as the resource compiler lays it out, up to the end
// of its fixed part: header, key, padding, VS_FIXEDFILEINFO.
std::vector<uint8_t> VersionBlock(uint32_t most, uint32_t least) {
  std::vector<uint8_t> bytes;
  PutUint16(bytes, 0);   // wLength, not read
  PutUint16(bytes, 52);  // wValueLength
  PutUint16(bytes, 0);   // wType
  for (const char character : std::string("VS_VERSION_INFO")) PutUint16(bytes, character);
  PutUint16(bytes, 0);
  PutUint16(bytes, 0);  // padding to 32 bits
  PutUint32(bytes, 0xFEEF04BD);
  PutUint32(bytes, 0x00010000);
  PutUint32(bytes, most);
  PutUint32(bytes, least);
  for (int word = 0; word < 9; ++word) PutUint32(bytes, 0);
  return bytes;
}

TEST(VersionResource, ReadsTheFileVersion) {
  const std::vector<uint8_t> block = VersionBlock(0x00010002, 0x00030004);
  EXPECT_EQ(FileVersionFromResource(block.data(), block.size()), "1.2.3.4");
  const std::vector<uint8_t> large = VersionBlock(0xFFFF0000, 0x0000FFFF);
  EXPECT_EQ(FileVersionFromResource(large.data(), large.size()), "65535.0.0.65535");
}

TEST(VersionResource, ShortOrForeignBlocksGiveNoVersion) {
  std::vector<uint8_t> block = VersionBlock(0x00010002, 0x00030004);
  for (size_t size = 0; size < block.size(); ++size) {
    EXPECT_EQ(FileVersionFromResource(block.data(), size), "") << "cut at " << size;
  }
  EXPECT_EQ(FileVersionFromResource(nullptr, 0), "");
  block[40] ^= 1;  // the signature
  EXPECT_EQ(FileVersionFromResource(block.data(), block.size()), "");
}

}  // namespace
}  // namespace quorvane
