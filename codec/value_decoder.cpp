// The serializer's reading walk: each value's payload by its type byte, with
// every announced size checked against the bytes that remain.
#include "codec/value_decoder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <typeinfo>

#include "codec/diagnostic.h"
#include "codec/nesting_level.h"
#include "codec/stream_adapters.h"
#include "codec/wire_format.h"

namespace flutter {
namespace internal {
namespace {

double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Copies count elements from the buffer into a new container, byte for byte.
// Wider elements go into the vector's storage a slice at a time: the resize
// zeroes a slice that the copy then overwrites while it is still in the
// cache, which costs less than zeroing the whole list first. (A vector
// cannot grow without initialising its elements.)
template <typename Container>
Container CopyElements(const uint8_t* source, size_t count) {
  using Element = typename Container::value_type;
  if constexpr (std::is_same_v<Container, std::string>) {
    return Container(reinterpret_cast<const char*>(source), count);
  } else if constexpr (sizeof(Element) == 1) {
    return Container(source, source + count);
  } else {
    constexpr size_t kSlice = 8192 / sizeof(Element);
    Container elements;
    elements.reserve(count);
    for (size_t done = 0; done < count;) {
      const size_t slice = std::min(kSlice, count - done);
      elements.resize(done + slice);
      std::memcpy(elements.data() + done, source + done * sizeof(Element), slice * sizeof(Element));
      done += slice;
    }
    return elements;
  }
}

// Reads count elements of a fixed width after aligning to it. A payload the
// buffer cannot hold yields zeros of the announced shape when it is short, and
// nothing when it is not, so a bare size announcement reserves no memory.
template <typename Container, typename Reader>
Container ReadBlock(size_t count, Reader& reader) {
  using Element = typename Container::value_type;
  if (sizeof(Element) > 1) reader.SkipToAlignment(sizeof(Element));
  const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(Element);
  if (bytes <= reader.BytesRemaining()) {
    if (const uint8_t* source = reader.TakeBytes(static_cast<size_t>(bytes))) {
      return CopyElements<Container>(source, count);
    }
  } else if (bytes > StandardCodecSerializer::kMaxMissingContent) {
    WriteDiagnosticLine(kInvalidReadDiagnostic);
    return {};
  }
  Container elements(count, Element{});
  reader.ReadBytes(reinterpret_cast<uint8_t*>(elements.data()), static_cast<size_t>(bytes));
  return elements;
}

// True once a list or map has met more missing elements than it may fill in.
template <typename Reader>
bool MissingBeyondLimit(const Reader& reader, size_t* missing) {
  if (reader.BytesRemaining() != 0) return false;
  return ++*missing > StandardCodecSerializer::kMaxMissingContent;
}

constexpr char kNestingTooDeepOnRead[] =
    "Nesting too deep in StandardCodecSerializer::ReadValueOfType";

// One read of a value and everything nested in it. Nested values go through
// the serializer's virtual ReadValueOfType unless it is the standard one.
template <typename Reader>
class Decoder {
 public:
  Decoder(const StandardCodecSerializer& serializer, Reader reader, bool direct)
      : serializer_(serializer),
        reader_(reader),
        direct_(direct),
        depth_(NestingLevel::ThreadDepth()) {}

  EncodableValue ReadValueOfType(uint8_t type) {
    switch (type) {
      case kNull:
        return EncodableValue();
      case kTrue:
        return EncodableValue(true);
      case kFalse:
        return EncodableValue(false);
      case kInt32:
        return EncodableValue(ReadLittleEndian<int32_t>(reader_));
      case kInt64:
        return EncodableValue(ReadLittleEndian<int64_t>(reader_));
      case kFloat64:
        reader_.SkipToAlignment(8);
        return EncodableValue(DoubleFromBits(ReadLittleEndian<uint64_t>(reader_)));
      case kLargeInt:
      case kString:
        return EncodableValue(ReadBlock<std::string>(ReadSizeFrom(reader_), reader_));
      case kUInt8List:
        return EncodableValue(ReadBlock<std::vector<uint8_t>>(ReadSizeFrom(reader_), reader_));
      case kInt32List:
        return EncodableValue(ReadBlock<std::vector<int32_t>>(ReadSizeFrom(reader_), reader_));
      case kInt64List:
        return EncodableValue(ReadBlock<std::vector<int64_t>>(ReadSizeFrom(reader_), reader_));
      case kFloat64List:
        return EncodableValue(ReadBlock<std::vector<double>>(ReadSizeFrom(reader_), reader_));
      case kFloat32List:
        return EncodableValue(ReadBlock<std::vector<float>>(ReadSizeFrom(reader_), reader_));
      case kList:
        return ReadList();
      case kMap:
        return ReadMap();
      default:
        WriteDiagnosticLine("Unknown type in StandardCodecSerializer::ReadValueOfType: " +
                            std::to_string(type));
        return EncodableValue();
    }
  }

