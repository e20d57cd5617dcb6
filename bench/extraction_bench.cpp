// Extraction of a stored slot and the working copy of the installer file, against real files,
// beside the system's own `cp` of the same bytes on the same disk. A stored slot is a stream
// copy; it should cost about what copying the bytes costs.
//   SAVERKIT_BENCH_DIR   where the files go (default: build/bench-files, the build's disk)
//   SAVERKIT_SLOT_MB     the slot's size in MiB (default 200)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "installer/fake/fake_platform.h"
#include "installer/installer_context.h"
#include "installer/package_reader.h"
#include "installer/slot_extraction.h"
#include "posix_file_system.h"

namespace {

using namespace saverkit;

std::string benchDir() {
  const char* dir = std::getenv("SAVERKIT_BENCH_DIR");
  return dir ? dir : "build/bench-files";
}

std::int64_t slotBytes() {
  const char* megabytes = std::getenv("SAVERKIT_SLOT_MB");
  return (megabytes ? std::atoll(megabytes) : 200) << 20;
}

// The installer: a zero stub, a header with one stored slot in slot 7, and the slot's bytes.
struct Installer {
  Installer() {
    std::system(("mkdir -p '" + benchDir() + "/product' '" + benchDir() + "/work'").c_str());
    path = benchDir() + "/installer.exe";
    slotPath = benchDir() + "/slot.bin";
    PackageHeader package;
    package.saverName = "Bench";
    PackageEntry& entry = package.entries[7];
    entry.name = "movie.swf";
    entry.destination = kDestinationProduct;
    entry.startOffset = static_cast<std::int32_t>(kInstallerSizeInBytes + kPackageHeaderSize);
    entry.endOffset = static_cast<std::int32_t>(entry.startOffset + slotBytes() - 1);
    entry.expandedSize = static_cast<std::int32_t>(slotBytes());
    std::ofstream out(path, std::ios::binary), slot(slotPath, std::ios::binary);
    const std::string stub(static_cast<std::size_t>(kInstallerSizeInBytes), '\0');
    out.write(stub.data(), static_cast<std::streamsize>(stub.size()));
    const auto encoded = encodePackageHeader(package);
    out.write(reinterpret_cast<const char*>(encoded.data()), static_cast<std::streamsize>(encoded.size()));
    std::string chunk(1 << 20, '\0');
    std::mt19937 random(7);
    for (char& c : chunk) c = static_cast<char>(random());
    for (std::int64_t written = 0; written < slotBytes(); written += static_cast<std::int64_t>(chunk.size())) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      slot.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    header = package;
  }
  std::string path;
  std::string slotPath;
  PackageHeader header;
};

Installer& installer() {
  static Installer made;
  return made;
}

// The fakes for everything but the files, which are real.
Platform withRealFiles(Platform& platform, FileSystem& files) {
  return Platform{platform.texts,  platform.messaging, platform.clock,  platform.process,
                  files,           platform.system,    platform.registry, platform.shell,
                  platform.libraries, platform.player, platform.background};
}

void extractStoredSlot(benchmark::State& state) {
  fake::FakePlatform fakes;
  bench::PosixFileSystem files;
  Platform real = withRealFiles(fakes.platform, files);
  InstallerContext context(real, fakes.view);
  context.header = installer().header;
  context.productFolder = benchDir() + "/product/";
  context.folders.workingFolder = benchDir() + "/work/";
  for (auto _ : state) {
    Status error = 0;
    auto file = files.openForReading(installer().path, error);
    if (extractSlot(context, *file, 7, false) != 0) state.SkipWithError("extraction failed");
  }
  state.SetBytesProcessed(state.iterations() * slotBytes());
}

void copyWithCp(benchmark::State& state) {
  const std::string command = "cp '" + installer().slotPath + "' '" + benchDir() + "/product/cp.bin'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  }
  state.SetBytesProcessed(state.iterations() * slotBytes());
}

void workingCopy(benchmark::State& state) {
  fake::FakePlatform fakes;
  bench::PosixFileSystem files;
  Platform real = withRealFiles(fakes.platform, files);
  InstallerContext context(real, fakes.view);
  context.installerPath = installer().path;
  context.workCopyPath = benchDir() + "/work/temp.dat";
  for (auto _ : state) {
    if (copyInstallerToWorkFile(context) != 0) state.SkipWithError("working copy failed");
  }
  state.SetBytesProcessed(state.iterations() * (kInstallerSizeInBytes + slotBytes()));
}

void workingCopyWithCp(benchmark::State& state) {
  const std::string command = "cp '" + installer().path + "' '" + benchDir() + "/work/cp.dat'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  }
  state.SetBytesProcessed(state.iterations() * (kInstallerSizeInBytes + slotBytes()));
}

}  // namespace

BENCHMARK(extractStoredSlot)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(copyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(workingCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(workingCopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_MAIN();
