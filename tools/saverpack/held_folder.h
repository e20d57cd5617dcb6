// An output folder held open, and files written below it relative to that handle: extract
// writes names that come from a file anybody can build into a folder other people may be able
// to change (a shared scratch folder), so no link planted at the folder, on the way below it or
// at a file's own name may redirect a write, also not one planted between a check and a write.
// On Linux every step is an openat on the folder descriptor with O_NOFOLLOW; on Windows an
// NtCreateFile relative to the folder handle that opens reparse points as themselves.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "file_io.h"

namespace saverpack {

class HeldFolder {
 public:
  // Creates `path` (with its parents) when missing and holds it. Throws ToolError(kIo) when it
  // cannot, or when `path` itself is a link: the folder written into is the one named.
  explicit HeldFolder(const std::filesystem::path& path);
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Writes `bytes` to the file `parts` (its folders, then its name) below the folder, creating
  // the folders. The file is written under a new name and renamed over the old one, so an
  // existing file is replaced, never written through. Returns why it refused, or "".
  std::string write(const std::vector<std::string>& parts, const Bytes& bytes);

 private:
  struct Handle;
  std::unique_ptr<Handle> folder_;
  std::string shown_;
};

}  // namespace saverpack
