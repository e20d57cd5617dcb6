// The file system through the Win32 ANSI calls.
#pragma once

#include "platform/file_system.h"
#include <vector>

#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {

// A folder held through its handle for as long as this lives.
class Win32HeldFolder : public HeldFolder {
 public:
  explicit Win32HeldFolder(UniqueFileHandle folder) : folder_(std::move(folder)) {}
  HANDLE handle() const { return folder_.get(); }

 private:
  UniqueFileHandle folder_;
};

// A file written through a handle the caller opened (in win32_file_system.cpp).
std::unique_ptr<WritableFile> writableFileFor(UniqueFileHandle file);

// A new folder with the rights, made and opened in one call: `name` relative to `root`, or a
// full "\??\" name with no root. Held on success; the system's code in `error` otherwise.
std::unique_ptr<HeldFolder> createFolderHeld(HANDLE root, const std::vector<WCHAR>& name, FolderRights rights,
                                             Status& error);

class Win32FileSystem : public FileSystem {
 public:
  bool fileExists(const std::string& path) override;
  bool folderExists(const std::string& path) override;
  bool isLink(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool setNormalAttributes(const std::string& path) override;
  bool addArchiveAttribute(const std::string& path) override;
  bool createFolder(const std::string& path) override;
  bool removeFolder(const std::string& path) override;
  bool copyFile(const std::string& source, const std::string& target, bool failIfExists) override;
  Status lastError() const override { return lastError_; }
  std::vector<FolderEntry> listFolder(const std::string& folder) override;
  std::optional<std::uint64_t> fileSize(const std::string& path) override;
  std::unique_ptr<ReadableFile> openForReading(const std::string& path, Status& error) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, Status& error) override;
  bool createProtectedFolder(const std::string& path, FolderRights rights) override;
  std::unique_ptr<HeldFolder> createHeldFolder(const std::string& path, FolderRights rights,
                                               Status& error) override;
  std::unique_ptr<HeldFolder> secureFolder(const std::string& path, FolderRights rights, Status& error) override;
  FolderSafety folderSafety(const std::string& path) override;
  std::unique_ptr<HeldFolder> holdFolder(const std::string& path, Status& error) override;
  std::unique_ptr<ScratchFile> createScratchFile(const std::string& path, Status& error) override;
  // In win32_tree_removal.cpp.
  Status removeFolderTree(const std::string& folder) override;
  Status removeEntryIn(HeldFolder& parent, const std::string& name) override;
  Status removeTreeThrough(HeldFolder& folder) override;
  // In win32_relative_files.cpp.
  std::unique_ptr<HeldFolder> holdFolderWithoutLinks(const std::string& path, Status& error) override;
  std::unique_ptr<HeldFolder> createHeldFolderIn(HeldFolder& parent, const std::string& name, FolderRights rights,
                                                 Status& error) override;
  std::unique_ptr<WritableFile> createFileIn(HeldFolder& folder, const std::string& relativePath,
                                             Status& error) override;
  Status deletePlainFileIn(HeldFolder& folder, const std::string& name) override;

 private:
  bool check(bool succeeded);
  Status lastError_ = 0;
};

}  // namespace saverkit::win32
