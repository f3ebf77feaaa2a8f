// The engine's view.
#include "wrapper/flutter_view.h"

namespace flutter {

HWND FlutterView::GetHWND() { return FlutterDesktopViewGetHWND(view_); }

}  // namespace flutter
