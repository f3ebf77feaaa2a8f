// Text built in a fixed buffer, for the crash path, where the heap may be the
// very thing that is broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane {

/// At most Capacity characters; what does not fit is cut off.
template <size_t Capacity>
class FixedText {
 public:
  FixedText& Append(std::string_view text) {
    for (const char character : text) Put(character);
    return *this;
  }

  /// Decimal, at least width digits.
  FixedText& Decimal(uint64_t value, int width = 1) {
    char digits[20];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    for (int padding = count; padding < width; ++padding) Put('0');
    while (count > 0) Put(digits[--count]);
    return *this;
  }

  /// "0x" and upper-case hexadecimal digits, at least digits of them.
  FixedText& Hex(uint64_t value, int digits) {
    Append("0x");
    int needed = 1;
    while (needed < 16 && (value >> (needed * 4)) != 0) ++needed;
    if (digits < needed) digits = needed;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
      Put("0123456789ABCDEF"[(value >> shift) & 0xF]);
    }
    return *this;
  }

  std::string_view view() const { return std::string_view(text_, size_); }

 private:
  void Put(char character) {
    if (size_ < Capacity) text_[size_++] = character;
  }

  char text_[Capacity] = {};
  size_t size_ = 0;
};

}  // namespace quorvane
