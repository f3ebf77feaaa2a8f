// The stand-in engine's view: its creation, its window messages and the frames
// drawn into it.
#include "standin/engine/engine.h"

#include <algorithm>

#include "standin/engine/engine_call_scope.h"
#include "standin/engine/handle_registry.h"
#include "standin/engine/interactive_ui.h"
#include "standin/engine/script_runner.h"

namespace standin {
namespace {

constexpr COLORREF kBackground = RGB(0x1F, 0x23, 0x2A);

}  // namespace

void Engine::SetNextFrameCallback(FlutterDesktopOnNextFrameCallback callback, void* user_data) {
  frame_callback_ = callback;
  frame_user_data_ = user_data;
}

bool Engine::CreateView(int width, int height) {
  CallScope scope(this);
  if (fail_view_controller_) {
    log_->Write({{"event", "view"}, {"failed", true}});
    return false;
  }
  view_ = std::make_unique<View>(std::max(width, 0), std::max(height, 0), this);
  if (view_->hwnd() == nullptr) {
    view_.reset();
    log_->Write({{"event", "view"}, {"failed", true}});
    return false;
  }
  HandleRegistry::Add(view_.get(), HandleKind::kView);
  log_->Write({{"event", "view"}, {"width", width}, {"height", height}});
  if (scripted_) {
    ui_ = std::make_unique<ScriptRunner>(*this, std::move(script_));
  } else {
    ui_ = std::make_unique<InteractiveUi>(*this);
  }
  // The first frame comes without being asked for, as the engine starts.
  ScheduleRender();
  return true;
}

void Engine::ForceRedraw() {
  if (view_ == nullptr || view_->hwnd() == nullptr) return;
  InvalidateRect(view_->hwnd(), nullptr, FALSE);
  ScheduleRender();
}

void Engine::ScheduleRender() {
  // Requests that arrive before the loop gets to the render share one frame.
  if (render_scheduled_) return;
  render_scheduled_ = true;
  PostTask([this] {
    render_scheduled_ = false;
    RenderIfHidden();
  });
}

HWND Engine::ViewWindow() const { return view_ ? view_->hwnd() : nullptr; }

HWND Engine::TopLevelWindow() const { return view_ ? view_->TopLevelWindow() : nullptr; }

void Engine::Redraw() { ForceRedraw(); }

LRESULT Engine::HandleViewMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(hwnd, &paint);
      ProduceFrame(dc);
      EndPaint(hwnd, &paint);
      OnFrameProduced();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
    case WM_DPICHANGED_AFTERPARENT:
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    default:
      break;
  }
  LRESULT result = 0;
  if (ui_ && !destroyed_ && ui_->HandleViewMessage(message, wparam, lparam, &result)) {
    return result;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Engine::ProduceFrame(HDC target) {
  RECT client = {};
  GetClientRect(view_->hwnd(), &client);
  // Straight into the window's device context: the window system composes the
  // window off screen already, and a back buffer of the view's size would cost
  // a full frame of memory.
  const HBRUSH background = CreateSolidBrush(kBackground);
  FillRect(target, &client, background);
  DeleteObject(background);
  if (ui_) ui_->Paint(target, client, view_->Dpi());
}

void Engine::RenderIfHidden() {
  if (view_ == nullptr || view_->hwnd() == nullptr) return;
  const HWND root = GetAncestor(view_->hwnd(), GA_ROOT);
  // A view that is on screen gets its frame from WM_PAINT; one that is not
  // (the host shows its window only after the first frame) renders off screen.
  if (IsWindowVisible(view_->hwnd()) && !IsIconic(root)) return;
  const HWND hwnd = view_->hwnd();
  const HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  ProduceFrame(dc);
  ReleaseDC(hwnd, dc);
  OnFrameProduced();
}

void Engine::OnFrameProduced() {
  const bool first = !first_frame_out_;
  if (first) {
    first_frame_out_ = true;
    log_->Write({{"event", "frame"}});
  }
  if (frame_callback_ != nullptr) {
    const FlutterDesktopOnNextFrameCallback callback = frame_callback_;
    void* const user_data = frame_user_data_;
    frame_callback_ = nullptr;
    frame_user_data_ = nullptr;
    PostTask([callback, user_data] { callback(user_data); });
  }
  // The host has set up its channels by the time it shows the first frame.
  if (first && ui_) PostTask([this] { ui_->Start(); });
}

}  // namespace standin
