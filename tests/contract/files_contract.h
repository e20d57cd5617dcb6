// The platform contract for files, the registry and system information. A harness adds to the
// messaging harness: scratch() (an empty folder with a trailing backslash), holdOpen(path) (keeps
// a file busy while the returned guard lives), registryTestKey(), versionedFile() with
// versionedFileWords().
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"

namespace saverkit::contract {

template <typename Harness>
class FilesContract : public ::testing::Test {
 protected:
  Harness harness;
  std::string write(const std::string& path, const std::string& data) {
    Status error = -1;
    auto file = harness.files().createFile(path, error);
    EXPECT_EQ(error, 0);
    if (file) {
      EXPECT_EQ(file->write(data.data(), data.size()), 0);
      EXPECT_EQ(file->close(), 0);
    }
    return path;
  }
};

TYPED_TEST_SUITE_P(FilesContract);

TYPED_TEST_P(FilesContract, FoldersAreCreatedOnlyUnderExistingParentsAndRemovedOnlyEmpty) {
  FileSystem& files = this->harness.files();
  const std::string base = this->harness.scratch();
  EXPECT_TRUE(files.folderExists(base));
  EXPECT_FALSE(files.createFolder(base + "a\\b"));
  EXPECT_EQ(files.lastError(), win_error::kPathNotFound);
  EXPECT_TRUE(files.createFolder(base + "a"));
  EXPECT_FALSE(files.createFolder(base + "a"));
  EXPECT_EQ(files.lastError(), win_error::kAlreadyExists);
  EXPECT_TRUE(files.folderExists(base + "A\\"));  // case and trailing backslash do not matter
  EXPECT_FALSE(files.fileExists(base + "a"));
  this->write(base + "a\\f.txt", "x");
  EXPECT_FALSE(files.removeFolder(base + "a"));
  EXPECT_EQ(files.lastError(), win_error::kDirNotEmpty);
  EXPECT_TRUE(files.deleteFile(base + "a\\F.TXT"));
  EXPECT_TRUE(files.removeFolder(base + "a"));
  EXPECT_FALSE(files.folderExists(base + "a"));
}

TYPED_TEST_P(FilesContract, WrittenBytesReadBackExactly) {
  FileSystem& files = this->harness.files();
  std::string data;
  for (int i = 0; i < 70000; ++i) data += static_cast<char>(i * 7);
  const std::string path = this->write(this->harness.scratch() + "data.bin", data);
  EXPECT_EQ(files.fileSize(path), data.size());
  Status error = -1;
  auto file = files.openForReading(path, error);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), data.size());
  EXPECT_EQ(file->seek(65536), 0);
  std::string tail(10000, '\0');
  std::size_t got = 0;
  EXPECT_EQ(file->read(tail.data(), tail.size(), got), 0);
  EXPECT_EQ(got, data.size() - 65536);
  EXPECT_EQ(tail.substr(0, got), data.substr(65536));
  EXPECT_EQ(file->read(tail.data(), 1, got), 0);
  EXPECT_EQ(got, 0u);
  // An empty read with no buffer (an empty vector's data()) reads nothing, at the end or not.
  EXPECT_EQ(file->seek(0), 0);
  got = 1;
  EXPECT_EQ(file->read(nullptr, 0, got), 0);
  EXPECT_EQ(got, 0u);

  EXPECT_FALSE(files.openForReading(this->harness.scratch() + "missing.bin", error));
  EXPECT_EQ(error, win_error::kFileNotFound);
  EXPECT_FALSE(files.createFile(this->harness.scratch() + "no\\such\\x.bin", error));
  EXPECT_EQ(error, win_error::kPathNotFound);
  EXPECT_FALSE(files.fileSize(this->harness.scratch()));
}

TYPED_TEST_P(FilesContract, ReadOnlyFilesRefuseDeletionUntilAttributesAreReset) {
  FileSystem& files = this->harness.files();
  const std::string path = this->write(this->harness.scratch() + "ro.txt", "x");
  this->harness.makeReadOnly(path);
  EXPECT_FALSE(files.deleteFile(path));
  EXPECT_EQ(files.lastError(), win_error::kAccessDenied);
  EXPECT_TRUE(files.setNormalAttributes(path));
  EXPECT_TRUE(files.deleteFile(path));
  EXPECT_FALSE(files.deleteFile(path));
  EXPECT_EQ(files.lastError(), win_error::kFileNotFound);
}

TYPED_TEST_P(FilesContract, BusyFilesRefuseDeletion) {
  FileSystem& files = this->harness.files();
  const std::string path = this->write(this->harness.scratch() + "busy.scr", "x");
  {
    auto guard = this->harness.holdOpen(path);
    EXPECT_FALSE(files.deleteFile(path));
    EXPECT_EQ(files.lastError(), win_error::kSharingViolation);
  }
  EXPECT_TRUE(files.deleteFile(path));
}

