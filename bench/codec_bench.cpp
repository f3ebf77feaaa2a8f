// Encode and decode of the standard codec side by side with msgpack-cxx on the
// same content, and the 1 MiB typed list against memcpy of the same megabyte.
//
// Like is compared with like: our encoder walks an EncodableValue tree, so its
// reference packs a msgpack::object tree of the same content (built once,
// outside the timed loop); our decoder builds a tree, as msgpack::unpack does.
// msgpack's packers of static C++ data (no tree to walk) are printed beside,
// as a second reference that is not a target.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iomanip>
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

// msgpack packing static C++ data: no tree to walk.
template <typename Pack>
void BenchmarkMsgpackStaticEncode(benchmark::State& state, Pack pack) {
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

// msgpack's own dynamic path: one object tree, packed by walking it.
void BenchmarkMsgpackTreeEncode(benchmark::State& state, const msgpack::object& tree) {
  size_t size = 0;
  for (auto _ : state) {
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> packer(buffer);
    packer.pack(tree);
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

// The object tree msgpack's static packer describes, held with the zone
// that owns it.
template <typename Pack>
void BenchmarkMsgpackTreeEncodeOf(benchmark::State& state, Pack pack) {
  const msgpack::sbuffer bytes = MsgpackBytes(pack);
  const msgpack::object_handle tree = msgpack::unpack(bytes.data(), bytes.size());
  BenchmarkMsgpackTreeEncode(state, tree.get());
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
void CallEncodeMsgpackStatic(benchmark::State& state) {
  BenchmarkMsgpackStaticEncode(state, PackCall);
}
void CallEncodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackTreeEncodeOf(state, PackCall);
}
void CallDecodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackCall));
}

void MapEncodeOurs(benchmark::State& state) {
  BenchmarkEncode(state, EncodableValue(HundredEntries()));
}
void MapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(EncodableValue(HundredEntries())));
}
void MapEncodeMsgpackStatic(benchmark::State& state) {
  BenchmarkMsgpackStaticEncode(state, PackMap);
}
void MapEncodeMsgpackTree(benchmark::State& state) { BenchmarkMsgpackTreeEncodeOf(state, PackMap); }
void MapDecodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackMap));
}

void ReversedMapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, HundredEntriesReversed());
}
void ReversedMapDecodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackMapReversed));
}

void DoublesEncodeOurs(benchmark::State& state) {
  BenchmarkEncode(state, EncodableValue(MegabyteOfDoubles()));
}
void DoublesDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(EncodableValue(MegabyteOfDoubles())));
}
void DoublesEncodeMsgpackStatic(benchmark::State& state) {
  BenchmarkMsgpackStaticEncode(state, PackDoubles);
}
void DoublesEncodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackTreeEncodeOf(state, PackDoubles);
}
void DoublesDecodeMsgpackTree(benchmark::State& state) {
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
void NestedEncodeMsgpackStatic(benchmark::State& state) {
  BenchmarkMsgpackStaticEncode(state, PackNested);
}
void NestedEncodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackTreeEncodeOf(state, PackNested);
}
void NestedDecodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackNested));
}

void NestedMapEncodeOurs(benchmark::State& state) { BenchmarkEncode(state, NestedMap()); }
void NestedMapDecodeOurs(benchmark::State& state) {
  BenchmarkDecode(state, EncodeValue(NestedMap()));
}
void NestedMapEncodeMsgpackStatic(benchmark::State& state) {
  BenchmarkMsgpackStaticEncode(state, PackNestedMap);
}
void NestedMapEncodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackTreeEncodeOf(state, PackNestedMap);
}
void NestedMapDecodeMsgpackTree(benchmark::State& state) {
  BenchmarkMsgpackDecode(state, MsgpackBytes(PackNestedMap));
}

