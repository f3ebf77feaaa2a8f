#include "codec/standard_method_codec.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/codec/encodable_value_printer.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/recording_result.h"

namespace flutter {
namespace {

using testing_support::Bytes;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;
using testing_support::StderrCapture;

const StandardMethodCodec& Codec() { return StandardMethodCodec::GetInstance(); }

std::vector<uint8_t> EncodeCall(const std::string& name, std::unique_ptr<EncodableValue> args) {
  return *Codec().EncodeMethodCall(MethodCall<>(name, std::move(args)));
}

std::vector<RecordedAnswer> DecodeReply(const std::vector<uint8_t>& bytes,
                                        bool expect_envelope = true) {
  RecordingResult result;
  EXPECT_EQ(Codec().DecodeResponseEnvelope(bytes.data(), bytes.size(), &result), expect_envelope);
  return result.answers;
}

TEST(StandardMethodCodec, EncodesCalls) {
  std::vector<uint8_t> close_requested = Bytes("07 0E");
  for (char c : std::string("closeRequested")) close_requested.push_back(static_cast<uint8_t>(c));
  close_requested.push_back(0x00);
  EXPECT_EQ(EncodeCall("closeRequested", std::make_unique<EncodableValue>()), close_requested);
  EXPECT_EQ(EncodeCall("closeRequested", nullptr), close_requested);
  EXPECT_EQ(close_requested.size(), 17u);

  const std::vector<uint8_t> set_close =
      EncodeCall("setCloseToTrayEnabled", std::make_unique<EncodableValue>(EncodableMap{
                                              {EncodableValue("enabled"), EncodableValue(true)}}));
  EXPECT_EQ(set_close.size(), 2u + 21u + 12u);
  EXPECT_EQ(std::vector<uint8_t>(set_close.end() - 12, set_close.end()),
            Bytes("0D 01 07 07 65 6E 61 62 6C 65 64 01"));
}

TEST(StandardMethodCodec, DecodesCalls) {
  StderrCapture stderr_capture;
  auto call = Codec().DecodeMethodCall(Bytes("07 03 66 6F 6F 00").data(), 6);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->MethodName(), "foo");
  ASSERT_NE(call->Arguments(), nullptr);
  EXPECT_TRUE(call->Arguments()->IsNull());
  EXPECT_TRUE(stderr_capture.Lines().empty());

  StderrCapture truncated;
  const std::vector<uint8_t> no_args = Bytes("07 03 66 6F 6F");
  call = Codec().DecodeMethodCall(no_args.data(), no_args.size());
  ASSERT_NE(call, nullptr);
  EXPECT_TRUE(call->Arguments()->IsNull());
  EXPECT_EQ(truncated.Lines(),
            std::vector<std::string>{"Invalid read in StandardCodecByteStreamReader"});
}

TEST(StandardMethodCodec, RefusesCallsWithoutAStringName) {
  StderrCapture stderr_capture;
  const std::vector<uint8_t> int_name = Bytes("03 01 00 00 00 00");
  EXPECT_EQ(Codec().DecodeMethodCall(int_name.data(), int_name.size()), nullptr);
  EXPECT_EQ(Codec().DecodeMethodCall(nullptr, 0), nullptr);
  EXPECT_EQ(stderr_capture.Lines(),
            (std::vector<std::string>{"Invalid method call; method name is not a string.",
                                      "Invalid read in StandardCodecByteStreamReader",
                                      "Invalid method call; method name is not a string."}));
}

TEST(StandardMethodCodec, EncodesEnvelopes) {
  const EncodableValue yes(true);
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(&yes), Bytes("00 01"));
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(), Bytes("00 00"));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("x", ""), Bytes("01 07 01 78 00 00"));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("x", "hi", &yes), Bytes("01 07 01 78 07 02 68 69 01"));
}

