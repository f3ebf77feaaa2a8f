// What a second start hands the running instance: its command-line arguments
// and working directory, carried in one WM_COPYDATA message. The bytes come
// from another process, so decoding trusts nothing in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// The WM_COPYDATA signature (dwData) of the message: "QVA1".
inline constexpr uintptr_t kSecondStartSignature = 0x51564131;
/// The largest message the running instance accepts, in bytes.
inline constexpr size_t kSecondStartMaximumBytes = 32 * 1024;
/// The most arguments the running instance accepts.
inline constexpr uint32_t kSecondStartMaximumArguments = 256;

/// The second start's arguments (without the program name) and working
/// directory, UTF-8.
struct SecondStart {
  std::vector<std::string> arguments;
  std::string working_directory;

  bool operator==(const SecondStart& other) const {
    return arguments == other.arguments && working_directory == other.working_directory;
  }
};

/// The message bytes: the argument count, then each argument, then the working
/// directory; every count and length is 4 bytes, least-significant byte first,
/// and every string is its UTF-8 bytes without a terminator. None when the
/// result would break a limit that decoding enforces.
std::optional<std::vector<uint8_t>> EncodeSecondStart(const SecondStart& start);

/// The message in bytes, or none when it exceeds the size or argument limits,
/// is cut short, has bytes left over, or holds a string that is not valid
/// UTF-8 text.
std::optional<SecondStart> DecodeSecondStart(const uint8_t* bytes, size_t size);

}  // namespace quorvane
