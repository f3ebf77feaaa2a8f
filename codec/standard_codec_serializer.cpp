// The standard message codec: type bytes, little-endian payloads, size
// prefixes and alignment reckoned from the start of the buffer.
#include "codec/standard_codec_serializer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/diagnostic.h"

// Typed lists are copied as whole blocks in the host's byte order, which is the
// wire's: Windows, and every platform this builds for, is little-endian.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the standard codec's block copies assume a little-endian host"
#endif

namespace flutter {
namespace {

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

// Depth of the lists and maps being read or written on this thread. The
// serializer itself is stateless and may be shared across threads.
thread_local int nesting_depth = 0;

// Holds one level of nesting for as long as a list or map is being processed.
class NestingLevel {
 public:
  NestingLevel() { ++nesting_depth; }
  ~NestingLevel() { --nesting_depth; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

  bool TooDeep() const { return nesting_depth > StandardCodecSerializer::kMaxNestingDepth; }
};

template <typename Int>
void WriteLittleEndian(Int value, ByteStreamWriter* stream) {
  using Unsigned = std::make_unsigned_t<Int>;
  const auto bits = static_cast<Unsigned>(value);
  uint8_t bytes[sizeof(Int)];
  for (size_t i = 0; i < sizeof(Int); ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  stream->WriteBytes(bytes, sizeof(Int));
}

// A missing number reads as 0: the bytes start zeroed and a failed read leaves them so.
template <typename Int>
Int ReadLittleEndian(ByteStreamReader* stream) {
  using Unsigned = std::make_unsigned_t<Int>;
  uint8_t bytes[sizeof(Int)] = {};
  stream->ReadBytes(bytes, sizeof(Int));
  Unsigned bits = 0;
  for (size_t i = 0; i < sizeof(Int); ++i) bits |= static_cast<Unsigned>(bytes[i]) << (8 * i);
  return static_cast<Int>(bits);
}

double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint64_t BitsFromDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Alternatives written as a size and one contiguous block of fixed-width elements.
template <typename T>
constexpr bool kIsBlock =
    std::is_same_v<T, std::string> || std::is_same_v<T, std::vector<uint8_t>> ||
    std::is_same_v<T, std::vector<int32_t>> || std::is_same_v<T, std::vector<int64_t>> ||
    std::is_same_v<T, std::vector<double>> || std::is_same_v<T, std::vector<float>>;

template <typename T>
constexpr uint8_t BlockTypeByte() {
  if constexpr (std::is_same_v<T, std::string>) return kString;
  if constexpr (std::is_same_v<T, std::vector<uint8_t>>) return kUInt8List;
  if constexpr (std::is_same_v<T, std::vector<int32_t>>) return kInt32List;
  if constexpr (std::is_same_v<T, std::vector<int64_t>>) return kInt64List;
  if constexpr (std::is_same_v<T, std::vector<double>>) return kFloat64List;
  return kFloat32List;
}

// Reads count elements of a fixed width after aligning to it. A payload the
// buffer cannot hold yields zeros of the announced shape when it is short, and
// nothing when it is not, so a bare size announcement reserves no memory.
template <typename Container>
Container ReadBlock(size_t count, ByteStreamReader* stream) {
  using Element = typename Container::value_type;
  if (sizeof(Element) > 1) stream->SkipToAlignment(sizeof(Element));
  const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(Element);
  if (bytes > stream->BytesRemaining() && bytes > StandardCodecSerializer::kMaxMissingContent) {
    WriteDiagnosticLine(kInvalidReadDiagnostic);
    return {};
  }
  Container elements(count, Element{});
  stream->ReadBytes(reinterpret_cast<uint8_t*>(elements.data()), static_cast<size_t>(bytes));
  return elements;
}

// True once a list or map has met more missing elements than it may fill in.
bool MissingBeyondLimit(const ByteStreamReader& stream, size_t* missing) {
  if (stream.BytesRemaining() != 0) return false;
  return ++*missing > StandardCodecSerializer::kMaxMissingContent;
}

}  // namespace

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  // Never torn down: codecs handed out for it stay usable while the process exits.
  static const StandardCodecSerializer* const instance = new StandardCodecSerializer();
  return *instance;
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  const uint8_t type = stream->ReadByte();
  return ReadValueOfType(type, stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  switch (type) {
    case kNull:
      return EncodableValue();
    case kTrue:
      return EncodableValue(true);
    case kFalse:
      return EncodableValue(false);
    case kInt32:
      return EncodableValue(ReadLittleEndian<int32_t>(stream));
    case kInt64:
      return EncodableValue(ReadLittleEndian<int64_t>(stream));
    case kFloat64:
      stream->SkipToAlignment(8);
      return EncodableValue(DoubleFromBits(ReadLittleEndian<uint64_t>(stream)));
    case kLargeInt:
    case kString:
      return EncodableValue(ReadBlock<std::string>(ReadSize(stream), stream));
    case kUInt8List:
      return EncodableValue(ReadBlock<std::vector<uint8_t>>(ReadSize(stream), stream));
    case kInt32List:
      return EncodableValue(ReadBlock<std::vector<int32_t>>(ReadSize(stream), stream));
    case kInt64List:
      return EncodableValue(ReadBlock<std::vector<int64_t>>(ReadSize(stream), stream));
    case kFloat64List:
      return EncodableValue(ReadBlock<std::vector<double>>(ReadSize(stream), stream));
    case kFloat32List:
      return EncodableValue(ReadBlock<std::vector<float>>(ReadSize(stream), stream));
    case kList:
      return ReadList(stream);
    case kMap:
      return ReadMap(stream);
    default:
      WriteDiagnosticLine("Unknown type in StandardCodecSerializer::ReadValueOfType: " +
                          std::to_string(type));
      return EncodableValue();
  }
}

EncodableValue StandardCodecSerializer::ReadList(ByteStreamReader* stream) const {
  NestingLevel level;
  if (level.TooDeep()) {
    WriteDiagnosticLine("Nesting too deep in StandardCodecSerializer::ReadValueOfType");
    return EncodableValue();
  }
  const size_t count = ReadSize(stream);
  EncodableList list;
  // Every element takes at least one byte, so this never exceeds the buffer.
  list.reserve(std::min(count, stream->BytesRemaining()));
  size_t missing = 0;
  for (size_t i = 0; i < count && !MissingBeyondLimit(*stream, &missing); ++i) {
    list.push_back(ReadValue(stream));
  }
  return EncodableValue(std::move(list));
}

EncodableValue StandardCodecSerializer::ReadMap(ByteStreamReader* stream) const {
  NestingLevel level;
  if (level.TooDeep()) {
    WriteDiagnosticLine("Nesting too deep in StandardCodecSerializer::ReadValueOfType");
    return EncodableValue();
  }
  const size_t count = ReadSize(stream);
  EncodableMap map;
  size_t missing = 0;
  for (size_t i = 0; i < count && !MissingBeyondLimit(*stream, &missing); ++i) {
    EncodableValue key = ReadValue(stream);
    EncodableValue value = ReadValue(stream);
    // The first occurrence of a key wins; later duplicates are read and dropped.
    // Entries arrive in ascending key order, so the end is the usual place.
    map.emplace_hint(map.end(), std::move(key), std::move(value));
  }
  return EncodableValue(std::move(map));
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  std::visit(
      [this, stream](const auto& content) {
        using T = std::decay_t<decltype(content)>;
        constexpr bool kIsContainer =
            std::is_same_v<T, EncodableList> || std::is_same_v<T, EncodableMap>;
        if constexpr (kIsBlock<T> || kIsContainer) {
          // Written as null, so that the message stays well-formed: a 32-bit
          // size prefix cannot carry a larger size.
          if (content.size() > kMaxEncodableSize) {
            stream->WriteByte(kNull);
            WriteDiagnosticLine("Value too large in StandardCodecSerializer::WriteValue");
            return;
          }
        }
        if constexpr (std::is_same_v<T, std::monostate>) {
          stream->WriteByte(kNull);
        } else if constexpr (std::is_same_v<T, bool>) {
          stream->WriteByte(content ? kTrue : kFalse);
        } else if constexpr (std::is_same_v<T, int32_t>) {
          stream->WriteByte(kInt32);
          WriteLittleEndian(content, stream);
        } else if constexpr (std::is_same_v<T, int64_t>) {
          stream->WriteByte(kInt64);
          WriteLittleEndian(content, stream);
        } else if constexpr (std::is_same_v<T, double>) {
          stream->WriteByte(kFloat64);
          stream->PadToAlignment(8);
          WriteLittleEndian(BitsFromDouble(content), stream);
        } else if constexpr (kIsBlock<T>) {
          using Element = typename T::value_type;
          stream->WriteByte(BlockTypeByte<T>());
          WriteSize(content.size(), stream);
          // Padded also when empty: readers always align after the size, so an
          // unpadded empty list would shift every value that follows it.
          if (sizeof(Element) > 1) stream->PadToAlignment(sizeof(Element));
          if (content.empty()) return;
          stream->WriteBytes(reinterpret_cast<const uint8_t*>(content.data()),
                             content.size() * sizeof(Element));
        } else if constexpr (kIsContainer) {
          NestingLevel level;
          if (level.TooDeep()) {
            stream->WriteByte(kNull);
            WriteDiagnosticLine("Nesting too deep in StandardCodecSerializer::WriteValue");
            return;
          }
          stream->WriteByte(std::is_same_v<T, EncodableList> ? kList : kMap);
          WriteSize(content.size(), stream);
          if constexpr (std::is_same_v<T, EncodableList>) {
            for (const EncodableValue& element : content) WriteValue(element, stream);
          } else {
            for (const auto& [key, entry] : content) {
              WriteValue(key, stream);
              WriteValue(entry, stream);
            }
          }
        } else {
          static_assert(std::is_same_v<T, CustomValue>);
          stream->WriteByte(kNull);
          WriteDiagnosticLine(
              "Unhandled custom type in StandardCodecSerializer::WriteValue. "
              "Custom types require codec extensions.");
        }
      },
      value.variant());
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  if (size < kSizeIs16Bits) {
    stream->WriteByte(static_cast<uint8_t>(size));
  } else if (size <= 0xFFFF) {
    stream->WriteByte(kSizeIs16Bits);
    WriteLittleEndian(static_cast<uint16_t>(size), stream);
  } else {
    stream->WriteByte(kSizeIs32Bits);
    WriteLittleEndian(static_cast<uint32_t>(size), stream);
  }
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  const uint8_t first = stream->ReadByte();
  if (first < kSizeIs16Bits) return first;
  if (first == kSizeIs16Bits) return ReadLittleEndian<uint16_t>(stream);
  return ReadLittleEndian<uint32_t>(stream);
}

}  // namespace flutter
