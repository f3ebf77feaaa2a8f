// The stand-in engine's interactive user-interface side: its controls, clicked
// in the view, call the host's channels.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/engine/interactive_layout.h"
#include "tests/standin/engine_test_fixture.h"

namespace standin_test {
namespace {

TEST_F(StandinEngineTest, InteractiveControlsDriveTheHostChannels) {
  script_env_.reset();
  host_.respond = [](const Received& message) {
    const auto call = message.Call();
    const std::string& method = call->MethodName();
    if (method == "close") {
      TopLevel::close_confirmed = true;
      PostMessageW(TopLevel::window, WM_CLOSE, 0, 0);
    }
    const std::vector<uint8_t> reply = method.rfind("is", 0) == 0
                                           ? SuccessEnvelope(EncodableValue(true))
                                           : *Codec().EncodeSuccessEnvelope();
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, reply.data(),
                                        reply.size());
  };
  StartWithChannels({"quorvane/window", "quorvane/credential", "quorvane/settings"});
  const HWND view = FlutterDesktopViewGetHWND(FlutterDesktopViewControllerGetView(controller_));
  const HWND top = EmbedInTopLevel(messenger_, &controller_);
  // The three switches are read once the first frame is out.
  ASSERT_TRUE(WaitForEvent("reply", 3));
  std::vector<std::string> methods;
  for (const Received& message : host_.received) methods.push_back(message.Call()->MethodName());
  EXPECT_EQ(methods, (std::vector<std::string>{"isLaunchAtLoginEnabled", "isCloseToTrayEnabled",
                                               "isSystemNotificationsEnabled"}));

  const UINT dpi = GetDpiForWindow(view);
  const standin::InteractiveLayout layout =
      standin::InteractiveLayout::Compute(640, 480, dpi != 0 ? dpi : 96);
  const auto click = [&](const standin::Box& box) {
    const size_t before = host_.received.size();
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(box.left + box.Width() / 2, box.top + box.Height() / 2));
    SendMessageW(view, WM_LBUTTONUP, 0,
                 MAKELPARAM(box.left + box.Width() / 2, box.top + box.Height() / 2));
    EXPECT_TRUE(PumpUntil([&] { return host_.received.size() > before; }));
    return host_.received[before].Call();
  };

  const auto toggled = click(layout.switches[0]);
  EXPECT_EQ(toggled->MethodName(), "setLaunchAtLogin");
  EXPECT_EQ(*toggled->Arguments(),
            EncodableValue(EncodableMap{{EncodableValue("enabled"), EncodableValue(false)}}));
  ASSERT_TRUE(PumpUntil(
      [&] { return host_.received.back().Call()->MethodName() == "isLaunchAtLoginEnabled"; }));

  const HWND field = FindWindowExW(view, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  SetWindowTextW(field, L"typed-s3cret");
  const auto saved = click(layout.save_token);
  EXPECT_EQ(saved->MethodName(), "writeCodexToken");
  EXPECT_EQ(saved->Arguments()->Get<EncodableMap>().at(EncodableValue("token")),
            EncodableValue("typed-s3cret"));
  ASSERT_TRUE(PumpUntil([&] { return GetWindowTextLengthW(field) == 0; }));
  EXPECT_EQ(click(layout.clear_token)->MethodName(), "deleteCodexToken");
  EXPECT_EQ(click(layout.title_bar)->MethodName(), "beginDrag");
  EXPECT_EQ(click(layout.minimize)->MethodName(), "minimize");
  EXPECT_EQ(click(layout.maximize)->MethodName(), "toggleMaximize");

  // Close asks the host; its closeRequested is answered with "close".
  EXPECT_EQ(click(layout.close)->MethodName(), "close");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(top); }));
  EXPECT_EQ(ReadText(log_path_).find("s3cret"), std::string::npos);
}

}  // namespace
}  // namespace standin_test
