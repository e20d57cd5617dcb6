// Runs the codec from one file to another, with optional progress on stderr.
#pragma once

#include <cstdio>
#include <string>

#include "saverkit/implode/codec.h"

namespace implode_tool {

struct RunStats {
  unsigned long long bytesIn = 0;
  unsigned long long bytesOut = 0;
};

struct RunResult {
  saverkit::implode::Status status = saverkit::implode::Status::kOk;
  std::string ioError;  // empty unless reading or writing a file failed
  RunStats stats;
};

// `totalSize` (0 when unknown) only scales the progress display.
RunResult implodeFile(std::FILE* in, std::FILE* out, const saverkit::implode::ImplodeOptions& options,
                      unsigned long long totalSize, bool progress);
RunResult explodeFile(std::FILE* in, std::FILE* out, unsigned long long totalSize, bool progress);

}  // namespace implode_tool
