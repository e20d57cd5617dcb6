// Deleting, copying and creating files and folders the installer's way, against the fake file
// system with its faults.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

using fake::FakeFileSystem;

TEST(DeleteFileOnce, MissingReadOnlyAndBusyFiles) {
  FakeFileSystem files;
  EXPECT_EQ(deleteFileOnce(files, "C:\\nothing.txt"), 0);

  files.addFile("C:\\ro.txt", "x", /*readOnly=*/true);
  EXPECT_EQ(deleteFileOnce(files, "C:\\ro.txt"), 0);
  EXPECT_FALSE(files.exists("C:\\ro.txt"));
  EXPECT_EQ(files.deleteAttempts("C:\\ro.txt"), 2);  // the second try after the attribute reset

  files.addFile("C:\\busy.dll", "x");
  files.busyFiles["C:\\busy.dll"] = FakeFileSystem::kForever;
  EXPECT_EQ(deleteFileOnce(files, "C:\\busy.dll"), -32);
  EXPECT_EQ(files.deleteAttempts("C:\\busy.dll"), 2);
  EXPECT_TRUE(files.exists("C:\\busy.dll"));
}

TEST(DeleteFileRetrying, AttemptsCodesAndScreenSaverFiles) {
  FakeFileSystem files;
  files.addFile("C:\\w\\temp.dat", "x");
  EXPECT_EQ(deleteFileRetrying(files, "C:\\w\\temp.dat", 0), -1);
  EXPECT_TRUE(files.exists("C:\\w\\temp.dat"));  // no attempt at all

  files.busyFiles["C:\\w\\temp.dat"] = 3;  // busy for the first three deletions
  EXPECT_EQ(deleteFileRetrying(files, "C:\\w\\temp.dat", 100), 0);
  EXPECT_FALSE(files.exists("C:\\w\\temp.dat"));

  files.addFile("C:\\sys\\OCEAN.SCR", "x");
  files.busyFiles["C:\\sys\\OCEAN.SCR"] = FakeFileSystem::kForever;
  EXPECT_EQ(deleteFileRetrying(files, "C:\\sys\\OCEAN.SCR", 1000), -38);
  EXPECT_EQ(files.deleteAttempts("C:\\sys\\OCEAN.SCR"), 2000);  // two tries per attempt

  files.addFile("C:\\sys\\locked.dat", "x");
  files.busyFiles["C:\\sys\\locked.dat"] = FakeFileSystem::kForever;
  EXPECT_EQ(deleteFileRetrying(files, "C:\\sys\\locked.dat", 5), -32);
  EXPECT_EQ(deleteFileRetrying(files, "C:\\sys\\absent.scr", 5), 0);
}

TEST(DeleteFolderTree, RemovesNestedTreesAndReportsWhatStays) {
  FakeFileSystem files;
  EXPECT_EQ(deleteFolderTree(files, ""), -1);
  EXPECT_EQ(deleteFolderTree(files, "C:\\absent\\"), 0);

  files.addFile("C:\\p\\Ocean\\a.swf", "a");
  files.addFile("C:\\p\\Ocean\\media\\deep\\b.jpg", "b", /*readOnly=*/true);
  files.addFolder("C:\\p\\Ocean\\empty");
  files.addFile("C:\\p\\Other\\keep.txt", "k");
  EXPECT_EQ(deleteFolderTree(files, "C:\\p\\Ocean\\"), 0);
  EXPECT_EQ(files.pathsUnder("C:\\p"), (std::vector<std::string>{"C:\\p\\Other", "C:\\p\\Other\\keep.txt"}));

  // A busy file stops the walk with -32 and the folder stays.
  files.addFile("C:\\p\\Busy\\z.dat", "z");
  files.busyFiles["C:\\p\\Busy\\z.dat"] = FakeFileSystem::kForever;
  EXPECT_EQ(deleteFolderTree(files, "C:\\p\\Busy\\"), -32);
  EXPECT_TRUE(files.exists("C:\\p\\Busy\\z.dat"));

  // A busy file in a sub-folder surfaces as -1: the sub-folder cannot be removed, nor the top.
  files.addFile("C:\\p\\Top\\sub\\z.dat", "z");
  files.busyFiles["C:\\p\\Top\\sub\\z.dat"] = FakeFileSystem::kForever;
  EXPECT_EQ(deleteFolderTree(files, "C:\\p\\Top\\"), -1);
}

