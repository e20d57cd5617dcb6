// The installer's folders: special folders with their one fallback, the folder values, and the
// numbered working folder.
#include <gtest/gtest.h>

#include <map>

#include "installer/fake/fake_platform.h"
#include "system/folders.h"

namespace saverkit {
namespace {

class FoldersTest : public ::testing::Test {
 protected:
  FoldersTest() {
    fakes.process.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS\\"}};
    fakes.files.addFolder("C:\\Documents and Settings\\user\\Local Settings\\Application Data");
  }
  fake::FakePlatform fakes;
  std::unique_ptr<HeldFolder> hold;
  const std::string local = "C:\\Documents and Settings\\user\\Local Settings\\Application Data\\";
};

TEST_F(FoldersTest, OnlyAppDataAndPersonalFallBack) {
  fakes.system.failingSpecialFolders = {5, 7, 26, 28, 35};
  fakes.system.fallbackFolders = {{5, "D:\\Docs"}, {26, "D:\\Roaming"}, {28, "D:\\Local"},
                                  {35, "D:\\Common"}};
  EXPECT_EQ(getSpecialFolder(fakes.system, 5), "D:\\Docs");
  EXPECT_EQ(getSpecialFolder(fakes.system, 26), "D:\\Roaming");
  EXPECT_EQ(getSpecialFolder(fakes.system, 28), "");
  EXPECT_EQ(getSpecialFolder(fakes.system, 35), "");
  EXPECT_EQ(getSpecialFolder(fakes.system, 7), "");
  // A query that succeeds without a path gives nothing, without the fallback.
  fakes.system.failingSpecialFolders.clear();
  fakes.system.specialFolders.erase(26);
  EXPECT_EQ(getSpecialFolder(fakes.system, 26), "");
}

TEST_F(FoldersTest, EveryValueEndsWithOneBackslash) {
  Folders folders;
  ASSERT_EQ(initFolders(fakes.files, fakes.system, fakes.process, "E:\\Setup\\Ocean.exe", folders, hold), 0);
  EXPECT_EQ(folders.windowsFolder, "C:\\WINDOWS\\");
  EXPECT_EQ(folders.systemFolder, "C:\\WINDOWS\\system32\\");
  EXPECT_EQ(folders.nativeSystemFolder, "C:\\WINDOWS\\Sysnative\\");
  EXPECT_EQ(folders.sharedFolder, "C:\\Documents and Settings\\All Users\\Application Data\\Vantrel\\");
  EXPECT_EQ(folders.installerFolder, "E:\\Setup\\");
  EXPECT_EQ(folders.workingFolder, local + "Vantrel\\ZOR1\\");
  EXPECT_TRUE(fakes.files.folderExists(folders.workingFolder));
  EXPECT_FALSE(fakes.files.folderExists(folders.sharedFolder));  // not created at start
}

TEST_F(FoldersTest, LeftoverWorkingFoldersAreSkippedNeverReused) {
  for (int n = 1; n <= 3; ++n) fakes.files.addFolder(local + "Vantrel\\ZOR" + std::to_string(n));
  std::string folder;
  ASSERT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 0);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR4\\");
  ASSERT_EQ(createWorkingFolder(fakes.files, fakes.system, "FlashPanel", folder, hold), 0);
  EXPECT_EQ(folder, local + "Vantrel\\FlashPanel1\\");
}

TEST_F(FoldersTest, WorkingFolderFailureGivesTheSystemCodeAndTheBase) {
  // A "Vantrel" that cannot be made: its code, and nothing of ours to remove.
  fakes.files.folderCreationErrors[local + "Vantrel"] = 5;
  std::string folder = "unchanged";
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 5);
  EXPECT_EQ(folder, "");
  fakes.files.folderCreationErrors.clear();
  fakes.files.folderCreationErrors[local + "Vantrel\\ZOR1"] = 3;
  fakes.files.folderCreationErrors[local + "Vantrel\\ZOR2"] = 3;
  for (int n = 3; n <= 1000; ++n) fakes.files.addFolder(local + "Vantrel\\ZOR" + std::to_string(n));
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 3);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR");

  // When every numbered folder is taken the installer does not pretend to have one.
  fakes.files.folderCreationErrors.clear();
  for (int n = 1; n <= 1000; ++n) fakes.files.addFolder(local + "Vantrel\\X" + std::to_string(n));
  EXPECT_NE(createWorkingFolder(fakes.files, fakes.system, "X", folder, hold), 0);
}

TEST_F(FoldersTest, UnnamedFoldersStayEmptyInsteadOfPointingAtTheDriveRoot) {
  fakes.system.windowsFolder.clear();
  fakes.system.failingSpecialFolders = {28, 35};
  Folders folders;
  EXPECT_EQ(initFolders(fakes.files, fakes.system, fakes.process, "E:\\Ocean.exe", folders, hold), 3);
  EXPECT_EQ(folders.windowsFolder, "");
  EXPECT_EQ(folders.nativeSystemFolder, "");
  EXPECT_EQ(folders.sharedFolder, "");
  EXPECT_EQ(folders.workingFolder, "");
  EXPECT_TRUE(fakes.files.log.empty());
}

