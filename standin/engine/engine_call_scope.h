// Keeps the engine's memory while its code is on the stack: an engine destroyed
// from inside one of its own calls (a host callback, a nested message loop) is
// freed when the outermost call returns.
#pragma once

#include "standin/engine/engine.h"

namespace standin {

class Engine::CallScope {
 public:
  explicit CallScope(Engine* engine) : engine_(engine) { ++engine_->call_depth_; }
  ~CallScope() {
    if (--engine_->call_depth_ == 0 && engine_->destroyed_) delete engine_;
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  Engine* engine_;
};

}  // namespace standin
