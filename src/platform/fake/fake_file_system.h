// An in-memory file system with Windows' rules (case-insensitive paths, read-only files that
// refuse deletion, folders that must be empty to be removed, parents that must exist) and fault
// injection: any deletion, folder creation, copy, open, read or write can be made to fail with a
// chosen code, for a number of attempts or for good.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace saverkit::fake {

class FakeFileSystem : public FileSystem {
 public:
  static constexpr int kForever = -1;

  // Set-up; parents are created as needed.
  void addFolder(const std::string& path);
  void addFile(const std::string& path, const std::string& data, bool readOnly = false);
  // A link (junction) to a folder elsewhere: listed as a folder and a link.
  void addFolderLink(const std::string& path);

  // Inspection.
  bool exists(const std::string& path) const;
  std::optional<std::string> contents(const std::string& path) const;
  bool isReadOnly(const std::string& path) const;
  bool hasArchiveAttribute(const std::string& path) const;
  // Every path below `folder` (all of them for an empty text), in display case, sorted.
  std::vector<std::string> pathsUnder(const std::string& folder = "") const;
  int deleteAttempts(const std::string& path) const;

  // Fault injection, by path.
  std::map<std::string, int> busyFiles;  // deletion fails with 32 this many times (kForever)
  std::map<std::string, Status> folderCreationErrors;
  std::map<std::string, Status> copyErrors;  // by target
  std::map<std::string, Status> openErrors;  // opening for reading or creating
  std::map<std::string, Status> readErrors;
  std::map<std::string, std::size_t> writeLimits;  // writes beyond this many bytes fail (112)
  std::set<std::string> removeFolderRefused;
  std::vector<std::string> log;

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

  struct Node {
    std::string displayPath;
    bool isFolder = false;
    bool isLink = false;
    bool readOnly = false;
    bool archive = false;
    std::string data;
  };

 private:
  friend class FakeWritableFile;
  static std::string key(const std::string& path);
  static std::string parentKey(const std::string& key);
  bool parentExists(const std::string& key) const;
  Node* find(const std::string& path);
  const Node* find(const std::string& path) const;
  bool fail(Status code);
  template <typename Map>
  static const typename Map::mapped_type* injected(const Map& faults, const std::string& path);

  std::map<std::string, Node> nodes_;
  std::map<std::string, int> deleteAttempts_;
  Status lastError_ = 0;
};

}  // namespace saverkit::fake
