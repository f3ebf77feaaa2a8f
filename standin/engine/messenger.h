// The engine's messenger object: channel callbacks, counted references and the
// lock of the host's reply path. It outlives the engine while references are
// held, so that late replies find it and are dropped.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "standin/engine/event_log.h"
#include "wrapper/flutter_windows.h"

namespace standin {

class Engine;

class Messenger {
 public:
  struct Callback {
    FlutterDesktopMessageCallback function = nullptr;
    void* user_data = nullptr;
  };

  /// Starts with one reference, the engine's.
  Messenger(Engine* engine, std::shared_ptr<EventLog> log);
  Messenger(const Messenger&) = delete;
  Messenger& operator=(const Messenger&) = delete;

  FlutterDesktopMessengerRef handle();
  static Messenger* FromHandle(FlutterDesktopMessengerRef handle);

  void AddRef();
  /// Frees the messenger with its last reference.
  void Release();
  void Lock();
  void Unlock();
  bool IsAvailable() const { return engine_.load() != nullptr; }
  /// The engine, or null once it is gone.
  Engine* engine() const { return engine_.load(); }
  /// Called by the engine as it goes; under the lock, so that a reply path that
  /// holds it sees the engine either whole or gone.
  void DetachEngine();

  /// A null function removes the channel's callback.
  void SetCallback(const char* channel, FlutterDesktopMessageCallback function, void* user_data);
  /// The channel's callback; function is null when there is none.
  Callback FindCallback(const std::string& channel) const;

  EventLog& log() { return *log_; }

 private:
  ~Messenger();

  std::atomic<int> references_{1};
  std::atomic<Engine*> engine_;
  std::recursive_mutex lock_;  // recursive: a host holding it may still destroy the engine
  std::map<std::string, Callback> callbacks_;
  std::shared_ptr<EventLog> log_;
};

}  // namespace standin
