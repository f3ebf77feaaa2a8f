// One incoming method call through the whole channel runtime, against the
// recording fake engine: message record in, decode, a handler answering
// Success(true), envelope out through the reply path. Printed as a ratio to
// the bare codec work of the same call (decode the call, encode the envelope).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "codec/standard_method_codec.h"
#include "tests/fakes/recording_engine.h"
#include "wrapper/binary_messenger_impl.h"
#include "wrapper/method_channel.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResult;

constexpr char kChannel[] = "quorvane/settings";

const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

std::vector<uint8_t> EncodedCall(const std::string& method, EncodableValue arguments) {
  MethodCall<> call(method, std::make_unique<EncodableValue>(std::move(arguments)));
  return *Codec().EncodeMethodCall(call);
}

// A query without arguments, and a setter with a one-entry map.
std::vector<uint8_t> QueryCall() { return EncodedCall("isCloseToTrayEnabled", EncodableValue()); }
std::vector<uint8_t> SetterCall() {
  return EncodedCall("setCloseToTrayEnabled", EncodableMap{{"enabled", false}});
}

void BenchmarkRoundTrip(benchmark::State& state, const std::vector<uint8_t>& message) {
  quorvane::fakes::RecordingEngine engine;
  engine.engine_running = true;
  flutter::BinaryMessengerImpl messenger(engine.messenger());
  flutter::MethodChannel<> channel(&messenger, kChannel, &Codec());
  channel.SetMethodCallHandler([](const MethodCall<>&, std::unique_ptr<MethodResult<>> result) {
    result->Success(EncodableValue(true));
  });
  for (auto _ : state) {
    engine.DeliverMessage(kChannel, message);
    benchmark::DoNotOptimize(engine.responses.back().bytes.data());
    engine.ClearRecords();
  }
}

void BenchmarkCodec(benchmark::State& state, const std::vector<uint8_t>& message) {
  const EncodableValue answer(true);
  for (auto _ : state) {
    std::unique_ptr<MethodCall<>> call = Codec().DecodeMethodCall(message.data(), message.size());
    benchmark::DoNotOptimize(call.get());
    std::unique_ptr<std::vector<uint8_t>> envelope = Codec().EncodeSuccessEnvelope(&answer);
    benchmark::DoNotOptimize(envelope->data());
  }
}

void RoundTripQuery(benchmark::State& state) { BenchmarkRoundTrip(state, QueryCall()); }
void CodecQuery(benchmark::State& state) { BenchmarkCodec(state, QueryCall()); }
void RoundTripSetter(benchmark::State& state) { BenchmarkRoundTrip(state, SetterCall()); }
void CodecSetter(benchmark::State& state) { BenchmarkCodec(state, SetterCall()); }

BENCHMARK(RoundTripQuery);
BENCHMARK(CodecQuery);
BENCHMARK(RoundTripSetter);
BENCHMARK(CodecSetter);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench_support::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::cout << "\nround trip / bare codec work of the same call (target <= 2.00):\n";
  reporter.PrintRatio("RoundTripQuery", "CodecQuery");
  reporter.PrintRatio("RoundTripSetter", "CodecSetter");
  benchmark::Shutdown();
  return 0;
}
