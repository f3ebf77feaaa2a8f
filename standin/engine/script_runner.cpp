// The scripted user-interface side.
#include "standin/engine/script_runner.h"

#include <memory>

#include "codec/standard_method_codec.h"
#include "standin/engine/fault.h"
#include "standin/engine/gdi_object.h"
#include "standin/engine/host_reply.h"
#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

constexpr char kWindowChannel[] = "quorvane/window";

}  // namespace

ScriptRunner::ScriptRunner(UiHost& host, std::vector<ScriptStep> steps)
    : host_(host), steps_(std::move(steps)) {}

void ScriptRunner::Start() {
  if (started_) return;
  started_ = true;
  Advance();
}

void ScriptRunner::Advance() {
  while (!waiting_ && next_ < steps_.size()) {
    const ScriptStep& step = steps_[next_++];
    switch (step.kind) {
      case ScriptStep::Kind::kError:
        host_.Log().Write(
            {{"event", "script_error"}, {"line", step.line}, {"message", step.error}});
        break;
      case ScriptStep::Kind::kCall:
      case ScriptStep::Kind::kRaw:
        Send(step);
        break;
      case ScriptStep::Kind::kWait:
        Wait(step.wait_ms);
        break;
      case ScriptStep::Kind::kPostClose:
        if (const HWND window = host_.TopLevelWindow()) {
          PostMessageW(window, WM_CLOSE, 0, 0);
          // The next step follows once the loop has handled the close.
          YieldToLoop();
        } else {
          host_.Log().Write({{"event", "script_error"},
                             {"line", step.line},
                             {"message", "the view is not inside a top-level window"}});
        }
        break;
      case ScriptStep::Kind::kFault:
        if (const HWND window = host_.TopLevelWindow()) {
          // Handled by the host's window procedure, which offers it to the
          // engine first; the engine then crashes the host there.
          PostMessageW(window, FaultMessage(), static_cast<WPARAM>(step.fault), 0);
          YieldToLoop();
        }
        break;
      case ScriptStep::Kind::kReplyToClose:
        reply_to_close_ = step.reply_to_close;
        break;
      case ScriptStep::Kind::kEnd:
        next_ = steps_.size();
        break;
    }
  }
  if (!waiting_ && !done_) {
    done_ = true;
    host_.Log().Write({{"event", "script_done"}});
  }
  host_.Redraw();
}

void ScriptRunner::Send(const ScriptStep& step) {
  waiting_ = true;
  const uint64_t wait_id = ++wait_id_;
  std::optional<std::string> method;
  std::vector<uint8_t> message = step.bytes;
  if (step.kind == ScriptStep::Kind::kCall) {
    method = step.method;
    const flutter::MethodCall<> call(step.method,
                                     std::make_unique<flutter::EncodableValue>(step.arguments));
    message = *flutter::StandardMethodCodec::GetInstance().EncodeMethodCall(call);
  }
  const std::string channel = step.channel;
  host_.SendToHost(channel, std::move(message),
                   [this, wait_id, channel, method](const uint8_t* bytes, size_t size) {
                     host_.Log().Write(HostReply::Decode(bytes, size).ToEvent(channel, method));
                     Resume(wait_id);
                   });
  if (step.timeout_ms == 0) return;
  timeout_timer_ = host_.PostDelayedTask(step.timeout_ms, [this, wait_id, channel, method] {
    timeout_timer_ = 0;
    if (!waiting_ || wait_id != wait_id_) return;
    host_.Log().Write({{"event", "timeout"},
                       {"channel", channel},
                       {"method", method ? nlohmann::json(*method) : nlohmann::json(nullptr)}});
    Resume(wait_id);
  });
}

void ScriptRunner::Wait(unsigned delay_ms) {
  waiting_ = true;
  const uint64_t wait_id = ++wait_id_;
  host_.PostDelayedTask(delay_ms, [this, wait_id] { Resume(wait_id); });
}

void ScriptRunner::YieldToLoop() {
  waiting_ = true;
  const uint64_t wait_id = ++wait_id_;
  host_.PostTask([this, wait_id] { Resume(wait_id); });
}

void ScriptRunner::Resume(uint64_t wait_id) {
  if (!waiting_ || wait_id != wait_id_) return;
  waiting_ = false;
  if (timeout_timer_ != 0) {
    host_.CancelDelayedTask(timeout_timer_);
    timeout_timer_ = 0;
  }
  Advance();
}

std::vector<uint8_t> ScriptRunner::OnHostCall(const std::string& channel,
                                              const flutter::MethodCall<>& call) {
  if (channel != kWindowChannel || call.MethodName() != "closeRequested") return {};
  if (reply_to_close_) {
    host_.CallHost(
        kWindowChannel, "close", flutter::EncodableValue(),
        [this](const uint8_t* bytes, size_t size) {
          host_.Log().Write(
              HostReply::Decode(bytes, size).ToEvent(kWindowChannel, std::string("close")));
        });
  }
  return *flutter::StandardMethodCodec::GetInstance().EncodeSuccessEnvelope();
}

void ScriptRunner::Paint(HDC dc, const RECT& client, UINT dpi) {
  const GdiObject<HFONT> title_font(CreateUiFont(20, dpi, true));
  const GdiObject<HFONT> body_font(CreateUiFont(14, dpi));
  const int margin = MulDiv(24, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xE8, 0xEA, 0xED));
  RECT area = {client.left + margin, client.top + margin, client.right - margin, client.bottom};
  {
    const ScopedSelect select(dc, title_font.get());
    DrawTextW(dc, L"Quorvane AI \u2014 scripted stand-in", -1, &area, DT_SINGLELINE | DT_TOP);
  }
  area.top += margin * 2;
  std::string status = "Step " + std::to_string(next_) + " of " + std::to_string(steps_.size());
  if (done_) {
    status = "Script finished after " + std::to_string(steps_.size()) + " steps";
  } else if (waiting_) {
    status += ", waiting";
  } else if (!started_) {
    status = "Waiting for the first frame";
  }
  const ScopedSelect select(dc, body_font.get());
  DrawTextW(dc, Utf8ToUtf16(status).c_str(), -1, &area, DT_SINGLELINE | DT_TOP);
}

bool ScriptRunner::HandleViewMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace standin
