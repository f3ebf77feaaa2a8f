// The engine wrapper and the project it starts from, checked at the engine
// library's boundary through the recording engine.
#include "wrapper/flutter_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/fakes/recording_engine.h"
#include "tests/support/byte_helpers.h"
#include "wrapper/project_description.h"

namespace {

using flutter::FlutterEngine;
using flutter::ProjectDescription;
using flutter::ReplyCallback;
using quorvane::fakes::EngineCall;
using quorvane::fakes::RecordingEngine;
using testing_support::StderrCapture;

using Lines = std::vector<std::string>;

constexpr char kNotRunningLine[] =
    "Cannot get plugin registrar on an engine that isn't running; call Run first.";

TEST(ProjectDescription, BundlePathsStayRelativeToTheBaseAndCopiesAreDeep) {
  ProjectDescription project(L"data");
  EXPECT_EQ(project.assets_path(), L"data\\flutter_assets");
  EXPECT_EQ(project.icu_data_path(), L"data\\icudtl.dat");
  EXPECT_EQ(project.aot_library_path(), L"data\\app.so");
  EXPECT_EQ(project.entrypoint(), "");
  EXPECT_TRUE(project.entrypoint_arguments().empty());
  EXPECT_EQ(project.option_values(), (std::array<int32_t, 3>{0, 0, 0}));

  ProjectDescription copy = project;
  project.set_entrypoint_arguments({"--a"});
  EXPECT_TRUE(copy.entrypoint_arguments().empty());
}

TEST(FlutterEngine, PropertiesRecordWithoutArgumentsCarriesCountZeroAndNoArray) {
  RecordingEngine engine;
  FlutterEngine wrapper(ProjectDescription(L"data"));

  ASSERT_TRUE(engine.properties.has_value());
  EXPECT_EQ(engine.properties->assets_path, L"data\\flutter_assets");
  EXPECT_EQ(engine.properties->icu_data_path, L"data\\icudtl.dat");
  EXPECT_EQ(engine.properties->aot_library_path, L"data\\app.so");
  EXPECT_EQ(engine.properties->entrypoint, "");
  EXPECT_EQ(engine.properties->argument_count, 0);
  EXPECT_TRUE(engine.properties->argument_array_null);
  EXPECT_EQ(engine.properties->option_values, (std::array<int32_t, 3>{0, 0, 0}));
  EXPECT_TRUE(engine.properties->padding_zero);
}

TEST(FlutterEngine, PropertiesRecordCarriesTheArgumentsInOrder) {
  RecordingEngine engine;
  ProjectDescription project(L"data");
  project.set_entrypoint_arguments({"--first", "zweite \xC3\xA4", ""});
  FlutterEngine wrapper(project);

  ASSERT_TRUE(engine.properties.has_value());
  EXPECT_EQ(engine.properties->argument_count, 3);
  EXPECT_FALSE(engine.properties->argument_array_null);
  EXPECT_EQ(engine.properties->arguments, project.entrypoint_arguments());
}

TEST(FlutterEngine, AsksTheEngineForItsMessengerAndRegistrars) {
  RecordingEngine engine;
  FlutterEngine wrapper(ProjectDescription(L"data"));
  EXPECT_EQ(engine.calls,
            (std::vector<EngineCall>{EngineCall::kEngineCreate, EngineCall::kEngineGetMessenger}));

  EXPECT_NE(wrapper.GetPluginRegistrar("tray_manager_plugin"), nullptr);
  EXPECT_EQ(engine.registrar_names, Lines{"tray_manager_plugin"});
  wrapper.ReloadSystemFonts();
  EXPECT_EQ(engine.CountOf(EngineCall::kEngineReloadSystemFonts), 1u);
  EXPECT_EQ(engine.protocol_violations, 0);
}

TEST(FlutterEngine, DestroysTheEngineItOwnsButNotOneItHandedOver) {
  RecordingEngine engine;
  { FlutterEngine wrapper(ProjectDescription(L"data")); }
  EXPECT_EQ(engine.CountOf(EngineCall::kEngineDestroy), 1u);

  engine.ClearRecords();
  {
    FlutterEngine wrapper(ProjectDescription(L"data"));
    EXPECT_EQ(wrapper.TakeEngineHandle(), engine.engine());
  }
  EXPECT_EQ(engine.CountOf(EngineCall::kEngineDestroy), 0u);
}

TEST(FlutterEngine, NextFrameCallbackRunsOnceAndAReplacedOneNever) {
  RecordingEngine engine;
  FlutterEngine wrapper(ProjectDescription(L"data"));
  int first = 0;
  int second = 0;
  wrapper.SetNextFrameCallback([&first] { ++first; });
  wrapper.SetNextFrameCallback([&second] { ++second; });
  EXPECT_EQ(engine.next_frame_user_data, &wrapper);

  engine.ReportFrame();
  // Called again with nothing pending, as after two registrations and one frame.
  engine.next_frame_callback(engine.next_frame_user_data);

  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

TEST(FlutterEngine, TeardownDropsTheFrameCallbackBeforeTheHandlers) {
  RecordingEngine engine;
  std::vector<std::string> dropped;
  const auto witness = [&dropped](const char* name) {
    return std::shared_ptr<int>(new int(0), [&dropped, name](int* value) {
      dropped.push_back(name);
      delete value;
    });
  };
  {
    FlutterEngine wrapper(ProjectDescription(L"data"));
    wrapper.SetNextFrameCallback([kept = witness("frame callback")] {});
    wrapper.GetMessenger()->SetChannelHandler(
        "c", [kept = witness("handler")](const uint8_t*, size_t, flutter::ReplyCallback) {});
  }
  EXPECT_EQ(dropped, (std::vector<std::string>{"frame callback", "handler"}));
}

TEST(FlutterEngine, ThrowingNextFrameCallbackIsReported) {
  RecordingEngine engine;
  FlutterEngine wrapper(ProjectDescription(L"data"));
  wrapper.SetNextFrameCallback([] { throw std::runtime_error("frame fault"); });
  StderrCapture capture;
  engine.ReportFrame();
  EXPECT_EQ(capture.Lines(), Lines{"Error: The next-frame callback threw an exception."});
}

TEST(FlutterEngine, WithoutAnEngineNothingReachesTheLibraryAndRegistrarsAreRefused) {
  RecordingEngine engine;
  engine.fail_engine_create = true;
  {
    FlutterEngine wrapper(ProjectDescription(L"data"));
    StderrCapture capture;
    EXPECT_EQ(wrapper.GetPluginRegistrar("a"), nullptr);
    EXPECT_EQ(wrapper.GetPluginRegistrar("b"), nullptr);
    EXPECT_EQ(capture.Lines(), (Lines{kNotRunningLine, kNotRunningLine}));

    ASSERT_NE(wrapper.GetMessenger(), nullptr);
    uint8_t byte = 0;
    wrapper.GetMessenger()->Send("c", &byte, 1);
    wrapper.GetMessenger()->SetChannelHandler("c", [](const uint8_t*, size_t, ReplyCallback) {});
    wrapper.ReloadSystemFonts();
    wrapper.SetNextFrameCallback([] {});
  }
  EXPECT_EQ(engine.calls, std::vector<EngineCall>{EngineCall::kEngineCreate});
}

}  // namespace
