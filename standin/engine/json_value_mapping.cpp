// JSON <-> channel value mapping of scripts and the event log.
#include "standin/engine/json_value_mapping.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>

namespace standin {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using nlohmann::json;

constexpr char kRedacted[] = "<redacted>";

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

int64_t ToInt64(const json& number, const char* form) {
  if (number.is_number_integer() && !number.is_number_unsigned()) return number.get<int64_t>();
  if (number.is_number_unsigned() &&
      number.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    return static_cast<int64_t>(number.get<uint64_t>());
  }
  throw JsonValueError(std::string(form) + " needs an integer within 64 bits");
}

int32_t ToInt32(const json& number, const char* form) {
  const int64_t value = ToInt64(number, form);
  if (!FitsInt32(value))
    throw JsonValueError(std::string(form) + " needs an integer within 32 bits");
  return static_cast<int32_t>(value);
}

// Numbers, or the words nan, inf and -inf that plain JSON cannot spell.
double ToDouble(const json& number, const char* form) {
  if (number.is_number()) return number.get<double>();
  if (number.is_string()) {
    const std::string& word = number.get_ref<const std::string&>();
    if (word == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (word == "inf") return std::numeric_limits<double>::infinity();
    if (word == "-inf") return -std::numeric_limits<double>::infinity();
  }
  throw JsonValueError(std::string(form) + " needs a number");
}

json DoubleToJson(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}

const json& ArrayOf(const json& content, const char* form) {
  if (!content.is_array()) throw JsonValueError(std::string(form) + " needs an array");
  return content;
}

EncodableValue TypedFormToValue(const std::string& form, const json& content) {
  if (form == "$int32") return EncodableValue(ToInt32(content, "$int32"));
  if (form == "$int64") return EncodableValue(ToInt64(content, "$int64"));
  if (form == "$double") return EncodableValue(ToDouble(content, "$double"));
  if (form == "$bytes") {
    if (!content.is_string()) throw JsonValueError("$bytes needs a hex string");
    return EncodableValue(ParseHex(content.get<std::string>()));
  }
  if (form == "$int32s") {
    std::vector<int32_t> list;
    for (const json& item : ArrayOf(content, "$int32s")) list.push_back(ToInt32(item, "$int32s"));
    return EncodableValue(std::move(list));
  }
  if (form == "$int64s") {
    std::vector<int64_t> list;
    for (const json& item : ArrayOf(content, "$int64s")) list.push_back(ToInt64(item, "$int64s"));
    return EncodableValue(std::move(list));
  }
  if (form == "$doubles") {
    std::vector<double> list;
    for (const json& item : ArrayOf(content, "$doubles")) {
      list.push_back(ToDouble(item, "$doubles"));
    }
    return EncodableValue(std::move(list));
  }
  if (form == "$floats") {
    std::vector<float> list;
    for (const json& item : ArrayOf(content, "$floats")) {
      list.push_back(static_cast<float>(ToDouble(item, "$floats")));
    }
    return EncodableValue(std::move(list));
  }
  if (form == "$map") {
    EncodableMap map;
    for (const json& pair : ArrayOf(content, "$map")) {
      if (!pair.is_array() || pair.size() != 2) {
        throw JsonValueError("$map needs [key, value] pairs");
      }
      map[JsonToValue(pair[0])] = JsonToValue(pair[1]);
    }
    return EncodableValue(std::move(map));
  }
  throw JsonValueError("unknown typed form " + form);
}

bool IsTokenKey(const EncodableValue& key) {
  const std::string* text = key.GetIf<std::string>();
  return text != nullptr && *text == "token";
}

template <typename T>
json NumbersToJson(const std::vector<T>& list) {
  json array = json::array();
  for (T item : list) array.push_back(item);
  return array;
}

json MapToJson(const EncodableMap& map, bool redact_tokens) {
  bool string_keys = true;
  for (const auto& entry : map) string_keys = string_keys && entry.first.Holds<std::string>();
  // A lone "$..." key would read back as a typed form, so it takes the $map form.
  if (string_keys && map.size() == 1) {
    const std::string& key = map.begin()->first.Get<std::string>();
    string_keys = key.empty() || key[0] != '$';
  }
  if (string_keys) {
    json object = json::object();
    for (const auto& [key, value] : map) {
      object[key.Get<std::string>()] =
          redact_tokens && IsTokenKey(key) ? json(kRedacted) : ValueToJson(value, redact_tokens);
    }
    return object;
  }
  json pairs = json::array();
  for (const auto& [key, value] : map) {
    pairs.push_back(json::array(
        {ValueToJson(key, redact_tokens),
         redact_tokens && IsTokenKey(key) ? json(kRedacted) : ValueToJson(value, redact_tokens)}));
  }
  return json{{"$map", pairs}};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

EncodableValue JsonToValue(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return EncodableValue();
    case json::value_t::boolean:
      return EncodableValue(value.get<bool>());
    case json::value_t::string:
      return EncodableValue(value.get<std::string>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      const int64_t number = ToInt64(value, "an integer");
      if (FitsInt32(number)) return EncodableValue(static_cast<int32_t>(number));
      return EncodableValue(number);
    }
    case json::value_t::number_float:
      return EncodableValue(value.get<double>());
    case json::value_t::array: {
      EncodableList list;
      for (const json& item : value) list.push_back(JsonToValue(item));
      return EncodableValue(std::move(list));
    }
    case json::value_t::object: {
      if (value.size() == 1) {
        const std::string& key = value.begin().key();
        if (!key.empty() && key[0] == '$') return TypedFormToValue(key, value.begin().value());
      }
      EncodableMap map;
      for (const auto& [key, item] : value.items()) map[EncodableValue(key)] = JsonToValue(item);
      return EncodableValue(std::move(map));
    }
    default:
      throw JsonValueError("unsupported JSON value");
  }
}

json ValueToJson(const EncodableValue& value, bool redact_tokens) {
  if (value.IsNull()) return nullptr;
  if (const auto* flag = value.GetIf<bool>()) return *flag;
  if (const auto* number = value.GetIf<int32_t>()) return *number;
  if (const auto* number = value.GetIf<int64_t>()) return json{{"$int64", *number}};
  if (const auto* number = value.GetIf<double>()) {
    // The writer keeps a fraction or exponent on finite doubles ("1.0"), so only
    // the non-finite ones need the typed form.
    if (!std::isfinite(*number)) return json{{"$double", DoubleToJson(*number)}};
    return *number;
  }
  if (const auto* text = value.GetIf<std::string>()) return *text;
  if (const auto* bytes = value.GetIf<std::vector<uint8_t>>()) {
    return json{{"$bytes", FormatHex(bytes->data(), bytes->size())}};
  }
  if (const auto* list = value.GetIf<std::vector<int32_t>>()) {
    return json{{"$int32s", NumbersToJson(*list)}};
  }
  if (const auto* list = value.GetIf<std::vector<int64_t>>()) {
    return json{{"$int64s", NumbersToJson(*list)}};
  }
  if (const auto* list = value.GetIf<std::vector<double>>()) {
    json array = json::array();
    for (double item : *list) array.push_back(DoubleToJson(item));
    return json{{"$doubles", array}};
  }
  if (const auto* list = value.GetIf<std::vector<float>>()) {
    json array = json::array();
    for (float item : *list) array.push_back(DoubleToJson(item));
    return json{{"$floats", array}};
  }
  if (const auto* list = value.GetIf<EncodableList>()) {
    json array = json::array();
    for (const EncodableValue& item : *list) array.push_back(ValueToJson(item, redact_tokens));
    return array;
  }
  if (const auto* map = value.GetIf<EncodableMap>()) return MapToJson(*map, redact_tokens);
  return json{{"$custom", nullptr}};
}

std::vector<uint8_t> ParseHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (high >= 0) throw JsonValueError("hex digits come in pairs");
      continue;
    }
    const int digit = HexDigit(c);
    if (digit < 0) throw JsonValueError("hex text holds a character that is not a hex digit");
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) throw JsonValueError("hex digits come in pairs");
  return bytes;
}

std::string FormatHex(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 3);
  for (size_t i = 0; i < size; ++i) {
    if (i > 0) text.push_back(' ');
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return text;
}

}  // namespace standin
