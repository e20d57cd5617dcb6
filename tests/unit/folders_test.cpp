// The installer's folders: special folders with their one fallback, the folder values, and the
// numbered working folder.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
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
  ASSERT_EQ(initFolders(fakes.files, fakes.system, fakes.process, "E:\\Setup\\Ocean.exe", folders), 0);
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
  ASSERT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder), 0);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR4\\");
  ASSERT_EQ(createWorkingFolder(fakes.files, fakes.system, "FlashPanel", folder), 0);
  EXPECT_EQ(folder, local + "Vantrel\\FlashPanel1\\");
}

TEST_F(FoldersTest, WorkingFolderFailureGivesTheSystemCodeAndTheBase) {
  fakes.files.folderCreationErrors[local + "Vantrel"] = 5;
  std::string folder = "unchanged";
  EXPECT_EQ(createWorkingFolder(fakes.files, fakes.system, "ZOR", folder), 3);
  EXPECT_EQ(folder, local + "Vantrel\\ZOR");

  // When every numbered folder is taken the installer does not pretend to have one.
  fakes.files.folderCreationErrors.clear();
  for (int n = 1; n <= 1000; ++n) fakes.files.addFolder(local + "Vantrel\\X" + std::to_string(n));
  EXPECT_NE(createWorkingFolder(fakes.files, fakes.system, "X", folder), 0);
}

TEST_F(FoldersTest, UnnamedFoldersStayEmptyInsteadOfPointingAtTheDriveRoot) {
  fakes.process.environment.clear();
  fakes.system.failingSpecialFolders = {28, 35};
  Folders folders;
  EXPECT_EQ(initFolders(fakes.files, fakes.system, fakes.process, "E:\\Ocean.exe", folders), 3);
  EXPECT_EQ(folders.windowsFolder, "");
  EXPECT_EQ(folders.nativeSystemFolder, "");
  EXPECT_EQ(folders.sharedFolder, "");
  EXPECT_EQ(folders.workingFolder, "");
  EXPECT_TRUE(fakes.files.log.empty());
}

}  // namespace
}  // namespace saverkit
