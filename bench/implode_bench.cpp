// Codec speed, ratio and memory on the public corpus, with the peers and zlib in the same
// run. Set SAVERKIT_BENCH_CORPUS to the corpus file (see bench/README.md).
//
// Counters: MB/s is input bytes for implode and output bytes for explode; "ratio" is packed
// size over original; "work_area" is the caller-provided area; "heap_peak" is what the codec
// allocated on top during one call.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "heap_meter.h"
#include "saverkit/implode/codec.h"

extern "C" {
#include <libdynamite.h>
unsigned int implode(SaverkitReadBuf, SaverkitWriteBuf, char*, void*, unsigned int*, unsigned int*);
unsigned int explode(SaverkitReadBuf, SaverkitWriteBuf, char*, void*);
}

namespace {

namespace sk = saverkit::implode;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPeerWorkSize = 1 << 17;

const Bytes& corpus() {
  static const Bytes data = [] {
    const char* path = std::getenv("SAVERKIT_BENCH_CORPUS");
    std::ifstream in(path != nullptr ? path : "corpus.bin", std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot open the corpus; set SAVERKIT_BENCH_CORPUS (see bench/README.md)\n");
      std::exit(2);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return data;
}

struct Io {
  const Bytes* in;
  std::size_t at;
  Bytes* out;
};

unsigned readIo(char* buf, unsigned* size, void* param) {
  auto* io = static_cast<Io*>(param);
  const std::size_t n = std::min<std::size_t>(*size, io->in->size() - io->at);
  std::memcpy(buf, io->in->data() + io->at, n);
  io->at += n;
  return static_cast<unsigned>(n);
}

void writeIo(char* buf, unsigned* size, void* param) {
  auto* io = static_cast<Io*>(param);
  io->out->insert(io->out->end(), buf, buf + *size);
}

size_t dynRead(void* buf, size_t size, void* cookie) {
  unsigned n = static_cast<unsigned>(std::min<size_t>(size, 1u << 30));
  return readIo(static_cast<char*>(buf), &n, cookie);
}
size_t dynWrite(void* buf, size_t size, void* cookie) {
  unsigned n = static_cast<unsigned>(size);
  writeIo(static_cast<char*>(buf), &n, cookie);
  return size;
}

enum class Codec { kOurs, kPeer, kDynamite };

// `out` must have its capacity reserved, so that no allocation of ours lands in the figures.
void packInto(Codec codec, unsigned type, unsigned dict, sk::Level level, const Bytes& in, Bytes& work,
              Bytes& out) {
  out.clear();
  Io io{&in, 0, &out};
  if (codec == Codec::kOurs) {
    sk::ImplodeOptions options{static_cast<sk::LiteralMode>(type), dict, level};
    sk::implodeStream(readIo, writeIo, work.data(), &io, options);
  } else {
    implode(readIo, writeIo, reinterpret_cast<char*>(work.data()), &io, &type, &dict);
  }
}

Bytes packWith(Codec codec, unsigned type, unsigned dict, sk::Level level, const Bytes& in) {
  Bytes work(kPeerWorkSize);
  Bytes out;
  out.reserve(in.size() + in.size() / 4 + 64);
  packInto(codec, type, dict, level, in, work, out);
  return out;
}

void reportMemory(benchmark::State& state, std::size_t workArea) {
  state.counters["work_area"] = static_cast<double>(workArea);
  state.counters["heap_peak"] = static_cast<double>(bench::heapPeak());
}

void implodeBench(benchmark::State& state, Codec codec, unsigned type, unsigned dict, sk::Level level) {
  const Bytes& in = corpus();
  Bytes work(codec == Codec::kOurs ? sk::kImplodeWorkSize : kPeerWorkSize);
  Bytes out;
  out.reserve(in.size() + in.size() / 4 + 64);
  for (auto _ : state) {
    bench::heapReset();
    packInto(codec, type, dict, level, in, work, out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(out.size()) / static_cast<double>(in.size());
  reportMemory(state, work.size());
}

void explodeBench(benchmark::State& state, Codec codec, unsigned type, unsigned dict) {
  const Bytes& in = corpus();
  const Bytes packed = packWith(Codec::kPeer, type, dict, sk::Level::kDefault, in);
  Bytes out;
  out.reserve(in.size() + 16);
  Bytes work(codec == Codec::kOurs ? sk::kExplodeWorkSize : kPeerWorkSize);
  for (auto _ : state) {
    out.clear();
    Io io{&packed, 0, &out};
    bench::heapReset();
    if (codec == Codec::kOurs) {
      sk::explodeStream(readIo, writeIo, work.data(), &io);
    } else if (codec == Codec::kPeer) {
      explode(readIo, writeIo, reinterpret_cast<char*>(work.data()), &io);
    } else {
      dynamite_explode(dynRead, dynWrite, &io);
    }
  }
  if (out != in) state.SkipWithError("decoded output differs from the corpus");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(in.size());
  reportMemory(state, codec == Codec::kDynamite ? 0 : work.size());
}

void inflateBench(benchmark::State& state) {
  const Bytes& in = corpus();
  uLongf packedSize = compressBound(static_cast<uLong>(in.size()));
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, in.data(), static_cast<uLong>(in.size()), 6);
  Bytes out(in.size());
  for (auto _ : state) {
    uLongf outSize = static_cast<uLongf>(out.size());
    bench::heapReset();
    uncompress(out.data(), &outSize, packed.data(), packedSize);
  }
  if (out != in) state.SkipWithError("zlib output differs");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(in.size());
  reportMemory(state, 0);
}

const char* levelName(sk::Level level) {
  return level == sk::Level::kFast ? "fast" : level == sk::Level::kBest ? "best" : "default";
}

void registerAll() {
  for (unsigned type : {0u, 1u}) {
    for (unsigned dict : {1024u, 2048u, 4096u}) {
      const std::string tag = std::string(type == 0 ? "binary/" : "ascii/") + std::to_string(dict);
      for (sk::Level level : {sk::Level::kFast, sk::Level::kDefault, sk::Level::kBest}) {
        benchmark::RegisterBenchmark(("Implode/ours-" + std::string(levelName(level)) + "/" + tag).c_str(),
                                     implodeBench, Codec::kOurs, type, dict, level)
            ->Unit(benchmark::kMillisecond)->Iterations(2);
      }
      benchmark::RegisterBenchmark(("Implode/peer/" + tag).c_str(), implodeBench, Codec::kPeer, type,
                                   dict, sk::Level::kDefault)
          ->Unit(benchmark::kMillisecond)->Iterations(2);
      benchmark::RegisterBenchmark(("Explode/ours/" + tag).c_str(), explodeBench, Codec::kOurs, type, dict)
          ->Unit(benchmark::kMillisecond)->MinTime(0.5);
      benchmark::RegisterBenchmark(("Explode/peer/" + tag).c_str(), explodeBench, Codec::kPeer, type, dict)
          ->Unit(benchmark::kMillisecond)->MinTime(0.5);
      if (type == 0) {
        benchmark::RegisterBenchmark(("Explode/dynamite/" + tag).c_str(), explodeBench, Codec::kDynamite,
                                     type, dict)
            ->Unit(benchmark::kMillisecond)->MinTime(0.5);
      }
    }
  }
  benchmark::RegisterBenchmark("Inflate/zlib-6", inflateBench)->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
