// Channel values written as JSON, both ways: scripts give values in JSON, and
// the event log shows the values the host sends and answers.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/encodable_value.h"

namespace standin {

/// Thrown for JSON that names no channel value. The message never quotes the
/// offending value, so secrets in a script never reach the log through it.
class JsonValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// null, booleans, strings, arrays and objects map as they are; an integer is an
/// int32 when it fits, otherwise an int64; a number with a fraction or exponent
/// is a double. A one-member object whose key starts with "$" is a typed form:
/// $int32, $int64, $double, $bytes (hex), $int32s, $int64s, $doubles, $floats,
/// $map (a list of [key, value] pairs).
flutter::EncodableValue JsonToValue(const nlohmann::json& json);

/// The inverse of JsonToValue, choosing the plain form where it reads back as
/// the same value. With redact_tokens, the value of every map entry whose key is
/// the string "token" becomes "<redacted>".
nlohmann::json ValueToJson(const flutter::EncodableValue& value, bool redact_tokens = true);

/// Hex digits, optionally separated by white space, two per byte.
std::vector<uint8_t> ParseHex(const std::string& text);
/// Lower-case hex digits, two per byte, separated by single spaces.
std::string FormatHex(const uint8_t* bytes, size_t size);

}  // namespace standin
