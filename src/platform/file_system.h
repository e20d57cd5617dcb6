// Files and folders, as the installer uses them: paths are single-byte Windows paths with
// backslashes, compared without regard to letter case. Operations that can fail say so with a
// Boolean and leave the operating system's code in lastError(), the way the installer's steps
// fetch it; streams report a status (0 or the system's code) directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"

namespace saverkit {

// Windows error codes the core tests for by name.
namespace win_error {
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kPathNotFound = 3;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kSharingViolation = 32;
inline constexpr Status kHandleEof = 38;
inline constexpr Status kFileExists = 80;
inline constexpr Status kDirNotEmpty = 145;
inline constexpr Status kAlreadyExists = 183;
}  // namespace win_error

struct FolderEntry {
  std::string name;
  bool isFolder = false;
  // A symbolic link or junction: removed as itself, never followed.
  bool isLink = false;
};

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual Status seek(std::uint64_t offset) = 0;
  // Reads up to `size` bytes; fewer at the end of the file (not an error).
  virtual Status read(void* buffer, std::size_t size, std::size_t& bytesRead) = 0;
  virtual std::uint64_t size() const = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status write(const void* data, std::size_t size) = 0;
  // Flushes and closes; later writes fail. Destruction closes too, ignoring errors.
  virtual Status close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool fileExists(const std::string& path) = 0;
  virtual bool folderExists(const std::string& path) = 0;
  // A symbolic link or junction itself (with or without a trailing backslash).
  virtual bool isLink(const std::string& path) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // FILE_ATTRIBUTE_NORMAL: clears read-only, hidden and system.
  virtual bool setNormalAttributes(const std::string& path) = 0;
  virtual bool addArchiveAttribute(const std::string& path) = 0;
  virtual bool createFolder(const std::string& path) = 0;
  virtual bool removeFolder(const std::string& path) = 0;
  virtual bool copyFile(const std::string& source, const std::string& target,
                        bool failIfExists) = 0;
  // The code of the last failed operation on this thread.
  virtual Status lastError() const = 0;
  // The entries of a folder, without "." and "..".
  virtual std::vector<FolderEntry> listFolder(const std::string& folder) = 0;
  virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
  virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path, Status& error) = 0;
  // Creates the file, replacing an existing one.
  virtual std::unique_ptr<WritableFile> createFile(const std::string& path, Status& error) = 0;
};

}  // namespace saverkit