 private:
  // The next complete value. The small kinds that fill most lists and maps,
  // when their bytes are all there, are read right here in the loop that
  // stores them: an int32 in this small step, which the compiler can place in
  // the loop, null, bools and short strings in the next; everything else,
  // truncated payloads with their diagnostics included, and every value of a
  // derived serializer, through ReadValueOfType.
  EncodableValue ReadNested() {
    const uint8_t type = reader_.ReadByte();
    if (direct_ && type == kInt32) {
      if (const uint8_t* bytes = reader_.TakeBytes(sizeof(int32_t))) {
        int32_t number;
        std::memcpy(&number, bytes, sizeof number);
        return EncodableValue(number);
      }
    }
    return ReadNestedOfType(type);
  }

  EncodableValue ReadNestedOfType(uint8_t type) {
    if (!direct_) return serializer_.ReadValueOfType(type, reader_.stream());
    switch (type) {
      case kNull:
        return EncodableValue();
      case kTrue:
        return EncodableValue(true);
      case kFalse:
        return EncodableValue(false);
      case kString: {
        size_t length = 0;
        if (const uint8_t* text = reader_.TakeShortBlock(&length)) {
          return EncodableValue(std::in_place_type<std::string>,
                                reinterpret_cast<const char*>(text), length);
        }
        return ReadValueOfType(type);
      }
      default:
        return ReadValueOfType(type);
    }
  }

  // Converts to the next value read, for constructing it where it is stored.
  struct NestedRead {
    Decoder* decoder;
    operator EncodableValue() const { return decoder->ReadNested(); }
  };

  EncodableValue ReadList() {
    NestingLevel level(&depth_, !direct_);
    const bool too_deep = level.TooDeep();
    // Built where it is returned, each element read straight into its place.
    EncodableValue value = too_deep ? EncodableValue() : EncodableValue(EncodableList());
    if (too_deep) {
      WriteDiagnosticLine(kNestingTooDeepOnRead);
      return value;
    }
    const size_t count = ReadSizeFrom(reader_);
    EncodableList& list = *value.GetIf<EncodableList>();
    // Every element takes at least one byte, so this never exceeds the buffer.
    list.reserve(std::min(count, reader_.BytesRemaining()));
    size_t missing = 0;
    for (size_t i = 0; i < count && !MissingBeyondLimit(reader_, &missing); ++i) {
      list.emplace_back(NestedRead{this});
    }
    return value;
  }

  EncodableValue ReadMap() {
    NestingLevel level(&depth_, !direct_);
    if (level.TooDeep()) {
      WriteDiagnosticLine(kNestingTooDeepOnRead);
      return EncodableValue();
    }
    const size_t count = ReadSizeFrom(reader_);
    EncodableMap::Builder entries;
    // Every entry takes at least two bytes.
    entries.reserve(std::min(count, reader_.BytesRemaining() / 2));
    size_t missing = 0;
    for (size_t i = 0; i < count && !MissingBeyondLimit(reader_, &missing); ++i) {
      // Read in place, key before value, as the entry's members are built.
      entries.Emplace(NestedRead{this}, NestedRead{this});
    }
    // Entries normally arrive in ascending key order and are taken as they
    // are; otherwise one stable sort keeps the first occurrence of each key.
    return EncodableValue(entries.Build());
  }

  const StandardCodecSerializer& serializer_;
  Reader reader_;
  bool direct_;
  int depth_;
};

}  // namespace

EncodableValue DecodeValueOfType(const StandardCodecSerializer& serializer, bool direct,
                                 uint8_t type, ByteStreamReader* stream) {
  if (typeid(*stream) == typeid(ByteBufferStreamReader)) {
    BufferReader reader(static_cast<ByteBufferStreamReader*>(stream));
    return Decoder<BufferReader>(serializer, reader, direct).ReadValueOfType(type);
  }
  return Decoder<VirtualReader>(serializer, VirtualReader(stream), direct).ReadValueOfType(type);
}

}  // namespace internal
}  // namespace flutter
