// TCompressor: the binding to the implode library carried in the package ("impborl.dll" in the
// working folder), loaded and unloaded around each use. It expands one imploded buffer into a
// file through the library's _explode and keeps the CRC-32 of the bytes written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/status.h"
#include "platform/file_system.h"
#include "platform/library_loader.h"
#include "platform/text_source.h"

namespace saverkit {

// The library's entry points: cdecl, 32-bit arguments, as the format's original library has.
extern "C" {
typedef unsigned int (*ImplodeReadCallback)(char* buffer, unsigned int* size, void* param);
typedef void (*ImplodeWriteCallback)(char* buffer, unsigned int* size, void* param);
typedef unsigned int (*ImplodeFunction)(ImplodeReadCallback, ImplodeWriteCallback, char* work,
                                        void* param, unsigned int* type, unsigned int* dictionary);
typedef unsigned int (*ExplodeFunction)(ImplodeReadCallback, ImplodeWriteCallback, char* work,
                                        void* param);
typedef unsigned long (*Crc32Function)(char* buffer, unsigned int* size, unsigned long* crc);
}

inline constexpr std::size_t kExplodeWorkAreaSize = 12596;
inline constexpr const char* kImplodeLibraryFile = "impborl.dll";

class TCompressor {
 public:
  // Why a library did not load (the callers only see "not loaded" and report -35).
  static constexpr Status kLibraryFileMissing = 5;
  static constexpr Status kExportMissing = 6;

  struct Services {
    LibraryLoader& libraries;
    FileSystem& files;
    const TextSource& texts;
    // Shows an error box; the binding knows nothing of windows.
    std::function<void(const std::string&)> showError;
  };

  // Never throws: test loaded(). An empty folder means "impborl.dll" by the system's search.
  TCompressor(const Services& services, const std::string& libraryFolder);
  TCompressor(const TCompressor&) = delete;
  TCompressor& operator=(const TCompressor&) = delete;
  ~TCompressor();

  bool loaded() const { return loaded_; }
  Status loadFailure() const { return loadFailure_; }

  // Expands `length` imploded bytes into `path` (created, replacing a file there), writing at
  // most `declaredSize` bytes. 0; -13 as soon as the stream would write more, with nothing
  // beyond that size written and the library given no more input; or the system's code of a
  // failed creation or write, shown in a "Zip Error: " box. A stream the library cannot decode
  // ends early; the caller's size check finds that.
  Status expandToFile(const std::string& path, const std::uint8_t* buffer, std::size_t length,
                      std::uint64_t declaredSize);
  // The same into a file the caller has made, which it then closes.
  Status expandInto(WritableFile& file, const std::uint8_t* buffer, std::size_t length,
                    std::uint64_t declaredSize);
  // Shows the "Zip Error: " box for a file that could not be made for an expansion.
  Status reportWriteFailure(Status code);

  // The CRC-32 of the bytes written by the last expansion.
  std::uint32_t writtenCrc() const { return writtenCrc_; }

 private:
  static unsigned int readCallback(char* buffer, unsigned int* size, void* param);
  static void writeCallback(char* buffer, unsigned int* size, void* param);
  void flushPending();
  Status showZipError(Status code);

  Services services_;
  ImplodeFunction implode_ = nullptr;
  ExplodeFunction explode_ = nullptr;
  Crc32Function crc32_ = nullptr;
  std::unique_ptr<LoadedLibrary> library_;
  bool loaded_ = false;
  Status loadFailure_ = 0;
  bool compressing_ = false;
  std::uint32_t readCrc_ = 0;
  std::uint32_t writtenCrc_ = 0;
  // The expansion's input and output, live only inside expandToFile.
  const std::uint8_t* input_ = nullptr;
  std::size_t inputLength_ = 0;
  std::size_t inputPosition_ = 0;
  WritableFile* output_ = nullptr;
  Status writeError_ = 0;
  std::uint64_t outputLimit_ = 0;
  std::uint64_t outputWritten_ = 0;
  bool outputOverrun_ = false;
  // The decoder hands over a few kilobytes at a time; the file gets them in large writes.
  std::vector<char> pending_;
  std::array<char, kExplodeWorkAreaSize> workArea_{};
};

}  // namespace saverkit
