// Prints EncodableValues readably in test failures, where the test framework
// would otherwise dump their raw bytes. Include it in every file of a test
// program that compares values, so that all of them print the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "codec/encodable_value.h"

namespace flutter {
namespace printer_detail {

// Long sequences show their first elements and how many more there are.
constexpr size_t kShownElements = 16;

inline void PrintText(const std::string& text, std::ostream* os) {
  *os << '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      *os << '\\' << c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      *os << "\\x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<int>(byte)
          << std::dec << std::setfill(' ');
    } else {
      *os << c;
    }
  }
  *os << '"';
}

template <typename Element, typename PrintElement>
void PrintSequence(const char* open, const std::vector<Element>& elements, const char* close,
                   std::ostream* os, PrintElement print) {
  *os << open;
  for (size_t i = 0; i < elements.size() && i < kShownElements; ++i) {
    if (i != 0) *os << ", ";
    print(elements[i]);
  }
  if (elements.size() > kShownElements) {
    *os << ", ... " << elements.size() - kShownElements << " more";
  }
  *os << close;
}

template <typename Number>
void PrintNumbers(const char* name, const std::vector<Number>& numbers, std::ostream* os) {
  PrintSequence((std::string(name) + "[").c_str(), numbers, "]", os, [os](Number number) {
    *os << std::setprecision(std::numeric_limits<Number>::max_digits10) << +number;
  });
}

}  // namespace printer_detail

/// null, true, 7, int64 7, 1.5, "text", bytes[1, 2], int32[..], int64[..],
/// double[..], float[..], [list], {key: value}, custom.
inline void PrintTo(const EncodableValue& value, std::ostream* os) {
  using namespace printer_detail;
  if (value.IsNull()) {
    *os << "null";
  } else if (const auto* flag = value.GetIf<bool>()) {
    *os << (*flag ? "true" : "false");
  } else if (const auto* int32 = value.GetIf<int32_t>()) {
    *os << *int32;
  } else if (const auto* int64 = value.GetIf<int64_t>()) {
    *os << "int64 " << *int64;
  } else if (const auto* number = value.GetIf<double>()) {
    *os << std::setprecision(std::numeric_limits<double>::max_digits10) << *number;
  } else if (const auto* text = value.GetIf<std::string>()) {
    PrintText(*text, os);
  } else if (const auto* bytes = value.GetIf<std::vector<uint8_t>>()) {
    PrintNumbers("bytes", *bytes, os);
  } else if (const auto* int32s = value.GetIf<std::vector<int32_t>>()) {
    PrintNumbers("int32", *int32s, os);
  } else if (const auto* int64s = value.GetIf<std::vector<int64_t>>()) {
    PrintNumbers("int64", *int64s, os);
  } else if (const auto* doubles = value.GetIf<std::vector<double>>()) {
    PrintNumbers("double", *doubles, os);
  } else if (const auto* floats = value.GetIf<std::vector<float>>()) {
    PrintNumbers("float", *floats, os);
  } else if (const auto* list = value.GetIf<EncodableList>()) {
    PrintSequence("[", *list, "]", os,
                  [os](const EncodableValue& element) { PrintTo(element, os); });
  } else if (const auto* map = value.GetIf<EncodableMap>()) {
    *os << '{';
    size_t shown = 0;
    for (const auto& [key, entry] : *map) {
      if (shown == kShownElements) {
        *os << ", ... " << map->size() - kShownElements << " more";
        break;
      }
      if (shown++ != 0) *os << ", ";
      PrintTo(key, os);
      *os << ": ";
      PrintTo(entry, os);
    }
    *os << '}';
  } else {
    *os << "custom";
  }
}

}  // namespace flutter
