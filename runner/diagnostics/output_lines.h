// Cuts what a program prints into log lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quorvane {

/// A printed line longer than this is logged in pieces of this size.
inline constexpr size_t kLongestOutputLine = 4096;

class OutputLines {
 public:
  explicit OutputLines(std::function<void(std::string_view)> line) : line_(std::move(line)) {}

  /// Hands on every line that bytes completes, without its CR LF or LF.
  void Feed(std::string_view bytes);
  /// Hands on what is left of an unfinished line.
  void Finish();

 private:
  std::function<void(std::string_view)> line_;
  std::string pending_;
};

}  // namespace quorvane
