// What the engine is started with.
#include "wrapper/project_description.h"

#include <utility>

namespace flutter {

ProjectDescription::ProjectDescription(const std::wstring& base_directory)
    : assets_path_(base_directory + L"\\flutter_assets"),
      icu_data_path_(base_directory + L"\\icudtl.dat"),
      aot_library_path_(base_directory + L"\\app.so") {}

void ProjectDescription::set_entrypoint_arguments(std::vector<std::string> arguments) {
  entrypoint_arguments_ = std::move(arguments);
}

}  // namespace flutter