// The user's programs can change the profile and the environment; the folders the installer
// works in are made with rights of their own and held, and the Windows folder comes from the
// system.
TEST_F(FoldersTest, TheWorkingFolderIsMadeForAdministratorsAndHeld) {
  fakes.process.environment = {{"WINDIR", "D:\\Elsewhere"}, {"SystemRoot", "D:\\Elsewhere"}};
  Folders folders;
  ASSERT_EQ(initFolders(fakes.files, fakes.system, fakes.process, "E:\\Ocean.exe", folders, hold), 0);
  EXPECT_EQ(folders.windowsFolder, "C:\\WINDOWS\\");
  EXPECT_EQ(folders.nativeSystemFolder, "C:\\WINDOWS\\Sysnative\\");
  const std::map<std::string, FolderRights> expected = {
      {local + "Vantrel", FolderRights::kAdministratorsOnly}, {local + "Vantrel\\ZOR1", FolderRights::kAdministratorsOnly}};
  EXPECT_EQ(fakes.files.folderRights, expected);
  ASSERT_TRUE(hold);
  EXPECT_TRUE(fakes.files.isHeld(folders.workingFolder));
  EXPECT_FALSE(fakes.files.removeFolder(folders.workingFolder));  // held: it cannot go or be renamed
  hold.reset();
  EXPECT_FALSE(fakes.files.isHeld(folders.workingFolder));
}

TEST_F(FoldersTest, AWorkingFolderUnderALinkIsRefusedAndNothingIsMade) {
  fakes.files.addFolderLink(local + "Vantrel");
  std::string folder = "unchanged";
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), -607);
  EXPECT_EQ(folder, "");  // nothing of ours to remove when the window closes
  EXPECT_FALSE(hold);
  EXPECT_TRUE(fakes.files.folderRights.empty());
  // Neither is a "Vantrel" of another user's, nor a file of that name.
  fakes.files.removeFolder(local + "Vantrel");
  fakes.files.addFolder(local + "Vantrel");
  fakes.files.foreignOwned.insert(local + "Vantrel");
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), -607);
  EXPECT_TRUE(fakes.files.folderRights.empty());
  fakes.files.foreignOwned.clear();
  fakes.files.removeFolder(local + "Vantrel");
  fakes.files.addFile(local + "Vantrel", "a file");
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), -607);
  EXPECT_EQ(fakes.files.pathsUnder(local), std::vector<std::string>{local + "Vantrel"});
  // A real folder of this user's, made by their own programs, is taken over with the working
  // folder's rights, then used: it is in their profile, not shared with other users.
  fakes.files.deleteFile(local + "Vantrel");
  fakes.files.addFile(local + "Vantrel\\theirs.txt", "kept");
  fakes.files.madeByTheUser.insert(local + "Vantrel");
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 0);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR1\\");
  EXPECT_EQ(fakes.files.folderRights.at(local + "Vantrel"), FolderRights::kAdministratorsOnly);
}

}  // namespace
}  // namespace saverkit

namespace saverkit {
namespace {

class LocalFolderTest : public FoldersTest {};

TEST_F(LocalFolderTest, TheWorkingFolderLiesInTheDefaultLocalFolderWhereverTheUserPointsIt) {
  // The user's own "User Shell Folders" value sends Local AppData to the shared folder: taking
  // "Vantrel" over there would lock every user out of the installed savers.
  const std::string common = "C:\\Documents and Settings\\All Users\\Application Data";
  fakes.files.addFolder(common + "\\Vantrel");
  fakes.system.specialFolders[csidl::kLocalAppData] = common;
  fakes.system.defaultFolders[csidl::kLocalAppData] = local.substr(0, local.size() - 1);
  std::string folder;
  ASSERT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 0);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR1\\");
  EXPECT_EQ(fakes.files.folderRights.count(common + "\\Vantrel"), 0u);
  EXPECT_EQ(localCompanyFolder(fakes.system), local + "Vantrel\\");
}

TEST_F(LocalFolderTest, ALinkOnTheWayToTheLocalFolderIsRefusedBeforeAnythingIsTakenOver) {
  // Local swapped for a junction: nothing beneath it is judged, made or taken over.
  const std::string parent = "C:\\Documents and Settings\\user\\Local Settings";
  fakes.files.removeFolder(local);
  fakes.files.addFolderLink(parent + "\\Application Data");
  std::string folder = "unchanged";
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), status::kUnsafeFolder);
  EXPECT_EQ(folder, "");
  EXPECT_FALSE(hold);
  EXPECT_TRUE(fakes.files.folderRights.empty());
  // The same folder as a plain one is used.
  fakes.files.removeFolder(parent + "\\Application Data");
  fakes.files.addFolder(parent + "\\Application Data");
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder, hold), 0);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR1\\");
}

}  // namespace
}  // namespace saverkit
