// Plays a script: one step after another from the message loop, every reply
// and every call of the host written to the event log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/engine/script.h"
#include "standin/engine/ui_client.h"

namespace standin {

class ScriptRunner : public UiClient {
 public:
  ScriptRunner(UiHost& host, std::vector<ScriptStep> steps);

  void Start() override;
  std::vector<uint8_t> OnHostCall(const std::string& channel,
                                  const flutter::MethodCall<>& call) override;
  void Paint(HDC dc, const RECT& client, UINT dpi) override;
  bool HandleViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  /// Runs steps until one has to wait or none is left.
  void Advance();
  void Send(const ScriptStep& step);
  void Wait(unsigned delay_ms);
  /// Lets the messages queued so far be handled before the next step.
  void YieldToLoop();
  /// Ends the wait numbered wait_id, if it is still the current one.
  void Resume(uint64_t wait_id);

  UiHost& host_;
  std::vector<ScriptStep> steps_;
  size_t next_ = 0;
  bool started_ = false;
  bool waiting_ = false;
  bool done_ = false;
  bool reply_to_close_ = false;
  uint64_t wait_id_ = 0;
  unsigned timeout_timer_ = 0;
};

}  // namespace standin