TEST(DeleteFolderTree, NeverFollowsALinkOutOfTheTree) {
  FakeFileSystem files;
  files.addFile("C:\\Users\\me\\Documents\\thesis.doc", "precious");
  files.addFile("C:\\w\\ZOR1\\temp.dat", "t");
  files.addFolderLink("C:\\w\\ZOR1\\docs");  // a junction that would lead to the documents
  EXPECT_EQ(deleteFolderTree(files, "C:\\w\\ZOR1\\"), 0);
  EXPECT_FALSE(files.exists("C:\\w\\ZOR1"));
  EXPECT_EQ(files.contents("C:\\Users\\me\\Documents\\thesis.doc"), "precious");
}

// Another program swaps a folder of the tree being removed for a junction at a chosen step of the
// removal. The files the junction shows stand for its target's: none may be deleted. A folder the
// walk has reached is held, so swapping it is refused; one it has not reached yet goes as the link.
struct SwapDuringRemoval {
  std::string step;                       // when the swap is tried
  std::string folder;                     // what is swapped
  std::vector<std::string> seenThroughIt;  // the target's files, as the junction shows them
  bool refused;
};

void expectNoFileDeletedThroughTheLink(const std::vector<SwapDuringRemoval>& cases) {
  for (const SwapDuringRemoval& swap : cases) {
    SCOPED_TRACE(swap.step + " / " + swap.folder);
    FakeFileSystem files;
    files.addFile("C:\\w\\ZOR1\\temp.dat", "t");
    files.addFile("C:\\w\\ZOR1\\media\\a.jpg", "a");
    files.addFile("C:\\w\\ZOR1\\media\\b.jpg", "b");
    files.addFile("C:\\w\\ZOR1\\media\\deep\\c.jpg", "c");
    files.addFile("C:\\w\\ZOR1\\scenes\\x.jpg", "x");
    int attempts = 0;
    bool swapped = false;
    std::size_t swappedAt = 0;  // in the log
    files.beforeStep = [&](const std::string& now) {
      if (now != swap.step || attempts++ > 0) return;
      swapped = files.swapForLink(swap.folder, swap.seenThroughIt);
      swappedAt = files.log.size();
    };
    EXPECT_EQ(deleteFolderTree(files, "C:\\w\\ZOR1\\"), 0);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(swapped, !swap.refused);
    EXPECT_FALSE(files.exists("C:\\w\\ZOR1"));
    if (!swapped) continue;
    // Once swapped, a deletion by one of these paths would go through the link.
    for (const std::string& name : swap.seenThroughIt) {
      const std::string throughTheLink = "delete " + swap.folder + "\\" + name;
      EXPECT_EQ(std::count(files.log.begin() + static_cast<std::ptrdiff_t>(swappedAt), files.log.end(), throughTheLink), 0)
          << throughTheLink;
    }
  }
}

TEST(DeleteFolderTree, ATopSwappedForALinkOnceJudgedIsHeld) {
  expectNoFileDeletedThroughTheLink({
      {"list C:\\w\\ZOR1\\", "C:\\w\\ZOR1", {"thesis.doc", "photos\\kid.jpg"}, true},
  });
}

TEST(DeleteFolderTree, AFolderInTheMiddleSwappedForALinkOnceJudgedIsHeld) {
  expectNoFileDeletedThroughTheLink({
      {"list C:\\w\\ZOR1\\media\\", "C:\\w\\ZOR1\\media", {"thesis.doc", "a.jpg"}, true},
      {"list C:\\w\\ZOR1\\media\\deep\\", "C:\\w\\ZOR1\\media\\deep", {"c.jpg"}, true},
  });
}

