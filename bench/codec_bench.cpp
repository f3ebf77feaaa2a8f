// Encode and decode throughput of the standard codec, side by side with
// msgpack-cxx on the same content and with memcpy of the same megabyte. Prints
// each of ours as a ratio to msgpack and the 1 MiB cases as a share of memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <msgpack.hpp>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "codec/standard_method_codec.h"

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

const flutter::StandardCodecSerializer& Serializer() {
  return flutter::StandardCodecSerializer::GetInstance();
}
const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

constexpr size_t kMegabyte = 1 << 20;
constexpr int kNestingDepth = 64;

std::vector<uint8_t> EncodeValue(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  flutter::ByteBufferStreamWriter writer(&bytes);
  Serializer().WriteValue(value, &writer);
  return bytes;
}

void BenchmarkDecode(benchmark::State& state, const std::vector<uint8_t>& bytes) {
  for (auto _ : state) {
    flutter::ByteBufferStreamReader reader(bytes.data(), bytes.size());
    EncodableValue value = Serializer().ReadValue(&reader);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BenchmarkEncode(benchmark::State& state, const EncodableValue& value) {
  size_t size = 0;
  for (auto _ : state) {
    std::vector<uint8_t> bytes = EncodeValue(value);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

template <typename Pack>
void BenchmarkMsgpackEncode(benchmark::State& state, Pack pack) {
  size_t size = 0;
  for (auto _ : state) {
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> packer(buffer);
    pack(packer);
    size = buffer.size();
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// msgpack decodes into its own dynamic object tree, as ours does into values.
void BenchmarkMsgpackDecode(benchmark::State& state, const msgpack::sbuffer& buffer) {
  for (auto _ : state) {
    msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(handle.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

template <typename Pack>
msgpack::sbuffer MsgpackBytes(Pack pack) {
  msgpack::sbuffer buffer;
  msgpack::packer<msgpack::sbuffer> packer(buffer);
  pack(packer);
  return buffer;
}

// --- the content, once for ours and once for msgpack ---

const EncodableMap& HundredEntries() {
  static const EncodableMap map = [] {
    EncodableMap entries;
    for (int32_t i = 0; i < 100; ++i) entries.emplace(EncodableValue("key" + std::to_string(i)), i);
    return entries;
  }();
  return map;
}
const std::map<std::string, int32_t>& HundredEntriesNative() {
  static const std::map<std::string, int32_t> map = [] {
    std::map<std::string, int32_t> entries;
    for (int32_t i = 0; i < 100; ++i) entries.emplace("key" + std::to_string(i), i);
    return entries;
  }();
  return map;
}

const std::vector<double>& MegabyteOfDoubles() {
  static const std::vector<double> doubles = [] {
    std::vector<double> values(kMegabyte / sizeof(double));
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i) * 0.5;
    return values;
  }();
  return doubles;
}

EncodableValue Nested() {
  EncodableValue value;
  for (int i = 0; i < kNestingDepth; ++i) value = EncodableValue(EncodableList{std::move(value)});
  return value;
}

EncodableValue NestedMap() {
  EncodableValue value;
  for (int i = 0; i < kNestingDepth; ++i) {
    value = EncodableValue(EncodableMap{{EncodableValue("a"), std::move(value)}});
  }
  return value;
}

// The hundred entries as a peer might send them: in descending key order, so
// that the decoder has to sort what it reads.
std::vector<uint8_t> HundredEntriesReversed() {
  std::vector<uint8_t> bytes = {13, 100};
  const EncodableMap& map = HundredEntries();
  for (auto entry = map.end(); entry != map.begin();) {
    --entry;
    const std::string& key = entry->first.Get<std::string>();
    bytes.push_back(7);
    bytes.push_back(static_cast<uint8_t>(key.size()));
    bytes.insert(bytes.end(), key.begin(), key.end());
    const auto value = static_cast<uint32_t>(entry->second.Get<int32_t>());
    bytes.push_back(3);
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(value >> shift));
  }
  return bytes;
}

auto PackCall = [](msgpack::packer<msgpack::sbuffer>& packer) {
  packer.pack_array(2);
  packer.pack(std::string("setCloseToTrayEnabled"));
  packer.pack_map(1);
  packer.pack(std::string("enabled"));
  packer.pack(true);
};
auto PackMap = [](msgpack::packer<msgpack::sbuffer>& packer) {
  packer.pack(HundredEntriesNative());
};
auto PackDoubles = [](msgpack::packer<msgpack::sbuffer>& packer) {
  packer.pack(MegabyteOfDoubles());
};
auto PackNested = [](msgpack::packer<msgpack::sbuffer>& packer) {
  for (int i = 0; i < kNestingDepth; ++i) packer.pack_array(1);
  packer.pack_nil();
};
auto PackNestedMap = [](msgpack::packer<msgpack::sbuffer>& packer) {
  for (int i = 0; i < kNestingDepth; ++i) {
    packer.pack_map(1);
    packer.pack(std::string("a"));
  }
  packer.pack_nil();
};
auto PackMapReversed = [](msgpack::packer<msgpack::sbuffer>& packer) {
  const auto& map = HundredEntriesNative();
  packer.pack_map(static_cast<uint32_t>(map.size()));
  for (auto entry = map.rbegin(); entry != map.rend(); ++entry) {
    packer.pack(entry->first);
    packer.pack(entry->second);
  }
};

// --- the call ---

void CallEncodeOurs(benchmark::State& state) {
  const flutter::MethodCall<> call("setCloseToTrayEnabled",
                                   std::make_unique<EncodableValue>(EncodableMap{
                                       {EncodableValue("enabled"), EncodableValue(true)}}));
  for (auto _ : state) {
    auto bytes = Codec().EncodeMethodCall(call);
    benchmark::DoNotOptimize(bytes->data());
  }
}
void CallDecodeOurs(benchmark::State& state) {
  const flutter::MethodCall<> call("setCloseToTrayEnabled",
                                   std::make_unique<EncodableValue>(EncodableMap{
                                       {EncodableValue("enabled"), EncodableValue(true)}}));
  const std::vector<uint8_t> bytes = *Codec().EncodeMethodCall(call);
  for (auto _ : state) {
    auto decoded = Codec().DecodeMethodCall(bytes.data(), bytes.size());
    benchmark::DoNotOptimize(decoded.get());
  }
}
void CallEncodeMsgpack(benchmark::State& state) { BenchmarkMsgpackEncode(state, PackCall); }
void CallDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackCall));
}

void MapEncodeOurs(benchmark::State& state) {
  BenchmarkEncode(state, EncodableValue(HundredEntries()));
}
void MapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(EncodableValue(HundredEntries())));
}
void MapEncodeMsgpack(benchmark::State& state) { BenchmarkMsgpackEncode(state, PackMap); }
void MapDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackMap));
}

void ReversedMapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, HundredEntriesReversed());
}
void ReversedMapDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackMapReversed));
}

void DoublesEncodeOurs(benchmark::State& state) {
  BenchmarkEncode(state, EncodableValue(MegabyteOfDoubles()));
}
void DoublesDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(EncodableValue(MegabyteOfDoubles())));
}
void DoublesEncodeMsgpack(benchmark::State& state) { BenchmarkMsgpackEncode(state, PackDoubles); }
void DoublesDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackDoubles));
}
void DoublesMemcpy(benchmark::State& state) {
  const std::vector<double>& source = MegabyteOfDoubles();
  std::vector<double> destination(source.size());
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), kMegabyte);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMegabyte));
}

void NestedEncodeOurs(benchmark::State& state) { BenchmarkEncode(state, Nested()); }
void NestedDecodeOurs(benchmark::State& state) { BenchmarkDecode(state, EncodeValue(Nested())); }
void NestedEncodeMsgpack(benchmark::State& state) { BenchmarkMsgpackEncode(state, PackNested); }
void NestedDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackNested));
}

void NestedMapEncodeOurs(benchmark::State& state) { BenchmarkEncode(state, NestedMap()); }
void NestedMapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(NestedMap()));
}
void NestedMapEncodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackEncode(state, PackNestedMap);
}
void NestedMapDecodeMsgpack(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackNestedMap));
}

BENCHMARK(CallEncodeOurs);
BENCHMARK(CallEncodeMsgpack);
BENCHMARK(CallDecodeOurs);
BENCHMARK(CallDecodeMsgpack);
BENCHMARK(MapEncodeOurs);
BENCHMARK(MapEncodeMsgpack);
BENCHMARK(MapDecodeOurs);
BENCHMARK(MapDecodeMsgpack);
BENCHMARK(ReversedMapDecodeOurs);
BENCHMARK(ReversedMapDecodeMsgpack);
BENCHMARK(DoublesEncodeOurs);
BENCHMARK(DoublesEncodeMsgpack);
BENCHMARK(DoublesDecodeOurs);
BENCHMARK(DoublesDecodeMsgpack);
BENCHMARK(DoublesMemcpy);
BENCHMARK(NestedEncodeOurs);
BENCHMARK(NestedEncodeMsgpack);
BENCHMARK(NestedDecodeOurs);
BENCHMARK(NestedDecodeMsgpack);
BENCHMARK(NestedMapEncodeOurs);
BENCHMARK(NestedMapEncodeMsgpack);
BENCHMARK(NestedMapDecodeOurs);
BENCHMARK(NestedMapDecodeMsgpack);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench_support::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::cout << "\nours / msgpack-cxx (target <= 1.00 for the call and the map):\n";
  for (const char* kase : {"Call", "Map", "ReversedMap", "Doubles", "Nested", "NestedMap"}) {
    for (const char* direction : {"Encode", "Decode"}) {
      reporter.PrintRatio(std::string(kase) + direction + "Ours",
                          std::string(kase) + direction + "Msgpack");
    }
  }
  std::cout << "\n1 MiB double list as a share of memcpy bandwidth (target: encode >= 90%, decode "
               ">= 80%):\n";
  reporter.PrintShare("DoublesEncodeOurs", "DoublesMemcpy");
  reporter.PrintShare("DoublesDecodeOurs", "DoublesMemcpy");
  benchmark::Shutdown();
  return 0;
}
