// Explode speed of impborl.dll itself, the way the installer runs it: a 32-bit Windows process
// (under Wine here) loading the library by full path and calling its exported _explode. The
// native benchmarks measure a differently built codec on a different target; this one measures
// what ships.
//
//   explode_bench_win32 PACKED ORIGINAL [RUNS] [--dll PATH]
//
// PACKED is an imploded file, ORIGINAL the bytes it must expand to. The library defaults to the
// impborl.dll beside this program. Every run's output is compared with ORIGINAL; MB/s is
// ORIGINAL's size (10^6 bytes) over the best wall time, the median shown beside it because a
// shared machine makes single runs noisy.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "saverkit/implode/implode_api.h"

namespace {

using Bytes = std::vector<unsigned char>;
using ExplodeFn = unsigned int (*)(SaverkitReadBuf, SaverkitWriteBuf, char*, void*);

constexpr const char* kUsage =
    "Usage: explode_bench_win32 PACKED ORIGINAL [RUNS] [--dll PATH]\n"
    "Explodes PACKED RUNS times (default 20) through impborl.dll's _explode, checks each\n"
    "result against ORIGINAL and prints MB/s of original bytes (best and median run).\n";

bool readFile(const char* path, Bytes& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  unsigned char chunk[1 << 16];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.insert(out.end(), chunk, chunk + n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

// The callbacks work on memory so that the figures are the codec's, not the disk's. Output is
// copied into a buffer sized once up front, as a caller writing to a file would copy it out.
struct Io {
  const Bytes* packed;
  std::size_t at;
  unsigned char* out;
  std::size_t outSize;
  std::size_t outCapacity;
  bool overflow;
};

unsigned int readPacked(char* buf, unsigned int* size, void* param) {
  auto* io = static_cast<Io*>(param);
  const std::size_t n = std::min<std::size_t>(*size, io->packed->size() - io->at);
  std::memcpy(buf, io->packed->data() + io->at, n);
  io->at += n;
  return static_cast<unsigned int>(n);
}

void writeOutput(char* buf, unsigned int* size, void* param) {
  auto* io = static_cast<Io*>(param);
  if (*size > io->outCapacity - io->outSize) {
    io->overflow = true;
    return;
  }
  std::memcpy(io->out + io->outSize, buf, *size);
  io->outSize += *size;
}

std::string besideThisProgram(const char* name) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return name;
  std::string dir(path, n);
  const std::size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? name : dir.substr(0, slash + 1) + name;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> positional;
  std::string dllPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
      dllPath = argv[++i];
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.size() < 2 || positional.size() > 3) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  const int runs = positional.size() == 3 ? std::atoi(positional[2]) : 20;
  if (runs < 1) {
    std::fprintf(stderr, "explode_bench_win32: RUNS must be a positive number\n");
    return 1;
  }

  Bytes packed, original;
  if (!readFile(positional[0], packed)) {
    std::fprintf(stderr, "explode_bench_win32: cannot read %s\n", positional[0]);
    return 2;
  }
  if (!readFile(positional[1], original)) {
    std::fprintf(stderr, "explode_bench_win32: cannot read %s\n", positional[1]);
    return 2;
  }

  if (dllPath.empty()) dllPath = besideThisProgram("impborl.dll");
  HMODULE library = LoadLibraryA(dllPath.c_str());
  if (library == nullptr) {
    std::fprintf(stderr, "explode_bench_win32: cannot load %s (error %lu)\n", dllPath.c_str(),
                 GetLastError());
    return 2;
  }
  const auto explode = reinterpret_cast<ExplodeFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "_explode")));
  if (explode == nullptr) {
    std::fprintf(stderr, "explode_bench_win32: %s exports no _explode\n", dllPath.c_str());
    return 2;
  }

  // Room for one byte more than expected, so that output running long is seen as a mismatch
  // rather than cut off to the right length.
  Bytes out(original.size() + 1);
  std::vector<char> work(SAVERKIT_EXPLODE_WORK_SIZE);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> seconds;
  // One untimed run first: it pages in the code, the tables and the buffers.
  for (int run = -1; run < runs; ++run) {
    Io io{&packed, 0, out.data(), 0, out.size(), false};
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    const unsigned int status = explode(readPacked, writeOutput, work.data(), &io);
    QueryPerformanceCounter(&stop);
    if (status != SAVERKIT_CMP_NO_ERROR) {
      std::fprintf(stderr, "explode_bench_win32: _explode returned %u\n", status);
      return 3;
    }
    if (io.overflow || io.outSize != original.size() ||
        std::memcmp(out.data(), original.data(), original.size()) != 0) {
      std::fprintf(stderr, "explode_bench_win32: output differs from %s\n", positional[1]);
      return 3;
    }
    if (run >= 0) {
      seconds.push_back(static_cast<double>(stop.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
  }

  std::sort(seconds.begin(), seconds.end());
  const double best = seconds.front();
  const double median = seconds[seconds.size() / 2];
  const double megabytes = static_cast<double>(original.size()) / 1e6;
  std::printf("%s: %lu -> %lu bytes, %d runs: best %.2f ms (%.1f MB/s), median %.2f ms (%.1f MB/s)\n",
              positional[0], static_cast<unsigned long>(packed.size()),
              static_cast<unsigned long>(original.size()), runs, best * 1e3, megabytes / best,
              median * 1e3, megabytes / median);
  FreeLibrary(library);
  return 0;
}