BENCHMARK(CallEncodeOurs);
BENCHMARK(CallEncodeMsgpackTree);
BENCHMARK(CallEncodeMsgpackStatic);
BENCHMARK(CallDecodeOurs);
BENCHMARK(CallDecodeMsgpackTree);
BENCHMARK(MapEncodeOurs);
BENCHMARK(MapEncodeMsgpackTree);
BENCHMARK(MapEncodeMsgpackStatic);
BENCHMARK(MapDecodeOurs);
BENCHMARK(MapDecodeMsgpackTree);
BENCHMARK(ReversedMapDecodeOurs);
BENCHMARK(ReversedMapDecodeMsgpackTree);
BENCHMARK(DoublesEncodeOurs);
BENCHMARK(DoublesEncodeMsgpackTree);
BENCHMARK(DoublesEncodeMsgpackStatic);
BENCHMARK(DoublesDecodeOurs);
BENCHMARK(DoublesDecodeMsgpackTree);
BENCHMARK(DoublesMemcpy);
BENCHMARK(NestedEncodeOurs);
BENCHMARK(NestedEncodeMsgpackTree);
BENCHMARK(NestedEncodeMsgpackStatic);
BENCHMARK(NestedDecodeOurs);
BENCHMARK(NestedDecodeMsgpackTree);
BENCHMARK(NestedMapEncodeOurs);
BENCHMARK(NestedMapEncodeMsgpackTree);
BENCHMARK(NestedMapEncodeMsgpackStatic);
BENCHMARK(NestedMapDecodeOurs);
BENCHMARK(NestedMapDecodeMsgpackTree);

// One line per case: CPU nanoseconds of ours and of both references, then the
// ratio to the like-for-like one (msgpack's object tree) and its target.
void PrintTable(const bench_support::RatioReporter& reporter) {
  std::cout << "\nCPU ns per operation (median of the repetitions); ratio = ours / msgpack tree\n"
            << std::left << std::setw(20) << "case" << std::right << std::setw(10) << "ours"
            << std::setw(15) << "msgpack tree" << std::setw(17) << "msgpack static" << std::setw(8)
            << "ratio"
            << "  target\n";
  const auto cell = [&reporter](const std::string& name, int width) {
    std::cout << std::setw(width);
    if (reporter.Ran(name)) {
      std::cout << std::fixed << std::setprecision(0) << reporter.Nanoseconds(name);
    } else {
      std::cout << "-";
    }
  };
  for (const char* kase : {"Call", "Map", "ReversedMap", "Doubles", "Nested", "NestedMap"}) {
    for (const char* direction : {"Encode", "Decode"}) {
      const std::string prefix = std::string(kase) + direction;
      if (!reporter.Ran(prefix + "Ours") || !reporter.Ran(prefix + "MsgpackTree")) continue;
      std::cout << std::left << std::setw(20) << prefix << std::right;
      cell(prefix + "Ours", 10);
      cell(prefix + "MsgpackTree", 15);
      cell(prefix + "MsgpackStatic", 17);
      std::cout << std::setw(7) << std::fixed << std::setprecision(2)
                << reporter.Nanoseconds(prefix + "Ours") /
                       reporter.Nanoseconds(prefix + "MsgpackTree")
                << "x  <= " << (prefix == "ReversedMapDecode" ? "1.50" : "1.00") << "x\n";
    }
  }
  std::cout << "\n1 MiB double list as a share of memcpy (target >= 95% both ways):\n";
  reporter.PrintShare("DoublesEncodeOurs", "DoublesMemcpy");
  reporter.PrintShare("DoublesDecodeOurs", "DoublesMemcpy");
}

}  // namespace

// Without arguments: five repetitions of each benchmark in random order, so
// that a burst of load on a shared machine touches all of them alike.
int main(int argc, char** argv) {
  std::vector<char*> arguments(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5";
  std::string interleaving = "--benchmark_enable_random_interleaving=true";
  if (argc == 1) {
    arguments.push_back(repetitions.data());
    arguments.push_back(interleaving.data());
  }
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  bench_support::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintTable(reporter);
  benchmark::Shutdown();
  return 0;
}
