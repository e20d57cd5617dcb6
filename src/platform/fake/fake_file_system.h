// An in-memory file system with Windows' rules (case-insensitive paths, read-only files that
// refuse deletion, folders that must be empty to be removed, parents that must exist) and fault
// injection: any deletion, folder creation, copy, open, read or write can be made to fail with a
// chosen code, for a number of attempts or for good.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace saverkit::fake {

class FakeFileSystem;

// Reads from `data` at `position` as a file does: up to `size` bytes, fewer at the end.
void readFromText(const std::string& data, std::uint64_t& position, void* buffer, std::size_t size,
                  std::size_t& bytesRead);

// Keeps one hold on a path for as long as it lives: a file open for reading, a scratch file or a
// held folder, none of which another program could then write, rename or delete.
class FakeHeldPath : public HeldFolder {
 public:
  FakeHeldPath(FakeFileSystem& files, std::string key);
  ~FakeHeldPath() override;
  FakeHeldPath(const FakeHeldPath&) = delete;
  FakeHeldPath& operator=(const FakeHeldPath&) = delete;
  const std::string& heldKey() const { return key_; }

 private:
  FakeFileSystem& files_;
  std::string key_;
};

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

  // Rights and holds. The rights asked for each folder made or repaired, by path as given;
  // folders that someone else owns; how often each file was opened for reading, by path. A held
  // folder or scratch file cannot be deleted, as on Windows.
  std::map<std::string, FolderRights> folderRights;
  std::set<std::string> foreignOwned;
  // Folders that this user's programs made without administrator rights.
  std::set<std::string> madeByTheUser;
  int readOpens(const std::string& path) const;
  bool isHeld(const std::string& path) const;

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

  // Tree removal (fake_tree_removal.cpp). The walk holds each folder from the moment it judges
  // it until its entries are gone, as the real one holds a handle. beforeStep is called before a
  // folder's entries are read ("list PATH") and before a file is deleted ("delete PATH"), by the
  // walk and by listFolder and deleteFile, so that a test can change the tree at that moment the
  // way another program could.
  std::function<void(const std::string& step)> beforeStep;
  // Puts a link where `path` is (whatever was there goes), showing the given files through it;
  // refused with 32 while the folder is held, as Windows refuses to rename a folder that is open
  // without delete sharing.
  bool swapForLink(const std::string& path, const std::vector<std::string>& seenThroughIt);
  Status removeFolderTree(const std::string& folder) override;

  // Work relative to held folders (fake_relative_files.cpp). A rename of an entry under
  // moveRefused fails, as Windows refuses to rename a folder while a file in it is open (which a
  // hold below it shows too). The log records "hold PATH", "create folder PATH",
  // "move aside PATH -> NEWPATH", "put back PATH", "create file PATH" and "delete PATH".
  std::set<std::string> moveRefused;
  std::unique_ptr<HeldFolder> holdFolderWithoutLinks(const std::string& path, Status& error) override;
  std::unique_ptr<HeldFolder> createHeldFolderIn(HeldFolder& parent, const std::string& name, FolderRights rights,
                                                 Status& error) override;
  Status removeEntryIn(HeldFolder& parent, const std::string& name) override;
  std::unique_ptr<WritableFile> createFileIn(HeldFolder& folder, const std::string& relativePath,
                                             Status& error) override;
  Status deletePlainFileIn(HeldFolder& folder, const std::string& name) override;
  Status removeTreeThrough(HeldFolder& folder) override;

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
  friend class FakeScratchFile;
  friend class FakeHeldPath;
  static std::string key(const std::string& path);
  static std::string parentKey(const std::string& key);
  bool parentExists(const std::string& key) const;
  Node* find(const std::string& path);
  const Node* find(const std::string& path) const;
  bool fail(Status code);
  // The checks and the new, empty node of a file being created: the write limit for it, or
  // nothing with the reason in `error`.
  std::optional<std::size_t> makeNewFile(const std::string& path, Status& error);
  template <typename Map>
  static const typename Map::mapped_type* injected(const Map& faults, const std::string& path);

  std::map<std::string, Node> nodes_;
  std::map<std::string, int> deleteAttempts_;
  std::map<std::string, int> readOpens_;
  std::map<std::string, int> holds_;
  // Folders marked for deletion, which go when their last hold ends.
  std::set<std::string> deleteOnRelease_;
  std::string heldPath(HeldFolder& folder) const;
  bool anythingHeldAt(const std::string& nodeKey) const;
  void renameTree(const std::string& fromKey, const std::string& toPath);
  Status lastError_ = 0;

  Status removeHeldTree(const std::string& folder);
  Status removeTreeEntry(const std::string& path);
};

}  // namespace saverkit::fake
