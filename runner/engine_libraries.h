// The engine library and the plug-in libraries, loaded by the host itself
// rather than by the system's loader, so that a missing or broken one is
// reported instead of the loader's dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

struct LibraryFailure {
  std::wstring file;
  /// The entry point that is missing, or empty when the file did not load.
  std::string entry;
  uint32_t error = 0;
};

/// Loads flutter_windows.dll and the five plug-in libraries from the
/// executable's folder and resolves every entry point the host calls; the
/// first that fails, if any. Nothing of them may be called before this has
/// succeeded.
std::optional<LibraryFailure> LoadEngineLibraries();

}  // namespace quorvane