TEST(StandardMethodCodec, DecodesSuccessEnvelopes) {
  const auto none = DecodeReply(Bytes("00 00"));
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].kind, RecordedAnswer::Kind::kSuccess);
  EXPECT_FALSE(none[0].value.has_value());
  for (const char* hex : {"00 01", "00 01 FF FF"}) {
    const auto answers = DecodeReply(Bytes(hex));
    ASSERT_EQ(answers.size(), 1u) << hex;
    EXPECT_EQ(answers[0].value, EncodableValue(true)) << hex;
  }
}

TEST(StandardMethodCodec, DecodesErrorEnvelopes) {
  const auto bare = DecodeReply(Bytes("01 07 01 78 00 00"));
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_EQ(bare[0].kind, RecordedAnswer::Kind::kError);
  EXPECT_EQ(bare[0].code, "x");
  EXPECT_EQ(bare[0].message, "");
  EXPECT_FALSE(bare[0].value.has_value());

  const auto full = DecodeReply(Bytes("01 07 01 78 07 02 68 69 01"));
  ASSERT_EQ(full.size(), 1u);
  EXPECT_EQ(full[0].message, "hi");
  EXPECT_EQ(full[0].value, EncodableValue(true));

  const auto round_trip = DecodeReply(*Codec().EncodeErrorEnvelope("code", ""));
  EXPECT_EQ(round_trip.at(0).message, "");
}

TEST(StandardMethodCodec, RejectsUnknownAndMalformedEnvelopes) {
  EXPECT_TRUE(DecodeReply(Bytes("02"), false).empty());
  EXPECT_TRUE(DecodeReply(Bytes("7F"), false).empty());

  RecordingResult result;
  const std::vector<uint8_t> int_code = Bytes("01 03 01 00 00 00 00 00");
  EXPECT_THROW(Codec().DecodeResponseEnvelope(int_code.data(), int_code.size(), &result),
               std::bad_variant_access);
  const std::vector<uint8_t> bool_message = Bytes("01 07 01 78 01 00");
  EXPECT_THROW(Codec().DecodeResponseEnvelope(bool_message.data(), bool_message.size(), &result),
               std::bad_variant_access);
  EXPECT_TRUE(result.answers.empty());
}

TEST(StandardMethodCodec, SharesOneCodecPerSerializer) {
  const StandardMethodCodec* first = nullptr;
  const StandardMethodCodec* second = nullptr;
  std::thread racer([&] { first = &StandardMethodCodec::GetInstance(); });
  second = &StandardMethodCodec::GetInstance();
  racer.join();
  EXPECT_EQ(first, second);
  EXPECT_EQ(&StandardMethodCodec::GetInstance(&StandardCodecSerializer::GetInstance()), first);

  class ExtendedSerializer : public StandardCodecSerializer {};
  static const ExtendedSerializer extended;
  const StandardMethodCodec& extended_codec = StandardMethodCodec::GetInstance(&extended);
  EXPECT_NE(&extended_codec, first);
  EXPECT_EQ(&StandardMethodCodec::GetInstance(&extended), &extended_codec);
}

TEST(StandardMethodCodec, ADerivedSerializerWritesTheNameAndEveryValue) {
  class RecordingSerializer : public StandardCodecSerializer {
   public:
    void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const override {
      written.push_back(value.index());
      StandardCodecSerializer::WriteValue(value, stream);
    }
    mutable std::vector<size_t> written;
  };
  static const RecordingSerializer recording;
  const StandardMethodCodec& codec = StandardMethodCodec::GetInstance(&recording);
  const auto call = codec.EncodeMethodCall(
      MethodCall<>("m", std::make_unique<EncodableValue>(EncodableList{EncodableValue(1)})));
  EXPECT_EQ(*call, *Codec().EncodeMethodCall(MethodCall<>(
                       "m", std::make_unique<EncodableValue>(EncodableList{EncodableValue(1)}))));
  codec.EncodeErrorEnvelope("code", "message");
  // string, list, int32; then string, string, null.
  EXPECT_EQ(recording.written, (std::vector<size_t>{5, 10, 2, 5, 5, 0}));
}

}  // namespace
}  // namespace flutter
