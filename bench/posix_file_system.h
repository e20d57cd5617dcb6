// A FileSystem over the Linux file system, for measuring the installer's file work against real
// files natively. Backslashes in paths become slashes; attributes do not exist here.
#pragma once

#include "platform/file_system.h"

namespace saverkit::bench {

class PosixFileSystem : public FileSystem {
 public:
  bool fileExists(const std::string& path) override;
  bool folderExists(const std::string& path) override;
  bool isLink(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool setNormalAttributes(const std::string& path) override { return fileExists(path) || folderExists(path); }
  bool addArchiveAttribute(const std::string& path) override { return fileExists(path); }
  bool createFolder(const std::string& path) override;
  bool removeFolder(const std::string& path) override;
  bool copyFile(const std::string& source, const std::string& target, bool failIfExists) override;
  Status lastError() const override { return lastError_; }
  std::vector<FolderEntry> listFolder(const std::string& folder) override;
  std::optional<std::uint64_t> fileSize(const std::string& path) override;
  std::unique_ptr<ReadableFile> openForReading(const std::string& path, Status& error) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, Status& error) override;
  bool createProtectedFolder(const std::string& path, FolderRights rights) override;
  std::unique_ptr<HeldFolder> createHeldFolder(const std::string& path, FolderRights rights, Status& error) override;
  std::unique_ptr<HeldFolder> secureFolder(const std::string& path, FolderRights rights, Status& error) override;
  FolderSafety folderSafety(const std::string& path) override;
  std::unique_ptr<HeldFolder> holdFolder(const std::string& path, Status& error) override;
  std::unique_ptr<ScratchFile> createScratchFile(const std::string& path, Status& error) override;
  Status removeFolderTree(const std::string& folder) override;
  // Relative to a held folder by its path: holds mean nothing to the benchmarks.
  std::unique_ptr<HeldFolder> holdFolderWithoutLinks(const std::string& path, Status& error) override;
  std::unique_ptr<HeldFolder> createHeldFolderIn(HeldFolder& parent, const std::string& name, FolderRights rights,
                                                 Status& error) override;
  Status removeEntryIn(HeldFolder& parent, const std::string& name) override;
  std::unique_ptr<WritableFile> createFileIn(HeldFolder& folder, const std::string& relativePath,
                                             Status& error) override;
  Status deletePlainFileIn(HeldFolder& folder, const std::string& name) override;
  Status removeTreeThrough(HeldFolder& folder) override;

 private:
  bool fail();
  Status lastError_ = 0;
};

}  // namespace saverkit::bench
