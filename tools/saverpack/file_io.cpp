// File access and the progress bar; see the header.
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <system_error>

#include <random>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "messages.h"
#include "tool_error.h"

namespace saverpack {

namespace fs = std::filesystem;

std::filesystem::path pathFromUtf8(const std::string& text) { return fs::u8path(text); }

std::string pathToUtf8(const std::filesystem::path& path) { return path.u8string(); }

Bytes readWholeFile(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    throw ioError("\"" + pathToUtf8(path) + "\" is a folder, not a file");
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int reason = errno;
    throw ioError("cannot open \"" + pathToUtf8(path) + "\"" + (reason != 0 ? ": " + systemErrorText(reason) : ""));
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0) throw ioError("cannot read \"" + pathToUtf8(path) + "\"");
  Bytes bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    throw ioError("cannot read \"" + pathToUtf8(path) + "\"");
  }
  return bytes;
}

namespace {

// Creates `path` as a new file, or fails: a name that already exists, a link included, is
// never opened, so nothing placed there beforehand can redirect the write.
std::FILE* createNewForWriting(const fs::path& path) {
#ifdef _WIN32
  const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  return fd < 0 ? nullptr : _fdopen(fd, "wb");
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

// A new temporary file beside `path` under a name nobody can guess, or nullptr with errno set.
std::FILE* createTemporaryBeside(const fs::path& path, fs::path& temporary) {
  std::random_device entropy;
  for (int attempt = 0; attempt < 8; ++attempt) {
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".saverpack-partial-%08x%08x", unsigned(entropy()), unsigned(entropy()));
    temporary = path;
    temporary += suffix;
    errno = 0;
    if (std::FILE* file = createNewForWriting(temporary)) return file;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// Writes what `fill` puts into a new temporary file beside `path`, then renames it into place,
// so a failed write never leaves a half-written file under the real name. `fill` returns false
// when a write fails (errno says why) and throws for failures of its own.
void replaceFile(const fs::path& path, const std::function<bool(std::FILE*)>& fill) {
  const std::string shown = "cannot write \"" + pathToUtf8(path) + "\": ";
  std::error_code error;
  if (fs::is_directory(path, error)) throw ioError(shown + "it is a folder; give a file name");
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, error)) {
    throw ioError(shown + "\"" + pathToUtf8(folder) + "\" " +
                  (fs::exists(folder, error) ? "is a file, not a folder" : "is not an existing folder"));
  }
  // Messages name the real file: that is the one the user asked for.
  fs::path temporary;
  std::FILE* out = createTemporaryBeside(path, temporary);
  if (out == nullptr) {
    throw ioError(shown + "cannot create a file in \"" + pathToUtf8(folder) + "\": " + systemErrorText(errno));
  }
  errno = 0;
  bool written = false;
  try {
    written = fill(out) && std::fflush(out) == 0;
  } catch (...) {
    std::fclose(out);
    fs::remove(temporary, error);
    throw;
  }
  const int writeError = errno;
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    const int reason = writeError != 0 ? writeError : errno;
    fs::remove(temporary, error);
    throw ioError(shown + (reason != 0 ? systemErrorText(reason) : std::string("the write failed")));
  }
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw ioError(shown + error.message());
  }
}

}  // namespace

void writeFileReplacing(const fs::path& path, const Bytes& bytes) {
  replaceFile(path, [&bytes](std::FILE* out) { return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(); });
}

void copyFileReplacing(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) throw ioError("cannot open \"" + pathToUtf8(from) + "\"");
  replaceFile(to, [&](std::FILE* out) {
    std::vector<char> buffer(1 << 20);
    while (in) {
      in.read(buffer.data(), std::streamsize(buffer.size()));
      const auto count = static_cast<std::size_t>(in.gcount());
      if (count > 0 && std::fwrite(buffer.data(), 1, count, out) != count) return false;
    }
    if (in.bad()) throw ioError("cannot read \"" + pathToUtf8(from) + "\"");
    return true;
  });
}

bool stderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

ProgressMeter::ProgressMeter(std::string label, std::uint64_t total, bool enabled)
    : label_(std::move(label)), total_(total), enabled_(enabled && total >= kThreshold) {}

ProgressMeter::~ProgressMeter() { finish(); }

void ProgressMeter::advance(std::uint64_t bytes) {
  done_ += bytes;
  if (done_ > total_) done_ = total_;
  draw();
}

void ProgressMeter::finish() {
  if (!enabled_) return;
  done_ = total_;
  draw();
  std::fputc('\n', stderr);
  enabled_ = false;
}

void ProgressMeter::draw() {
  if (!enabled_ || total_ == 0) return;
  const int percent = static_cast<int>(done_ * 100 / total_);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%s%s] %3d%%", label_.c_str(), std::string(filled, '#').c_str(),
               std::string(kWidth - filled, ' ').c_str(), percent);
  std::fflush(stderr);
}

}  // namespace saverpack
