// Connects the five plug-in libraries to the running engine.
#pragma once

#include "wrapper/plugin_registry.h"

namespace quorvane {

/// Calls each plug-in's registration function once, in the fixed order, with
/// the registrar obtained for its own name (null included).
void RegisterAllPlugins(flutter::PluginRegistry& registry);

}  // namespace quorvane
