// The standard message codec: type bytes, little-endian payloads, size
// prefixes and alignment reckoned from the start of the buffer.
#include "codec/standard_codec_serializer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <typeinfo>

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
// A walk that makes only direct calls counts levels in its own depth; one that
// calls back into a derived serializer also keeps the thread's count, through
// which a nested call learns its depth.
class NestingLevel {
 public:
  NestingLevel(int* depth, bool shared) : depth_(depth), shared_(shared) {
    ++*depth_;
    if (shared_) nesting_depth = *depth_;
  }
  ~NestingLevel() {
    --*depth_;
    if (shared_) nesting_depth = *depth_;
  }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

  bool TooDeep() const { return *depth_ > StandardCodecSerializer::kMaxNestingDepth; }

 private:
  int* depth_;
  bool shared_;
};

// Stream adapters. The virtual ones serve any stream; the buffer ones serve a
// stream whose type is exactly the buffer-backed one, calling its inline
// operations directly (the same operations the virtual calls would reach).
class VirtualReader {
 public:
  explicit VirtualReader(ByteStreamReader* stream) : stream_(stream) {}
  ByteStreamReader* stream() const { return stream_; }
  uint8_t ReadByte() { return stream_->ReadByte(); }
  void ReadBytes(uint8_t* destination, size_t count) { stream_->ReadBytes(destination, count); }
  void SkipToAlignment(uint8_t alignment) { stream_->SkipToAlignment(alignment); }
  size_t BytesRemaining() const { return stream_->BytesRemaining(); }
  const uint8_t* TakeBytes(size_t) { return nullptr; }

 private:
  ByteStreamReader* stream_;
};

class BufferReader {
 public:
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

 private:
  ByteBufferStreamReader* stream_;
};

class VirtualWriter {
 public:
  explicit VirtualWriter(ByteStreamWriter* stream) : stream_(stream) {}
  ByteStreamWriter* stream() const { return stream_; }
  void WriteByte(uint8_t byte) { stream_->WriteByte(byte); }
  void WriteBytes(const uint8_t* source, size_t count) { stream_->WriteBytes(source, count); }
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    stream_->WriteBytes(bytes, kCount);
  }
  void PadToAlignment(uint8_t alignment) { stream_->PadToAlignment(alignment); }

 private:
  ByteStreamWriter* stream_;
};

class BufferWriter {
 public:
  explicit BufferWriter(ByteBufferStreamWriter* stream)
      : stream_(stream), buffer_(stream->buffer()) {}
  ByteStreamWriter* stream() const { return stream_; }
  void WriteByte(uint8_t byte) { buffer_->push_back(byte); }
  void WriteBytes(const uint8_t* source, size_t count) {
    stream_->ByteBufferStreamWriter::WriteBytes(source, count);
  }
  // A few bytes of known count: appended one by one, cheaper than a range insertion.
  template <size_t kCount>
  void WriteNumber(const uint8_t* bytes) {
    for (size_t i = 0; i < kCount; ++i) buffer_->push_back(bytes[i]);
  }
  void PadToAlignment(uint8_t alignment) {
    stream_->ByteBufferStreamWriter::PadToAlignment(alignment);
  }

 private:
  ByteBufferStreamWriter* stream_;
  std::vector<uint8_t>* buffer_;
};

// Numbers are copied in the host's byte order, which is the wire's.
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
size_t ReadSizeFrom(Reader& reader) {
  const uint8_t first = reader.ReadByte();
  if (first < kSizeIs16Bits) return first;
  if (first == kSizeIs16Bits) return ReadLittleEndian<uint16_t>(reader);
  return ReadLittleEndian<uint32_t>(reader);
}

