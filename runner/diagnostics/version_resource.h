// Reads the program version out of the executable's version resource, without
// the version library (which an elevated program should not load from its own
// folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvane {

/// The file version "major.minor.patch.build" of a VS_VERSIONINFO block as the
/// resource holds it; empty when the block is cut short or is no such block.
std::string FileVersionFromResource(const uint8_t* data, size_t size);

}  // namespace quorvane
