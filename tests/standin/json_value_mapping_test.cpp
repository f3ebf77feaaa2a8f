// JSON <-> channel value mapping of scripts and the event log.
#include "standin/engine/json_value_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace standin {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using nlohmann::json;

EncodableValue FromText(const char* text) { return JsonToValue(json::parse(text)); }

TEST(JsonValueMapping, IntegersTakeTheNarrowestAlternative) {
  EXPECT_EQ(FromText("2147483647").index(), 2u);
  EXPECT_EQ(FromText("-2147483648").index(), 2u);
  EXPECT_EQ(FromText("2147483648"), EncodableValue(int64_t{2147483648}));
  EXPECT_EQ(FromText("-2147483649"), EncodableValue(int64_t{-2147483649}));
  EXPECT_EQ(FromText("9223372036854775807"), EncodableValue(std::numeric_limits<int64_t>::max()));
  EXPECT_THROW(FromText("9223372036854775808"), JsonValueError);
  // A fraction or exponent makes a double even when the value is whole.
  EXPECT_EQ(FromText("1.0"), EncodableValue(1.0));
  EXPECT_EQ(FromText("1e3"), EncodableValue(1000.0));
}

TEST(JsonValueMapping, PlainValuesMapAsTheyAre) {
  EXPECT_TRUE(FromText("null").IsNull());
  EXPECT_EQ(FromText("true"), EncodableValue(true));
  EXPECT_EQ(FromText("\"caf\xC3\xA9\""), EncodableValue("caf\xC3\xA9"));
  EXPECT_EQ(
      FromText("[1, \"a\", null]"),
      EncodableValue(EncodableList{EncodableValue(1), EncodableValue("a"), EncodableValue()}));
  EXPECT_EQ(FromText("{\"enabled\": false}"),
            EncodableValue(EncodableMap{{EncodableValue("enabled"), EncodableValue(false)}}));
}

TEST(JsonValueMapping, TypedFormsGiveTheNamedAlternative) {
  EXPECT_EQ(FromText(R"({"$int64": 5})"), EncodableValue(int64_t{5}));
  EXPECT_EQ(FromText(R"({"$int32": -7})"), EncodableValue(int32_t{-7}));
  EXPECT_EQ(FromText(R"({"$double": 1})"), EncodableValue(1.0));
  EXPECT_TRUE(std::isinf(FromText(R"({"$double": "-inf"})").Get<double>()));
  EXPECT_EQ(FromText(R"({"$bytes": "00 7f ff"})"),
            EncodableValue(std::vector<uint8_t>{0x00, 0x7F, 0xFF}));
  EXPECT_EQ(FromText(R"({"$int32s": [1, -1]})"), EncodableValue(std::vector<int32_t>{1, -1}));
  EXPECT_EQ(FromText(R"({"$int64s": [4294967296]})"),
            EncodableValue(std::vector<int64_t>{4294967296}));
  EXPECT_EQ(FromText(R"({"$doubles": [0.5, 2]})"), EncodableValue(std::vector<double>{0.5, 2.0}));
  EXPECT_EQ(FromText(R"({"$floats": [0.25]})"), EncodableValue(std::vector<float>{0.25f}));
  EXPECT_EQ(FromText(R"({"$map": [[1, "one"], [null, true]]})"),
            EncodableValue(EncodableMap{{EncodableValue(1), EncodableValue("one")},
                                        {EncodableValue(), EncodableValue(true)}}));
  // Beside other keys a "$" key is an ordinary map key.
  EXPECT_EQ(FromText(R"({"$int64": 5, "x": 1})").index(), 11u);
}

TEST(JsonValueMapping, BadTypedFormsAreRefusedWithoutQuotingTheValue) {
  for (const char* text :
       {R"({"$int32": 2147483648})", R"({"$int64": "12"})", R"({"$bytes": "abc"})",
        R"({"$bytes": "zz"})", R"({"$map": [[1]]})", R"({"$int32s": 3})", R"({"$unknown": 1})",
        R"({"$double": "secret-word"})"}) {
    try {
      FromText(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const JsonValueError& error) {
      EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos);
    }
  }
}

TEST(JsonValueMapping, LoggedValuesReadBackAsTheSameValue) {
  const EncodableValue values[] = {
      EncodableValue(),
      EncodableValue(false),
      EncodableValue(int32_t{-2147483647 - 1}),
      EncodableValue(int64_t{3}),
      EncodableValue(2.0),
      EncodableValue(-0.125),
      EncodableValue("text"),
      EncodableValue(std::vector<uint8_t>{}),
      EncodableValue(std::vector<uint8_t>{1, 2, 250}),
      EncodableValue(std::vector<int32_t>{7}),
      EncodableValue(std::vector<int64_t>{-8}),
      EncodableValue(std::vector<double>{1.0, 0.5}),
      EncodableValue(std::vector<float>{1.5f}),
      EncodableValue(EncodableList{EncodableValue(1), EncodableValue(int64_t{1})}),
      EncodableValue(EncodableMap{{EncodableValue(2), EncodableValue("two")}}),
      EncodableValue(EncodableMap{{EncodableValue("$int64"), EncodableValue(1)}}),
      EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(EncodableMap{})}}),
  };
  for (const EncodableValue& value : values) {
    const json logged = json::parse(ValueToJson(value).dump());
    EXPECT_EQ(JsonToValue(logged), value) << logged.dump();
    EXPECT_EQ(JsonToValue(logged).index(), value.index()) << logged.dump();
  }
  EXPECT_EQ(ValueToJson(EncodableValue(std::numeric_limits<double>::quiet_NaN())),
            json::parse(R"({"$double": "nan"})"));
}

TEST(JsonValueMapping, TokenValuesAreRedactedAtAnyDepth) {
  const EncodableValue value(EncodableList{EncodableValue(EncodableMap{
      {EncodableValue("token"), EncodableValue("s3cret")},
      {EncodableValue("inner"),
       EncodableValue(EncodableMap{{EncodableValue("token"), EncodableValue(42)},
                                   {EncodableValue(7), EncodableValue("seven")}})},
  })});
  const json redacted = ValueToJson(value);
  EXPECT_EQ(redacted[0]["token"], "<redacted>");
  EXPECT_EQ(redacted[0]["inner"]["$map"][1][1], "<redacted>");
  EXPECT_EQ(redacted.dump().find("s3cret"), std::string::npos);
  EXPECT_EQ(ValueToJson(value, false)[0]["token"], "s3cret");
  // Only a string key named "token" is a token; a value "token" is not.
  EXPECT_EQ(ValueToJson(
                EncodableValue(EncodableMap{{EncodableValue("k"), EncodableValue("token")}}))["k"],
            "token");
}

TEST(Hex, ParsesPairsWithOptionalSpacesAndFormatsSpaced) {
  EXPECT_EQ(ParseHex("07 03 66\t6F 6f"), (std::vector<uint8_t>{0x07, 0x03, 0x66, 0x6F, 0x6F}));
  EXPECT_EQ(ParseHex(""), std::vector<uint8_t>{});
  EXPECT_THROW(ParseHex("0 7"), JsonValueError);
  EXPECT_THROW(ParseHex("0g"), JsonValueError);
  const uint8_t bytes[] = {0x00, 0xAB, 0xFF};
  EXPECT_EQ(FormatHex(bytes, 3), "00 ab ff");
  EXPECT_EQ(FormatHex(bytes, 0), "");
}

}  // namespace
}  // namespace standin
