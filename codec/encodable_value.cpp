// The total ordering of EncodableValue: first by alternative index, then by
// content. EncodableMap relies on it for its keys.
//
// Everything is computed as one three-way comparison, so that comparing nested
// lists and maps visits each element once: a less-than built from two
// recursive less-than calls per level would take time exponential in the depth.
#include "codec/encodable_value.h"

#include <algorithm>
#include <functional>

namespace flutter {
namespace {

// Negative: left orders first; positive: right orders first; 0: neither.
int Compare(const EncodableValue& left, const EncodableValue& right);

template <typename T>
int CompareScalars(const T& left, const T& right) {
  if (left < right) return -1;
  if (right < left) return 1;
  return 0;  // equal, or unordered (a NaN)
}

int CompareSizes(size_t left, size_t right) { return CompareScalars(left, right); }

// Element-wise; the first pair that is not the same decides, then length.
template <typename T, typename CompareElements>
int CompareSequences(const T& left, const T& right, CompareElements compare) {
  const size_t common = std::min(left.size(), right.size());
  for (size_t i = 0; i < common; ++i) {
    if (const int order = compare(left[i], right[i]); order != 0) return order;
  }
  return CompareSizes(left.size(), right.size());
}

// Floating-point lists stop at the first pair that is not equal: an unordered
// pair (a NaN) makes neither list order first.
template <typename Float>
int CompareFloatLists(const std::vector<Float>& left, const std::vector<Float>& right) {
  const size_t common = std::min(left.size(), right.size());
  for (size_t i = 0; i < common; ++i) {
    if (left[i] == right[i]) continue;
    return CompareScalars(left[i], right[i]);
  }
  return CompareSizes(left.size(), right.size());
}

int CompareMaps(const EncodableMap& left, const EncodableMap& right) {
  auto l = left.begin();
  auto r = right.begin();
  for (; l != left.end() && r != right.end(); ++l, ++r) {
    if (const int order = Compare(l->first, r->first); order != 0) return order;
    if (const int order = Compare(l->second, r->second); order != 0) return order;
  }
  return CompareSizes(left.size(), right.size());
}

struct CompareContent {
  const EncodableValue::Variant& right;

  template <typename T>
  int operator()(const T& left) const {
    const T& other = std::get<T>(right);
    if constexpr (std::is_same_v<T, std::monostate>) {
      return 0;
    } else if constexpr (std::is_same_v<T, std::string>) {
      return CompareStringContents(left, other);
    } else if constexpr (std::is_same_v<T, std::vector<double>> ||
                         std::is_same_v<T, std::vector<float>>) {
      return CompareFloatLists(left, other);
    } else if constexpr (std::is_same_v<T, std::vector<uint8_t>> ||
                         std::is_same_v<T, std::vector<int32_t>> ||
                         std::is_same_v<T, std::vector<int64_t>>) {
      return CompareSequences(left, other, [](auto a, auto b) { return CompareScalars(a, b); });
    } else if constexpr (std::is_same_v<T, EncodableList>) {
      return CompareSequences(left, other, Compare);
    } else if constexpr (std::is_same_v<T, EncodableMap>) {
      return CompareMaps(left, other);
    } else if constexpr (std::is_same_v<T, CustomValue>) {
      // Identity, never content: the held object may not even be comparable.
      if (std::less<const CustomValue*>()(&left, &other)) return -1;
      return &left == &other ? 0 : 1;
    } else {  // bool, int32, int64, double
      return CompareScalars(left, other);
    }
  }
};

int Compare(const EncodableValue& left, const EncodableValue& right) {
  if (left.index() != right.index()) return CompareSizes(left.index(), right.index());
  return CompareSameAlternative(left, right);
}

}  // namespace

int CompareSameAlternative(const EncodableValue& left, const EncodableValue& right) {
  return std::visit(CompareContent{right.variant()}, left.variant());
}

}  // namespace flutter
