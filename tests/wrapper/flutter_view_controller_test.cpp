// The view controller: what it hands the engine library and in which order it
// lets go, checked through the recording engine.
#include "wrapper/flutter_view_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/recording_engine.h"
#include "tests/support/byte_helpers.h"
#include "wrapper/project_description.h"

namespace {

using flutter::FlutterViewController;
using flutter::ProjectDescription;
using flutter::ReplyCallback;
using quorvane::fakes::EngineCall;
using quorvane::fakes::RecordingEngine;
using testing_support::StderrCapture;

using Lines = std::vector<std::string>;

TEST(FlutterViewController, HandsTheEngineToAControllerOfTheGivenSize) {
  RecordingEngine engine;
  FlutterViewController controller(1280, 720, ProjectDescription(L"data"));

  EXPECT_EQ(engine.view_controller_width, 1280);
  EXPECT_EQ(engine.view_controller_height, 720);
  EXPECT_EQ(engine.view_controller_engine, engine.engine());
  ASSERT_NE(controller.GetEngine(), nullptr);
  ASSERT_NE(controller.GetView(), nullptr);
  EXPECT_EQ(controller.GetView()->GetHWND(), engine.view_window());
  controller.ForceRedraw();
  EXPECT_EQ(engine.CountOf(EngineCall::kViewControllerForceRedraw), 1u);
  EXPECT_EQ(engine.protocol_violations, 0);
}

TEST(FlutterViewController, TeardownDestroysTheControllerOnlyAndBeforeTheHandlers) {
  RecordingEngine engine;
  bool engine_running_when_handler_died = true;
  {
    FlutterViewController controller(800, 600, ProjectDescription(L"data"));
    auto witness = std::shared_ptr<int>(new int(0), [&](int* value) {
      engine_running_when_handler_died = engine.engine_running;
      delete value;
    });
    controller.GetEngine()->GetMessenger()->SetChannelHandler(
        "c", [witness](const uint8_t*, size_t, ReplyCallback) {});
    engine.ClearRecords();
  }
  EXPECT_EQ(engine.calls, std::vector<EngineCall>{EngineCall::kViewControllerDestroy});
  EXPECT_FALSE(engine_running_when_handler_died);
}

TEST(FlutterViewController, WindowMessagesYieldAValueOnlyWhenConsumed) {
  RecordingEngine engine;
  FlutterViewController controller(800, 600, ProjectDescription(L"data"));
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x100));

  EXPECT_EQ(controller.HandleTopLevelWindowProc(window, 0x0005, 1, 2), std::nullopt);
  engine.consume_window_messages = 7;
  EXPECT_EQ(controller.HandleTopLevelWindowProc(window, 0x001A, 3, 4), std::optional<LRESULT>(7));

  ASSERT_EQ(engine.window_messages.size(), 2u);
  EXPECT_EQ(engine.window_messages[1].hwnd, window);
  EXPECT_EQ(engine.window_messages[1].message, 0x001Au);
  EXPECT_EQ(engine.window_messages[1].wparam, 3u);
  EXPECT_EQ(engine.window_messages[1].lparam, 4);
}

TEST(FlutterViewController, RefusedControllerLeavesNoViewAndIsNotDestroyed) {
  RecordingEngine engine;
  engine.fail_view_controller_create = true;
  {
    StderrCapture capture;
    FlutterViewController controller(800, 600, ProjectDescription(L"data"));
    EXPECT_EQ(capture.Lines(), Lines{"Failed to create view controller."});
    EXPECT_EQ(controller.GetView(), nullptr);
    ASSERT_NE(controller.GetEngine(), nullptr);
    EXPECT_NE(controller.GetEngine()->GetMessenger(), nullptr);
    EXPECT_EQ(controller.HandleTopLevelWindowProc(nullptr, 0x0005, 0, 0), std::nullopt);
    controller.ForceRedraw();
  }
  EXPECT_EQ(engine.CountOf(EngineCall::kViewControllerDestroy), 0u);
  EXPECT_EQ(engine.CountOf(EngineCall::kEngineDestroy), 0u);
  EXPECT_EQ(engine.CountOf(EngineCall::kViewControllerForceRedraw), 0u);
  EXPECT_EQ(engine.protocol_violations, 0);
}

TEST(FlutterViewController, WithoutAnEngineNoControllerIsRequested) {
  RecordingEngine engine;
  engine.fail_engine_create = true;
  {
    StderrCapture capture;
    FlutterViewController controller(800, 600, ProjectDescription(L"data"));
    EXPECT_EQ(capture.Lines(), Lines{"Failed to create view controller."});
    EXPECT_EQ(controller.GetView(), nullptr);
    EXPECT_NE(controller.GetEngine()->GetMessenger(), nullptr);
  }
  EXPECT_EQ(engine.calls, std::vector<EngineCall>{EngineCall::kEngineCreate});
}

}  // namespace
