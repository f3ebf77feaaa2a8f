// The messenger object behind FlutterDesktopMessengerRef.
#include "standin/engine/messenger.h"

#include "standin/engine/handle_registry.h"

namespace standin {

Messenger::Messenger(Engine* engine, std::shared_ptr<EventLog> log)
    : engine_(engine), log_(std::move(log)) {
  HandleRegistry::Add(this, HandleKind::kMessenger);
}

Messenger::~Messenger() { HandleRegistry::Remove(this); }

FlutterDesktopMessengerRef Messenger::handle() {
  return reinterpret_cast<FlutterDesktopMessengerRef>(this);
}

Messenger* Messenger::FromHandle(FlutterDesktopMessengerRef handle) {
  return HandleRegistry::Contains(handle, HandleKind::kMessenger)
             ? reinterpret_cast<Messenger*>(handle)
             : nullptr;
}

void Messenger::AddRef() { references_.fetch_add(1); }

void Messenger::Release() {
  if (references_.fetch_sub(1) == 1) delete this;
}

void Messenger::Lock() { lock_.lock(); }

void Messenger::Unlock() { lock_.unlock(); }

void Messenger::DetachEngine() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  engine_.store(nullptr);
  callbacks_.clear();
}

void Messenger::SetCallback(const char* channel, FlutterDesktopMessageCallback function,
                            void* user_data) {
  if (function == nullptr) {
    callbacks_.erase(channel);
  } else {
    callbacks_[channel] = Callback{function, user_data};
  }
}

Messenger::Callback Messenger::FindCallback(const std::string& channel) const {
  const auto found = callbacks_.find(channel);
  return found != callbacks_.end() ? found->second : Callback();
}

}  // namespace standin
