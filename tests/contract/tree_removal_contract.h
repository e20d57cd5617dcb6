// The platform contract for removing a folder tree. A harness adds to the files harness:
// makeFolderLink(link, target), which makes `link` a symbolic link or junction to the folder
// `target` and says whether the platform could.
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace saverkit::contract {

template <typename Harness>
class TreeRemovalContract : public ::testing::Test {
 protected:
  Harness harness;
  FileSystem& files() { return harness.files(); }
  void write(const std::string& path) {
    Status error = -1;
    auto file = files().createFile(path, error);
    ASSERT_TRUE(file) << path;
    EXPECT_EQ(file->write("x", 1), 0);
    EXPECT_EQ(file->close(), 0);
  }
  // A folder of someone else's, which a link will lead to.
  std::string makeTarget() {
    const std::string target = harness.scratch() + "elsewhere";
    files().createFolder(target);
    files().createFolder(target + "\\inner");
    write(target + "\\keep.txt");
    write(target + "\\inner\\keep2.txt");
    return target;
  }
  void expectTargetUntouched(const std::string& target) {
    EXPECT_TRUE(files().fileExists(target + "\\keep.txt"));
    EXPECT_TRUE(files().fileExists(target + "\\inner\\keep2.txt"));
  }
};

TYPED_TEST_SUITE_P(TreeRemovalContract);

TYPED_TEST_P(TreeRemovalContract, NestedTreesGoWithReadOnlyFilesAndEverythingElseStays) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  const std::string tree = base + "tree";
  files.createFolder(tree);
  files.createFolder(tree + "\\empty");
  files.createFolder(tree + "\\media");
  files.createFolder(tree + "\\media\\deep");
  this->write(tree + "\\a.txt");
  this->write(tree + "\\media\\deep\\b.jpg");
  this->harness.makeReadOnly(tree + "\\media\\deep\\b.jpg");
  this->write(base + "sibling.txt");
  EXPECT_EQ(files.removeFolderTree(tree + "\\"), 0);
  EXPECT_FALSE(files.folderExists(tree));
  EXPECT_TRUE(files.fileExists(base + "sibling.txt"));

  EXPECT_EQ(files.removeFolderTree(""), -1);
  EXPECT_EQ(files.removeFolderTree(base + "absent\\"), 0);
  // A file is not a folder tree: it stays.
  EXPECT_EQ(files.removeFolderTree(base + "sibling.txt"), 0);
  EXPECT_TRUE(files.fileExists(base + "sibling.txt"));
}

TYPED_TEST_P(TreeRemovalContract, ABusyFileStopsItsFolderAndTheTopStays) {
  FileSystem& files = this->files();
  const std::string tree = this->harness.scratch() + "tree";
  files.createFolder(tree);
  files.createFolder(tree + "\\sub");
  this->write(tree + "\\sub\\busy.dat");
  {
    auto guard = this->harness.holdOpen(tree + "\\sub\\busy.dat");
    EXPECT_EQ(files.removeFolderTree(tree + "\\"), -1);  // deeper down: its folder stays, so the top
    EXPECT_TRUE(files.fileExists(tree + "\\sub\\busy.dat"));
    this->write(tree + "\\busy.scr");
    auto direct = this->harness.holdOpen(tree + "\\busy.scr");
    EXPECT_EQ(files.removeFolderTree(tree + "\\"), -32);
    EXPECT_TRUE(files.fileExists(tree + "\\busy.scr"));
  }
  EXPECT_EQ(files.removeFolderTree(tree + "\\"), 0);
  EXPECT_FALSE(files.folderExists(tree));
}

// Where the link can be removed it goes with the tree; where it cannot (Wine keeps a Unix symbolic
// link to a folder), it alone stays and the removal says -1. Either way its target keeps everything.
TYPED_TEST_P(TreeRemovalContract, LinksAtTheTopAndInsideAreNeverEntered) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  const std::string target = this->makeTarget();
  const std::string tree = base + "tree";
  files.createFolder(tree);
  files.createFolder(tree + "\\media");
  this->write(tree + "\\media\\own.jpg");
  if (!this->harness.makeFolderLink(tree + "\\media\\shared", target)) GTEST_SKIP() << "no links here";
  const Status inside = files.removeFolderTree(tree + "\\");
  this->expectTargetUntouched(target);
  EXPECT_FALSE(files.fileExists(tree + "\\media\\own.jpg"));
  if (inside == 0) {
    EXPECT_FALSE(files.folderExists(tree));
  } else {
    EXPECT_EQ(inside, -1);
    EXPECT_TRUE(files.isLink(tree + "\\media\\shared"));
  }

  ASSERT_TRUE(this->harness.makeFolderLink(base + "linked", target));
  const Status top = files.removeFolderTree(base + "linked\\");
  this->expectTargetUntouched(target);
  EXPECT_EQ(top == 0, !files.isLink(base + "linked"));
  if (top != 0) EXPECT_EQ(top, -1);
}

// An empty target is where a removal that follows links would succeed: Wine removes the folder a
// Unix symbolic link leads to when asked to remove the link.
TYPED_TEST_P(TreeRemovalContract, ALinkToAnEmptyFolderLeavesThatFolder) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  const std::string empty = base + "empty";
  files.createFolder(empty);
  files.createFolder(base + "tree");
  if (!this->harness.makeFolderLink(base + "tree\\shared", empty)) GTEST_SKIP() << "no links here";
  ASSERT_TRUE(this->harness.makeFolderLink(base + "linked", empty));
  const Status inside = files.removeFolderTree(base + "tree\\");
  EXPECT_TRUE(files.folderExists(empty));
  EXPECT_EQ(inside == 0, !files.folderExists(base + "tree"));
  const Status top = files.removeFolderTree(base + "linked");
  EXPECT_TRUE(files.folderExists(empty));
  EXPECT_EQ(top == 0, !files.isLink(base + "linked"));
}

