// The stand-in engine's task loop: tasks posted from any thread, delayed tasks
// and the messages of its windows.
#include "standin/engine/engine.h"

#include <algorithm>

#include "standin/engine/engine_call_scope.h"

namespace standin {
namespace {

constexpr UINT kRunTaskMessage = WM_APP + 1;

}  // namespace

void Engine::PostTask(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(tasks_mutex_);
  if (task_hwnd_ == nullptr) return;
  tasks_.push_back(std::move(task));
  PostMessageW(task_hwnd_, kRunTaskMessage, 0, 0);
}

unsigned Engine::PostDelayedTask(unsigned delay_ms, std::function<void()> task) {
  if (destroyed_ || task_window_->hwnd() == nullptr) return 0;
  const UINT_PTR id = next_timer_id_++;
  timers_[id] = std::move(task);
  SetTimer(task_window_->hwnd(), id, std::max<unsigned>(delay_ms, USER_TIMER_MINIMUM), nullptr);
  return static_cast<unsigned>(id);
}

void Engine::CancelDelayedTask(unsigned id) {
  if (task_window_->hwnd() != nullptr) KillTimer(task_window_->hwnd(), id);
  timers_.erase(id);
}

void Engine::RunNextTask() {
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(tasks_mutex_);
    if (tasks_.empty()) return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
}

void Engine::RunTimer(UINT_PTR id) {
  KillTimer(task_window_->hwnd(), id);
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  const std::function<void()> task = std::move(found->second);
  timers_.erase(found);
  task();
}

LRESULT Engine::HandleWindowMessage(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam) noexcept {
  CallScope scope(this);
  try {
    if (task_window_ && hwnd == task_window_->hwnd()) {
      if (message == kRunTaskMessage) {
        if (!destroyed_) RunNextTask();
        return 0;
      }
      if (message == WM_TIMER) {
        if (!destroyed_) RunTimer(wparam);
        return 0;
      }
    } else if (view_ && hwnd == view_->hwnd()) {
      return HandleViewMessage(hwnd, message, wparam, lparam);
    }
  } catch (const std::exception& error) {
    log_->Write({{"event", "internal_error"}, {"message", error.what()}});
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace standin
