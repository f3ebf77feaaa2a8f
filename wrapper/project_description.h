// What the engine is started with: the bundle paths, the entry point and its
// arguments, and the engine's option values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace flutter {

class ProjectDescription {
 public:
  /// The bundle paths are base_directory followed by "\flutter_assets",
  /// "\icudtl.dat" and "\app.so", kept relative as built.
  explicit ProjectDescription(const std::wstring& base_directory);

  const std::wstring& assets_path() const { return assets_path_; }
  const std::wstring& icu_data_path() const { return icu_data_path_; }
  const std::wstring& aot_library_path() const { return aot_library_path_; }

  /// UTF-8; empty for the engine's default entry point.
  const std::string& entrypoint() const { return entrypoint_; }

  /// UTF-8 arguments for the entry point, in order.
  const std::vector<std::string>& entrypoint_arguments() const { return entrypoint_arguments_; }
  void set_entrypoint_arguments(std::vector<std::string> arguments);

  /// The engine's three option values; 0 unless set.
  const std::array<int32_t, 3>& option_values() const { return option_values_; }

 private:
  std::wstring assets_path_;
  std::wstring icu_data_path_;
  std::wstring aot_library_path_;
  std::string entrypoint_;
  std::vector<std::string> entrypoint_arguments_;
  std::array<int32_t, 3> option_values_{};
};

}  // namespace flutter
