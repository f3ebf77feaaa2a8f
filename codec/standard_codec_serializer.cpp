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
  explicit NestingLevel(bool is_container = true) : counted_(is_container) {
    if (counted_) ++nesting_depth;
  }
  ~NestingLevel() {
    if (counted_) --nesting_depth;
  }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

  bool TooDeep() const {
    return counted_ && nesting_depth > StandardCodecSerializer::kMaxNestingDepth;
  }

 private:
  const bool counted_;
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

// Element count of the sized alternatives; 0 for the others.
size_t SizeOf(const EncodableValue& value) {
  return std::visit(
      [](const auto& content) -> size_t {
        using T = std::decay_t<decltype(content)>;
        if constexpr (kIsBlock<T> || std::is_same_v<T, EncodableList> ||
                      std::is_same_v<T, EncodableMap>) {
          return content.size();
        } else {
          return 0;
        }
      },
      value.variant());
}

uint8_t TypeByteOf(const EncodableValue& value) {
  switch (value.index()) {
    case 0:
      return kNull;
    case 1:
      return value.Get<bool>() ? kTrue : kFalse;
    case 2:
      return kInt32;
    case 3:
      return kInt64;
    case 4:
      return kFloat64;
    case 5:
      return kString;
    case 6:
      return kUInt8List;
    case 7:
      return kInt32List;
    case 8:
      return kInt64List;
    case 9:
      return kFloat64List;
    case 10:
      return kList;
    case 11:
      return kMap;
    case 13:
      return kFloat32List;
    default:  // CustomValue: the standard format cannot carry it.
      return kNull;
  }
}

bool IsContainer(const EncodableValue& value) {
  return value.Holds<EncodableList>() || value.Holds<EncodableMap>();
}

// Reads count elements of a fixed width after aligning to it. A payload the
// buffer cannot hold yields zeros of the announced shape when it is short, and
// nothing when it is not, so a bare size announcement reserves no memory.
template <typename Element>
std::vector<Element> ReadBlock(size_t count, ByteStreamReader* stream) {
  if (sizeof(Element) > 1) stream->SkipToAlignment(sizeof(Element));
  const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(Element);
  if (bytes > stream->BytesRemaining() && bytes > StandardCodecSerializer::kMaxMissingContent) {
    WriteDiagnosticLine(kInvalidReadDiagnostic);
    return {};
  }
  std::vector<Element> elements(count);
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
    case kString: {
      const std::vector<uint8_t> bytes = ReadBlock<uint8_t>(ReadSize(stream), stream);
      return EncodableValue(std::string(bytes.begin(), bytes.end()));
    }
    case kUInt8List:
      return EncodableValue(ReadBlock<uint8_t>(ReadSize(stream), stream));
    case kInt32List:
      return EncodableValue(ReadBlock<int32_t>(ReadSize(stream), stream));
    case kInt64List:
      return EncodableValue(ReadBlock<int64_t>(ReadSize(stream), stream));
    case kFloat64List:
      return EncodableValue(ReadBlock<double>(ReadSize(stream), stream));
    case kFloat32List:
      return EncodableValue(ReadBlock<float>(ReadSize(stream), stream));
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
    map.emplace(std::move(key), std::move(value));
  }
  return EncodableValue(std::move(map));
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  // Values the format cannot carry are written as null, so the message stays
  // well-formed: a 32-bit size prefix cannot hold a larger size.
  if (SizeOf(value) > kMaxEncodableSize) {
    stream->WriteByte(kNull);
    WriteDiagnosticLine("Value too large in StandardCodecSerializer::WriteValue");
    return;
  }
  NestingLevel level(IsContainer(value));
  if (level.TooDeep()) {
    stream->WriteByte(kNull);
    WriteDiagnosticLine("Nesting too deep in StandardCodecSerializer::WriteValue");
    return;
  }
  stream->WriteByte(TypeByteOf(value));
  WritePayload(value, stream);
}

void StandardCodecSerializer::WritePayload(const EncodableValue& value,
                                           ByteStreamWriter* stream) const {
  std::visit(
      [&](const auto& content) {
        using T = std::decay_t<decltype(content)>;
        if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t>) {
          WriteLittleEndian(content, stream);
        } else if constexpr (std::is_same_v<T, double>) {
          stream->PadToAlignment(8);
          WriteLittleEndian(BitsFromDouble(content), stream);
        } else if constexpr (kIsBlock<T>) {
          using Element = typename T::value_type;
          WriteSize(content.size(), stream);
          // Padded also when empty: readers always align after the size, so an
          // unpadded empty list would shift every value that follows it.
          if (sizeof(Element) > 1) stream->PadToAlignment(sizeof(Element));
          if (content.empty()) return;
          stream->WriteBytes(reinterpret_cast<const uint8_t*>(content.data()),
                             content.size() * sizeof(Element));
        } else if constexpr (std::is_same_v<T, EncodableList>) {
          WriteSize(content.size(), stream);
          for (const EncodableValue& element : content) WriteValue(element, stream);
        } else if constexpr (std::is_same_v<T, EncodableMap>) {
          WriteSize(content.size(), stream);
          for (const auto& [key, entry] : content) {
            WriteValue(key, stream);
            WriteValue(entry, stream);
          }
        } else if constexpr (std::is_same_v<T, CustomValue>) {
          WriteDiagnosticLine(
              "Unhandled custom type in StandardCodecSerializer::WriteValue. "
              "Custom types require codec extensions.");
        }
        // null and bool: the type byte says it all.
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