TYPED_TEST_P(FilesContract, CopyCodes) {
  FileSystem& files = this->harness.files();
  const std::string base = this->harness.scratch();
  const std::string source = this->write(base + "s.txt", "source");
  EXPECT_TRUE(files.copyFile(source, base + "t.txt", false));
  EXPECT_FALSE(files.copyFile(source, base + "t.txt", true));
  EXPECT_EQ(files.lastError(), win_error::kFileExists);
  EXPECT_FALSE(files.copyFile(base + "none.txt", base + "u.txt", false));
  EXPECT_EQ(files.lastError(), win_error::kFileNotFound);
  EXPECT_FALSE(files.copyFile(source, base + "no\\where\\u.txt", false));
  EXPECT_EQ(files.lastError(), win_error::kPathNotFound);
  Status error = -1;
  auto copy = files.openForReading(base + "t.txt", error);
  ASSERT_TRUE(copy);
  std::string text(6, '\0');
  std::size_t got = 0;
  copy->read(text.data(), text.size(), got);
  EXPECT_EQ(text, "source");
}

TYPED_TEST_P(FilesContract, ListingHasNoDotEntries) {
  FileSystem& files = this->harness.files();
  const std::string base = this->harness.scratch();
  files.createFolder(base + "sub");
  this->write(base + "one.txt", "1");
  std::vector<FolderEntry> entries = files.listFolder(base);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "one.txt");
  EXPECT_FALSE(entries[0].isFolder);
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_TRUE(entries[1].isFolder);
  EXPECT_FALSE(entries[1].isLink);
  EXPECT_TRUE(files.listFolder(base + "absent\\").empty());
}

TYPED_TEST_P(FilesContract, RegistryKeysAndValues) {
  Registry& registry = this->harness.registry();
  const std::string path = this->harness.registryTestKey();
  EXPECT_FALSE(registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kRead));
  EXPECT_FALSE(registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kWrite));
  {
    auto key = registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kCreate);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->setString("DisplayName", "Ocean Waves Screen Saver"));
    EXPECT_TRUE(key->setString("UninstallString", "C:\\x\\Ocean Waves.scr /u"));
    auto child = registry.openKey(RegistryRoot::kCurrentUser, path + "\\child", KeyAccess::kCreate);
    ASSERT_TRUE(child);
  }
  {
    // A key opened to be read cannot be written through.
    auto reader = registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kRead);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->readString("DisplayName"), "Ocean Waves Screen Saver");
    EXPECT_FALSE(reader->setString("DisplayName", "changed"));
    EXPECT_FALSE(reader->deleteValue("UninstallString"));
    auto key = registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kWrite);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("displayname"), "Ocean Waves Screen Saver");
    EXPECT_TRUE(key->deleteValue("DisplayName"));
    EXPECT_FALSE(key->deleteValue("DisplayName"));
    EXPECT_FALSE(key->readString("DisplayName"));
  }
  EXPECT_TRUE(registry.deleteKeyTree(RegistryRoot::kCurrentUser, path));
  EXPECT_FALSE(registry.openKey(RegistryRoot::kCurrentUser, path, KeyAccess::kRead));
  EXPECT_FALSE(registry.deleteKeyTree(RegistryRoot::kCurrentUser, path));
}

TYPED_TEST_P(FilesContract, SystemInformation) {
  SystemInfo& system = this->harness.system();
  EXPECT_TRUE(system.readVersion().has_value());
  EXPECT_FALSE(system.systemDirectory().empty());
  const SpecialFolderAnswer common = system.specialFolderLocation(35);
  EXPECT_TRUE(common.callSucceeded);
  ASSERT_TRUE(common.path.has_value());
  EXPECT_FALSE(common.path->empty());
  const auto version = system.fileVersion(this->harness.versionedFile());
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->mostSignificant, this->harness.versionedFileWords().mostSignificant);
  EXPECT_EQ(version->leastSignificant, this->harness.versionedFileWords().leastSignificant);
  const std::string plain = this->write(this->harness.scratch() + "plain.txt", "no version");
  EXPECT_FALSE(system.fileVersion(plain).has_value());
}

TYPED_TEST_P(FilesContract, LibrariesLoadByPathAndExportsAreFoundByName) {
  LibraryLoader& libraries = this->harness.libraries();
  Status error = 0;
  auto library = libraries.load(this->harness.implodeLibrary(), error);
  ASSERT_TRUE(library);
  EXPECT_EQ(error, 0);
  for (const char* name : {"_implode", "_explode", "_crc32"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(library->symbol(name), nullptr);
  }
  EXPECT_EQ(library->symbol("explode"), nullptr);
  EXPECT_FALSE(libraries.load(this->harness.scratch() + "missing.dll", error));
  EXPECT_EQ(error, 126);  // the module could not be found
}

REGISTER_TYPED_TEST_SUITE_P(FilesContract,
                            LibrariesLoadByPathAndExportsAreFoundByName,
                            FoldersAreCreatedOnlyUnderExistingParentsAndRemovedOnlyEmpty,
                            WrittenBytesReadBackExactly,
                            ReadOnlyFilesRefuseDeletionUntilAttributesAreReset,
                            BusyFilesRefuseDeletion, CopyCodes, ListingHasNoDotEntries,
                            RegistryKeysAndValues, SystemInformation);

}  // namespace saverkit::contract