TEST(DeleteFolderTree, ALinkSwappedInDuringTheWalkIsNeverFollowed) {
  expectNoFileDeletedThroughTheLink({
      // The folder being emptied, swapped for a junction whose target has files of the same names.
      {"delete C:\\w\\ZOR1\\media\\a.jpg", "C:\\w\\ZOR1\\media", {"a.jpg", "b.jpg"}, true},
      // An ancestor of the file being deleted.
      {"delete C:\\w\\ZOR1\\media\\deep\\c.jpg", "C:\\w\\ZOR1\\media", {"b.jpg", "deep\\c.jpg"}, true},
      // A folder the walk has not reached yet: it is a link when reached, and goes as one.
      {"delete C:\\w\\ZOR1\\media\\a.jpg", "C:\\w\\ZOR1\\scenes", {"x.jpg"}, false},
  });
}

TEST(CopyFilePrepared, CreatesTheChainAndReplacesReadOnlyTargets) {
  FakeFileSystem files;
  files.addFile("C:\\w\\readme.txt", "new", /*readOnly=*/true);
  EXPECT_TRUE(copyFilePrepared(files, "C:\\w\\readme.txt", "C:\\p\\a\\b\\c\\readme.txt", false));
  EXPECT_EQ(files.contents("C:\\p\\a\\b\\c\\readme.txt"), "new");
  EXPECT_FALSE(files.isReadOnly("C:\\w\\readme.txt"));

  files.addFile("C:\\p\\old.txt", "old", /*readOnly=*/true);
  EXPECT_TRUE(copyFilePrepared(files, "C:\\w\\readme.txt", "C:\\p\\old.txt", false));
  EXPECT_EQ(files.contents("C:\\p\\old.txt"), "new");
  EXPECT_FALSE(copyFilePrepared(files, "C:\\w\\readme.txt", "C:\\p\\old.txt", true));
  EXPECT_EQ(files.lastError(), 80);
  EXPECT_FALSE(copyFilePrepared(files, "C:\\w\\missing.txt", "C:\\p\\x.txt", false));
  EXPECT_EQ(files.lastError(), 2);
}

TEST(ForceFolders, CreatesEveryMissingParentOnce) {
  FakeFileSystem files;
  files.addFolder("C:\\ProgramData");
  forceFolders(files, "C:\\ProgramData\\Vantrel\\Ocean\\media\\");
  EXPECT_TRUE(files.folderExists("C:\\ProgramData\\Vantrel\\Ocean\\media"));
  EXPECT_EQ(files.log, (std::vector<std::string>{"create folder C:\\ProgramData\\Vantrel",
                                                 "create folder C:\\ProgramData\\Vantrel\\Ocean",
                                                 "create folder C:\\ProgramData\\Vantrel\\Ocean\\media"}));
  files.log.clear();
  forceFolders(files, "C:\\ProgramData\\Vantrel\\Ocean\\media\\");
  EXPECT_TRUE(files.log.empty());
}

TEST(MyGetFileVersion, HighWordsOfBothVersionWordsOrUntouched) {
  fake::FakeSystemInfo system;
  system.fileVersions["C:\\Flash.ocx"] = {(10u << 16) | 0u, (45u << 16) | 2u};
  std::int32_t major = -1, third = -1;
  myGetFileVersion(system, "C:\\Flash.ocx", major, third);
  EXPECT_EQ(major, 10);
  EXPECT_EQ(third, 45);
  major = 77;
  third = 88;
  myGetFileVersion(system, "C:\\plain.txt", major, third);
  EXPECT_EQ(major, 77);
  EXPECT_EQ(third, 88);
}

}  // namespace
}  // namespace saverkit

namespace saverkit {
namespace {

// A product folder that is itself a junction (anyone may create one under the common data
// folder) goes as the link; what it points to is never entered.
TEST(DeleteFolderTree, AFolderThatIsALinkGoesAsTheLink) {
  fake::FakeFileSystem files;
  files.addFolderLink("C:\\PD\\Vantrel\\Ocean");
  files.addFile("C:\\PD\\Vantrel\\Ocean\\seen-through-the-link.txt", "not ours");
  EXPECT_EQ(deleteFolderTree(files, "C:\\PD\\Vantrel\\Ocean\\"), 0);
  EXPECT_FALSE(files.exists("C:\\PD\\Vantrel\\Ocean"));
  EXPECT_EQ(files.log, std::vector<std::string>{"remove folder C:\\PD\\Vantrel\\Ocean"});  // nothing inside
}

}  // namespace
}  // namespace saverkit
