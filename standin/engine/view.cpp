// The view window and its holder.
#include "standin/engine/view.h"

namespace standin {
namespace {

constexpr wchar_t kHolderClass[] = L"STANDIN_FLUTTER_VIEW_HOLDER";
constexpr wchar_t kViewClass[] = L"STANDIN_FLUTTER_VIEW";

}  // namespace

View::View(int width, int height, WindowMessageHandler* handler)
    : holder_(kHolderClass, WS_POPUP, nullptr, width, height, handler),
      view_(kViewClass, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, holder_.hwnd(), width, height,
            handler) {}

HWND View::TopLevelWindow() const {
  if (view_.hwnd() == nullptr) return nullptr;
  const HWND root = GetAncestor(view_.hwnd(), GA_ROOT);
  return root == holder_.hwnd() ? nullptr : root;
}

UINT View::Dpi() const {
  const UINT dpi = view_.hwnd() != nullptr ? GetDpiForWindow(view_.hwnd()) : 0;
  return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void View::Destroy() {
  view_.Destroy();
  holder_.Destroy();
}

}  // namespace standin
