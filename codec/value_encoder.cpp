// The serializer's writing walk: a switch on each value's alternative, blocks
// of fixed-width elements copied whole, lists and maps entry by entry.
#include "codec/value_encoder.h"

#include <typeinfo>
#include <variant>

#include "codec/diagnostic.h"
#include "codec/nesting_level.h"
#include "codec/stream_adapters.h"
#include "codec/wire_format.h"

namespace flutter {
namespace internal {
namespace {

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

constexpr char kNestingTooDeepOnWrite[] = "Nesting too deep in StandardCodecSerializer::WriteValue";
constexpr char kValueTooLarge[] = "Value too large in StandardCodecSerializer::WriteValue";

// One write of a value and everything nested in it. Nested values go through
// the serializer's virtual WriteValue unless it is the standard one.
template <typename Writer, bool kDirect>
class Encoder {
 public:
  Encoder(const StandardCodecSerializer& serializer, typename Writer::Stream* stream)
      : serializer_(serializer), writer_(stream), depth_(NestingLevel::ThreadDepth()) {}

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
      // The derived serializer writes to the stream itself.
      writer_.Suspend();
      serializer_.WriteValue(value, writer_.stream());
      writer_.Resume();
    }
  }

  const StandardCodecSerializer& serializer_;
  Writer writer_;
  int depth_;
};

template <typename Writer>
void WriteWith(const StandardCodecSerializer& serializer, bool direct,
               typename Writer::Stream* stream, const EncodableValue& value) {
  if (direct) {
    Encoder<Writer, true>(serializer, stream).WriteValue(value);
  } else {
    Encoder<Writer, false>(serializer, stream).WriteValue(value);
  }
}

}  // namespace

void EncodeValue(const StandardCodecSerializer& serializer, bool direct,
                 const EncodableValue& value, ByteStreamWriter* stream) {
  if (typeid(*stream) == typeid(ByteBufferStreamWriter)) {
    WriteWith<BufferWriter>(serializer, direct, static_cast<ByteBufferStreamWriter*>(stream),
                            value);
    return;
  }
  WriteWith<VirtualWriter>(serializer, direct, stream, value);
}

void EncodeString(const StandardCodecSerializer& serializer, const std::string& text,
                  ByteStreamWriter* stream) {
  if (typeid(*stream) == typeid(ByteBufferStreamWriter)) {
    Encoder<BufferWriter, true>(serializer, static_cast<ByteBufferStreamWriter*>(stream))
        .WriteBlock(kString, text.data(), text.size());
  } else {
    Encoder<VirtualWriter, true>(serializer, stream).WriteBlock(kString, text.data(), text.size());
  }
}

}  // namespace internal
}  // namespace flutter
