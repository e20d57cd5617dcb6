// File plumbing for the tool: the codec's callbacks over stdio streams. Read and write
// failures are remembered and reported after the codec returns, since the callbacks
// themselves have no way to stop it.
#include "file_codec.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace implode_tool {
namespace {

namespace sk = saverkit::implode;

struct Context {
  std::FILE* in;
  std::FILE* out;
  unsigned long long total;
  bool progress;
  int lastPercent = -1;
  RunResult result;
};

void showProgress(Context& c) {
  if (!c.progress || c.total == 0) return;
  const int percent = static_cast<int>(c.result.stats.bytesIn * 100 / c.total);
  if (percent != c.lastPercent) {
    std::fprintf(stderr, "\r%3d%%", percent);
    c.lastPercent = percent;
  }
}

unsigned readFile(char* buf, unsigned* size, void* param) {
  auto& c = *static_cast<Context*>(param);
  const std::size_t n = std::fread(buf, 1, *size, c.in);
  if (n < *size && std::ferror(c.in) && c.result.ioError.empty()) {
    c.result.ioError = std::string("read failed: ") + std::strerror(errno);
  }
  c.result.stats.bytesIn += n;
  showProgress(c);
  return static_cast<unsigned>(n);
}

void writeFile(char* buf, unsigned* size, void* param) {
  auto& c = *static_cast<Context*>(param);
  if (!c.result.ioError.empty()) return;
  if (std::fwrite(buf, 1, *size, c.out) != *size) {
    c.result.ioError = std::string("write failed: ") + std::strerror(errno);
  }
  c.result.stats.bytesOut += *size;
}

RunResult finish(Context& c, sk::Status status) {
  if (c.progress && c.total != 0) std::fprintf(stderr, "\r    \r");
  c.result.status = status;
  if (c.result.ioError.empty() && std::fflush(c.out) != 0) {
    c.result.ioError = std::string("write failed: ") + std::strerror(errno);
  }
  return c.result;
}

}  // namespace

RunResult implodeFile(std::FILE* in, std::FILE* out, const sk::ImplodeOptions& options,
                      unsigned long long totalSize, bool progress) {
  Context c{in, out, totalSize, progress, -1, {}};
  auto work = std::make_unique<std::uint8_t[]>(sk::kImplodeWorkSize);
  const sk::Status status = sk::implodeStream(readFile, writeFile, work.get(), &c, options);
  return finish(c, status);
}

RunResult explodeFile(std::FILE* in, std::FILE* out, unsigned long long totalSize, bool progress) {
  Context c{in, out, totalSize, progress, -1, {}};
  auto work = std::make_unique<std::uint8_t[]>(sk::kExplodeWorkSize);
  const sk::Status status = sk::explodeStream(readFile, writeFile, work.get(), &c);
  return finish(c, status);
}

}  // namespace implode_tool