double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
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
template <typename Container, typename Reader>
Container ReadBlock(size_t count, Reader& reader) {
  using Element = typename Container::value_type;
  if (sizeof(Element) > 1) reader.SkipToAlignment(sizeof(Element));
  const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(Element);
  if (bytes <= reader.BytesRemaining()) {
    if (const uint8_t* source = reader.TakeBytes(static_cast<size_t>(bytes))) {
      if constexpr (std::is_same_v<Container, std::string>) {
        return Container(reinterpret_cast<const char*>(source), count);
      } else if (reinterpret_cast<uintptr_t>(source) % alignof(Element) == 0) {
        // One copying pass (a block move of trivially copyable elements)
        // instead of zero-filling the elements first.
        const auto* first = reinterpret_cast<const Element*>(source);
        return Container(first, first + count);
      } else {
        Container elements(count);
        std::memcpy(elements.data(), source, static_cast<size_t>(bytes));
        return elements;
      }
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
constexpr char kNestingTooDeepOnWrite[] = "Nesting too deep in StandardCodecSerializer::WriteValue";
constexpr char kValueTooLarge[] = "Value too large in StandardCodecSerializer::WriteValue";

// One read of a value and everything nested in it. Nested values go through
// the serializer's virtual ReadValueOfType unless it is the standard one.
template <typename Reader>
class Decoder {
 public:
  Decoder(const StandardCodecSerializer& serializer, Reader reader, bool direct)
      : serializer_(serializer), reader_(reader), direct_(direct), depth_(nesting_depth) {}

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
  EncodableValue ReadNested() {
    const uint8_t type = reader_.ReadByte();
    if (direct_) return ReadValueOfType(type);
    return serializer_.ReadValueOfType(type, reader_.stream());
  }

  // Converts to the next value read, for constructing it where it is stored.
  struct NestedRead {
    Decoder* decoder;
    operator EncodableValue() const { return decoder->ReadNested(); }
  };

  EncodableValue ReadList() {
    NestingLevel level(&depth_, !direct_);
    if (level.TooDeep()) {
      WriteDiagnosticLine(kNestingTooDeepOnRead);
      return EncodableValue();
    }
    const size_t count = ReadSizeFrom(reader_);
    EncodableList list;
    // Every element takes at least one byte, so this never exceeds the buffer.
    list.reserve(std::min(count, reader_.BytesRemaining()));
    size_t missing = 0;
    for (size_t i = 0; i < count && !MissingBeyondLimit(reader_, &missing); ++i) {
      list.push_back(ReadNested());
    }
    return EncodableValue(std::move(list));
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

// One write of a value and everything nested in it. Nested values go through
// the serializer's virtual WriteValue unless it is the standard one.
template <typename Writer, bool kDirect>
class Encoder {
 public:
  Encoder(const StandardCodecSerializer& serializer, Writer writer)
      : serializer_(serializer), writer_(writer), depth_(nesting_depth) {}

  // A switch on the alternative rather than std::visit: the compiler inlines
  // each case, so a level of nesting costs a jump and not an indirect call.
  void WriteValue(const EncodableValue& value) {
    const EncodableValue::Variant& content = value.variant();
    switch (content.index()) {
      case 0:
        return Write(std::monostate());
      case 1:
        return Write(*std::get_if<1>(&content));
      case 2:
        return Write(*std::get_if<2>(&content));
      case 3:
        return Write(*std::get_if<3>(&content));
      case 4:
        return Write(*std::get_if<4>(&content));
      case 5:
        return Write(*std::get_if<5>(&content));
      case 6:
        return Write(*std::get_if<6>(&content));
      case 7:
        return Write(*std::get_if<7>(&content));
      case 8:
        return Write(*std::get_if<8>(&content));
      case 9:
        return Write(*std::get_if<9>(&content));
      case 10:
        return Write(*std::get_if<10>(&content));
      case 11:
        return Write(*std::get_if<11>(&content));
      case 12:
        return Write(*std::get_if<12>(&content));
      case 13:
        return Write(*std::get_if<13>(&content));
      default:  // valueless after a failed assignment, as std::visit reports it
        throw std::bad_variant_access();
    }
  }

  // A value too long for the 32-bit size prefix is written as null, so that
  // the message stays well-formed.
  template <typename Element>
  void WriteBlock(uint8_t type, const Element* elements, size_t count) {
    if (TooLarge(count)) return;
    WriteHeader(type, count);
    // Padded also when empty: readers always align after the size, so an
    // unpadded empty list would shift every value that follows it.
    if (sizeof(Element) > 1) writer_.PadToAlignment(sizeof(Element));
    if (count == 0) return;
    writer_.WriteBytes(reinterpret_cast<const uint8_t*>(elements), count * sizeof(Element));
  }

 private:
  void Write(std::monostate) { writer_.WriteByte(kNull); }
  void Write(bool content) { writer_.WriteByte(content ? kTrue : kFalse); }
  void Write(int32_t content) {
    writer_.WriteByte(kInt32);
    WriteLittleEndian(content, writer_);
  }
  void Write(int64_t content) {
    writer_.WriteByte(kInt64);
    WriteLittleEndian(content, writer_);
  }
  void Write(double content) {
    writer_.WriteByte(kFloat64);
    writer_.PadToAlignment(8);
    WriteLittleEndian(content, writer_);
  }
  template <typename T, std::enable_if_t<kIsBlock<T>, int> = 0>
  void Write(const T& content) {
    WriteBlock(BlockTypeByte<T>(), content.data(), content.size());
  }
  void Write(const EncodableList& list) {
    if (TooLarge(list.size())) return;
    NestingLevel level(&depth_, !kDirect);
    if (TooDeep(level)) return;
    WriteHeader(kList, list.size());
    for (const EncodableValue& element : list) WriteNested(element);
  }
  void Write(const EncodableMap& map) {
    if (TooLarge(map.size())) return;
    NestingLevel level(&depth_, !kDirect);
    if (TooDeep(level)) return;
    WriteHeader(kMap, map.size());
    for (const auto& [key, entry] : map) {
      WriteNested(key);
      WriteNested(entry);
    }
  }
  void Write(const CustomValue&) {
    writer_.WriteByte(kNull);
    WriteDiagnosticLine(
        "Unhandled custom type in StandardCodecSerializer::WriteValue. "
        "Custom types require codec extensions.");
  }

  // The type byte and the size. Into a buffer, a size below the escape values
  // goes out with the type as one two-byte append.
  void WriteHeader(uint8_t type, size_t size) {
    if constexpr (std::is_same_v<Writer, BufferWriter>) {
      if (size < kSizeIs16Bits) {
        const uint8_t bytes[2] = {type, static_cast<uint8_t>(size)};
        writer_.template WriteNumber<2>(bytes);
        return;
      }
    }
    writer_.WriteByte(type);
    WriteSizeTo(size, writer_);
  }

  // A list or map that cannot be written leaves null in its place.
  bool TooLarge(size_t size) {
    if (size <= StandardCodecSerializer::kMaxEncodableSize) return false;
    writer_.WriteByte(kNull);
    WriteDiagnosticLine(kValueTooLarge);
    return true;
  }
  bool TooDeep(const NestingLevel& level) {
    if (!level.TooDeep()) return false;
    writer_.WriteByte(kNull);
    WriteDiagnosticLine(kNestingTooDeepOnWrite);
    return true;
  }

  void WriteNested(const EncodableValue& value) {
    if constexpr (kDirect) {
      WriteValue(value);
    } else {
      serializer_.WriteValue(value, writer_.stream());
    }
  }

  const StandardCodecSerializer& serializer_;
  Writer writer_;
  int depth_;
};

template <typename Writer>
void EncodeValue(const StandardCodecSerializer& serializer, bool direct, Writer writer,
                 const EncodableValue& value) {
  if (direct) {
    Encoder<Writer, true>(serializer, writer).WriteValue(value);
  } else {
    Encoder<Writer, false>(serializer, writer).WriteValue(value);
  }
}

}  // namespace

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  // Never torn down: codecs handed out for it stay usable while the process exits.
  static const StandardCodecSerializer* const instance = new StandardCodecSerializer();
  return *instance;
}

bool StandardCodecSerializer::IsStandard() const {
  return typeid(*this) == typeid(StandardCodecSerializer);
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  const uint8_t type = stream->ReadByte();
  return ReadValueOfType(type, stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  if (typeid(*stream) == typeid(ByteBufferStreamReader)) {
    BufferReader reader(static_cast<ByteBufferStreamReader*>(stream));
    return Decoder<BufferReader>(*this, reader, IsStandard()).ReadValueOfType(type);
  }
  return Decoder<VirtualReader>(*this, VirtualReader(stream), IsStandard()).ReadValueOfType(type);
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  if (typeid(*stream) == typeid(ByteBufferStreamWriter)) {
    EncodeValue(*this, IsStandard(), BufferWriter(static_cast<ByteBufferStreamWriter*>(stream)),
                value);
    return;
  }
  EncodeValue(*this, IsStandard(), VirtualWriter(stream), value);
}

void StandardCodecSerializer::WriteString(const std::string& text, ByteStreamWriter* stream) const {
  if (!IsStandard()) {
    WriteValue(EncodableValue(text), stream);
  } else if (typeid(*stream) == typeid(ByteBufferStreamWriter)) {
    BufferWriter writer(static_cast<ByteBufferStreamWriter*>(stream));
    Encoder<BufferWriter, true>(*this, writer).WriteBlock(kString, text.data(), text.size());
  } else {
    Encoder<VirtualWriter, true>(*this, VirtualWriter(stream))
        .WriteBlock(kString, text.data(), text.size());
  }
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  VirtualWriter writer(stream);
  WriteSizeTo(size, writer);
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  VirtualReader reader(stream);
  return ReadSizeFrom(reader);
}

}  // namespace flutter
