// What the host process told Windows about itself, read from inside it, for
// the event log: the tests cannot ask another process for it.
#pragma once

#include <nlohmann/json.hpp>

namespace standin {

/// The process's explicit AppUserModelID as UTF-8, or null when none is set.
nlohmann::json ExplicitAppUserModelId();

}  // namespace standin
