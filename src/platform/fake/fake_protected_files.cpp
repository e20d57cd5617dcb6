// The fake's rights and holds: what the installer asked for is recorded for the tests, and a
// held folder or scratch file refuses deletion as Windows does for a file open without delete
// sharing.
#include <algorithm>
#include <cstring>

#include "platform/fake/fake_file_system.h"

namespace saverkit::fake {

FakeHeldPath::FakeHeldPath(FakeFileSystem& files, std::string key) : files_(files), key_(std::move(key)) {
  ++files_.holds_[key_];
}

FakeHeldPath::~FakeHeldPath() {
  if (--files_.holds_[key_] > 0 || files_.deleteOnRelease_.erase(key_) == 0) return;
  // Marked while held: the last hold's end takes it, as Windows does for a folder whose handle
  // was marked for deletion.
  if (files_.pathsUnder(files_.nodes_.count(key_) ? files_.nodes_[key_].displayPath : key_).empty()) {
    files_.nodes_.erase(key_);
  }
}

class FakeScratchFile : public ScratchFile {
 public:
  FakeScratchFile(FakeFileSystem& files, const std::string& path, std::size_t limit)
      : files_(files), path_(path), hold_(files, FakeFileSystem::key(path)), limit_(limit) {}
  Status seek(std::uint64_t offset) override {
    position_ = offset;
    return 0;
  }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    readFromText(data_, position_, buffer, size, bytesRead);
    return 0;
  }
  std::uint64_t size() const override { return data_.size(); }
  Status write(const void* data, std::size_t size) override {
    FakeFileSystem::Node* node = files_.find(path_);
    if (closed_ || !node) return win_error::kAccessDenied;
    if (data_.size() + size > limit_) return 112;  // the disk is full
    data_.append(static_cast<const char*>(data), size);
    node->data = data_;
    return 0;
  }
  Status close() override {
    closed_ = true;
    return 0;
  }

 private:
  FakeFileSystem& files_;
  std::string path_;
  FakeHeldPath hold_;
  std::size_t limit_;
  std::string data_;
  std::uint64_t position_ = 0;
  bool closed_ = false;
};

int FakeFileSystem::readOpens(const std::string& path) const {
  const auto found = readOpens_.find(key(path));
  return found == readOpens_.end() ? 0 : found->second;
}

bool FakeFileSystem::isHeld(const std::string& path) const {
  const auto found = holds_.find(key(path));
  return found != holds_.end() && found->second > 0;
}

bool FakeFileSystem::createProtectedFolder(const std::string& path, FolderRights rights) {
  if (!createFolder(path)) return false;
  folderRights[path] = rights;
  return true;
}

std::unique_ptr<HeldFolder> FakeFileSystem::createHeldFolder(const std::string& path, FolderRights rights,
                                                             Status& error) {
  if (!createProtectedFolder(path, rights)) {
    error = lastError_;
    return nullptr;
  }
  error = 0;
  return std::make_unique<FakeHeldPath>(*this, key(path));
}

std::unique_ptr<HeldFolder> FakeFileSystem::secureFolder(const std::string& path, FolderRights rights, Status& error) {
  log.push_back("secure folder " + path);
  const FolderSafety safety = folderSafety(path);
  if (!safety.exists) return createHeldFolder(path, rights, error);
  const bool madeWithoutRights = rights == FolderRights::kUsersMayRead && madeByTheUser.count(path) != 0;
  if (safety.isLink || safety.foreignOwner || madeWithoutRights || !folderExists(path)) {
    error = status::kUnsafeFolder;
    return nullptr;
  }
  folderRights[path] = rights;
  error = 0;
  return std::make_unique<FakeHeldPath>(*this, key(path));
}

FolderSafety FakeFileSystem::folderSafety(const std::string& path) {
  FolderSafety safety;
  const Node* node = find(path);
  if (!node) return safety;
  safety.exists = true;
  safety.isLink = node->isLink;
  for (const std::string& owned : foreignOwned) safety.foreignOwner = safety.foreignOwner || key(owned) == key(path);
  return safety;
}

std::unique_ptr<HeldFolder> FakeFileSystem::holdFolder(const std::string& path, Status& error) {
  const Node* node = find(path);
  if (!node || !node->isFolder || node->isLink) {
    error = node ? win_error::kAccessDenied : win_error::kPathNotFound;
    return nullptr;
  }
  error = 0;
  return std::make_unique<FakeHeldPath>(*this, key(path));
}

std::unique_ptr<ScratchFile> FakeFileSystem::createScratchFile(const std::string& path, Status& error) {
  log.push_back("create scratch file " + path);
  const auto limit = makeNewFile(path, error);
  return limit ? std::make_unique<FakeScratchFile>(*this, path, *limit) : nullptr;
}

}  // namespace saverkit::fake