// Work relative to held folders: a new folder is never an existing one, files and their
// folders are made below the hold, only a plain file is deleted, and the tree goes through it.
TYPED_TEST_P(TreeRemovalContract, FoldersAndFilesAreMadeAndRemovedRelativeToAHold) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  Status error = -1;
  auto scratch = files.holdFolderWithoutLinks(base, error);
  ASSERT_TRUE(scratch);
  EXPECT_EQ(error, 0);
  auto product = files.createHeldFolderIn(*scratch, "product", FolderRights::kUsersMayRead, error);
  ASSERT_TRUE(product);
  EXPECT_FALSE(files.createHeldFolderIn(*scratch, "product", FolderRights::kUsersMayRead, error));
  EXPECT_EQ(error, win_error::kAlreadyExists);
  for (const char* text : {"first", "second"}) {  // the second replaces the first
    auto file = files.createFileIn(*product, "scenes\\deep\\a.txt", error);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->write(text, 5), 0);
    EXPECT_EQ(file->close(), 0);
  }
  auto read = files.openForReading(base + "product\\scenes\\deep\\a.txt", error);
  ASSERT_TRUE(read);
  std::string text(5, '\0');
  std::size_t got = 0;
  read->read(text.data(), text.size(), got);
  read.reset();
  EXPECT_EQ(text, "secon");
  this->write(base + "product\\plain.lnk");
  this->harness.makeReadOnly(base + "product\\plain.lnk");
  EXPECT_EQ(files.deletePlainFileIn(*product, "plain.lnk"), 0);
  EXPECT_FALSE(files.fileExists(base + "product\\plain.lnk"));
  EXPECT_EQ(files.deletePlainFileIn(*product, "missing.lnk"), 0);
  EXPECT_EQ(files.deletePlainFileIn(*product, "scenes"), -32);
  EXPECT_TRUE(files.folderExists(base + "product\\scenes"));
  EXPECT_EQ(files.removeTreeThrough(*product), 0);
  product.reset();
  EXPECT_FALSE(files.folderExists(base + "product"));
}

// An entry is taken out of the way wholly, or stays where it was.
TYPED_TEST_P(TreeRemovalContract, AnEntryGoesWhollyOrStaysUnderItsName) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  Status error = -1;
  auto scratch = files.holdFolderWithoutLinks(base, error);
  ASSERT_TRUE(scratch);
  files.createFolder(base + "old");
  files.createFolder(base + "old\\sub");
  this->write(base + "old\\sub\\busy.txt");
  // Listed before the busy one: it must not go either (Wine renames a folder whatever is open in
  // it, so there the busy file is met only in the walk).
  this->write(base + "old\\a-first.txt");
  {
    auto guard = this->harness.holdOpen(base + "old\\sub\\busy.txt");
    EXPECT_EQ(files.removeEntryIn(*scratch, "old"), -607);
    EXPECT_TRUE(files.fileExists(base + "old\\sub\\busy.txt"));
    EXPECT_TRUE(files.fileExists(base + "old\\a-first.txt"));
    EXPECT_FALSE(files.folderExists(base + "old.1"));
  }
  this->write(base + "old\\a.txt");
  this->harness.makeReadOnly(base + "old\\a.txt");
  EXPECT_EQ(files.removeEntryIn(*scratch, "old"), 0);
  EXPECT_FALSE(files.folderExists(base + "old"));
  EXPECT_FALSE(files.folderExists(base + "old.1"));
  this->write(base + "file.txt");
  EXPECT_EQ(files.removeEntryIn(*scratch, "file.txt"), 0);
  EXPECT_FALSE(files.fileExists(base + "file.txt"));
  EXPECT_EQ(files.removeEntryIn(*scratch, "absent"), 0);
}

// A link on the way to a held folder, or at a name to delete, is refused, never followed.
TYPED_TEST_P(TreeRemovalContract, LinksOnTheWayAreRefused) {
  FileSystem& files = this->files();
  const std::string base = this->harness.scratch();
  const std::string target = this->makeTarget();
  if (!this->harness.makeFolderLink(base + "linked", target)) GTEST_SKIP() << "no links here";
  Status error = -1;
  EXPECT_FALSE(files.holdFolderWithoutLinks(base + "linked", error));
  EXPECT_EQ(error, -607);
  EXPECT_FALSE(files.holdFolderWithoutLinks(base + "linked\\inner", error));
  EXPECT_EQ(error, -607);
  auto scratch = files.holdFolderWithoutLinks(base, error);
  ASSERT_TRUE(scratch);
  EXPECT_EQ(files.deletePlainFileIn(*scratch, "linked"), -32);
  EXPECT_FALSE(files.createFileIn(*scratch, "linked\\keep.txt", error));
  EXPECT_EQ(error, -607);
  this->expectTargetUntouched(target);
  EXPECT_FALSE(files.holdFolderWithoutLinks(base + "absent", error));
  EXPECT_TRUE(error == win_error::kFileNotFound || error == win_error::kPathNotFound) << error;
}

REGISTER_TYPED_TEST_SUITE_P(TreeRemovalContract, NestedTreesGoWithReadOnlyFilesAndEverythingElseStays,
                            ABusyFileStopsItsFolderAndTheTopStays, LinksAtTheTopAndInsideAreNeverEntered,
                            ALinkToAnEmptyFolderLeavesThatFolder, FoldersAndFilesAreMadeAndRemovedRelativeToAHold,
                            AnEntryGoesWhollyOrStaysUnderItsName, LinksOnTheWayAreRefused);

}  // namespace saverkit::contract
