// The value type carried by every method channel: a tagged union of fourteen
// alternatives with value semantics and a total ordering.
#pragma once

#include <any>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "codec/sorted_map.h"

namespace flutter {

class EncodableValue;

using EncodableList = std::vector<EncodableValue>;
/// Sorted by the value ordering, unique keys; see SortedMap.
using EncodableMap = SortedMap<EncodableValue, EncodableValue>;

/// An application object of any copyable type, held type-erased so that codec
/// extensions can carry it. Orders by the identity of the CustomValue itself.
class CustomValue {
 public:
  template <typename T, typename = std::enable_if_t<!std::is_same_v<std::decay_t<T>, CustomValue>>>
  explicit CustomValue(T&& object) : object_(std::forward<T>(object)) {}

  const std::any& object() const { return object_; }

  /// The held object if it has type T, otherwise null.
  template <typename T>
  const T* GetIf() const {
    return std::any_cast<T>(&object_);
  }

 private:
  std::any object_;
};

class EncodableValue {
 public:
  // The alternatives in their binding order: the index decides the ordering of
  // values and, through the standard codec, nothing else.
  using Variant = std::variant<std::monostate,        // 0 null
                               bool,                  // 1
                               int32_t,               // 2
                               int64_t,               // 3
                               double,                // 4
                               std::string,           // 5
                               std::vector<uint8_t>,  // 6 byte list
                               std::vector<int32_t>,  // 7
                               std::vector<int64_t>,  // 8
                               std::vector<double>,   // 9
                               EncodableList,         // 10
                               EncodableMap,          // 11
                               CustomValue,           // 12
                               std::vector<float>>;   // 13

  EncodableValue() = default;
  EncodableValue(std::monostate) {}
  EncodableValue(bool value) : value_(value) {}
  EncodableValue(int32_t value) : value_(value) {}
  EncodableValue(int64_t value) : value_(value) {}
  EncodableValue(double value) : value_(value) {}
  // A zero-terminated text is a string, never a bool.
  EncodableValue(const char* text) : value_(std::string(text)) {}
  EncodableValue(std::string value) : value_(std::move(value)) {}
  EncodableValue(std::vector<uint8_t> value) : value_(std::move(value)) {}
  EncodableValue(std::vector<int32_t> value) : value_(std::move(value)) {}
  EncodableValue(std::vector<int64_t> value) : value_(std::move(value)) {}
  EncodableValue(std::vector<double> value) : value_(std::move(value)) {}
  EncodableValue(EncodableList value) : value_(std::move(value)) {}
  EncodableValue(EncodableMap value) : value_(std::move(value)) {}
  EncodableValue(CustomValue value) : value_(std::move(value)) {}
  EncodableValue(std::vector<float> value) : value_(std::move(value)) {}
  /// Constructs alternative T in place from args, as std::variant does.
  template <typename T, typename... Args>
  explicit EncodableValue(std::in_place_type_t<T> alternative, Args&&... args)
      : value_(alternative, std::forward<Args>(args)...) {}

  /// Index of the held alternative (0 to 13).
  size_t index() const { return value_.index(); }

  bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }

  template <typename T>
  bool Holds() const {
    return std::holds_alternative<T>(value_);
  }

  /// The content if alternative T is held, otherwise null.
  template <typename T>
  const T* GetIf() const {
    return std::get_if<T>(&value_);
  }
  template <typename T>
  T* GetIf() {
    return std::get_if<T>(&value_);
  }

  /// The content of alternative T; throws std::bad_variant_access ("bad variant
  /// access") when another alternative is held.
  template <typename T>
  const T& Get() const {
    const T* content = GetIf<T>();
    if (content == nullptr) throw std::bad_variant_access();
    return *content;
  }
  template <typename T>
  T& Get() {
    T* content = GetIf<T>();
    if (content == nullptr) throw std::bad_variant_access();
    return *content;
  }

  const Variant& variant() const { return value_; }

  /// Exchanges the contents in place: two values of one alternative swap that
  /// alternative's content, without moving it out and back.
  friend void swap(EncodableValue& left, EncodableValue& right) { left.value_.swap(right.value_); }

 private:
  Variant value_;
};

/// Longest common part of two strings compared byte by byte without a call.
inline constexpr size_t kInlineCompareLength = 16;

/// Three-way comparison of two values holding the same alternative: negative
/// when left orders first, positive when right does, 0 when neither does.
int CompareSameAlternative(const EncodableValue& left, const EncodableValue& right);

/// Byte-wise, then by length: the ordering of string contents. Short common
/// parts, typical of map keys, are compared in place rather than by a call:
/// equal runs of four bytes are passed over at once, and the first byte that
/// differs decides.
inline int CompareStringContents(const std::string& left, const std::string& right) {
  const size_t common = left.size() < right.size() ? left.size() : right.size();
  if (common <= kInlineCompareLength) {
    const auto* a = reinterpret_cast<const unsigned char*>(left.data());
    const auto* b = reinterpret_cast<const unsigned char*>(right.data());
    size_t i = 0;
    for (uint32_t x, y; i + sizeof x <= common; i += sizeof x) {
      std::memcpy(&x, a + i, sizeof x);
      std::memcpy(&y, b + i, sizeof y);
      if (x != y) break;
    }
    for (; i < common; ++i) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
  } else if (const int order = std::memcmp(left.data(), right.data(), common); order != 0) {
    return order < 0 ? -1 : 1;
  }
  if (left.size() == right.size()) return 0;
  return left.size() < right.size() ? -1 : 1;
}

/// The total ordering used for map keys; see encodable_value.cpp. Keys of
/// different alternatives and string keys, the common case, are decided here
/// without a call.
inline bool operator<(const EncodableValue& left, const EncodableValue& right) {
  if (left.index() != right.index()) return left.index() < right.index();
  if (const std::string* text = left.GetIf<std::string>()) {
    return CompareStringContents(*text, *right.GetIf<std::string>()) < 0;
  }
  return CompareSameAlternative(left, right) < 0;
}

/// True when neither value orders before the other: the two are the same map
/// key. One walk of both values, not the two that two less-thans would take.
inline bool operator==(const EncodableValue& left, const EncodableValue& right) {
  if (left.index() != right.index()) return false;
  if (const std::string* text = left.GetIf<std::string>())
    return *text == *right.GetIf<std::string>();
  return CompareSameAlternative(left, right) == 0;
}
inline bool operator!=(const EncodableValue& left, const EncodableValue& right) {
  return !(left == right);
}

}  // namespace flutter
