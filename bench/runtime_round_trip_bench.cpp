// One incoming method call through the whole channel runtime, against the
// recording fake engine: message record in, decode, a handler answering
// Success(true), envelope out through the reply path. Printed as a ratio to
// the bare codec work of the same call (decode the call, encode the envelope).
#include <benchmark/benchmark.h>

#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

// Keeps each run's CPU time per iteration so the ratios can be printed at the
// end; CPU time, because the machine running the benchmarks is often shared.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanoseconds;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& ns = reporter.nanoseconds;
  std::cout << "\nround trip / bare codec work of the same call (target <= 2.00):\n";
  for (const char* kase : {"Query", "Setter"}) {
    const std::string ours = std::string("RoundTrip") + kase;
    const std::string reference = std::string("Codec") + kase;
    if (!ns.count(ours) || !ns.count(reference)) continue;
    std::cout << std::left << std::setw(18) << ours << std::fixed << std::setprecision(2)
              << ns.at(ours) / ns.at(reference) << "x " << reference << '\n';
  }
  benchmark::Shutdown();
  return 0;
}
