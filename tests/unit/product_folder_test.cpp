// Making room for a screen saver: the question, what is removed, the folders created, and
// names that must never reach a folder operation.
#include <gtest/gtest.h>

#include "installer/fake/fake_platform.h"
#include "system/product_folder.h"

namespace saverkit {
namespace {

const char* const kTail = " screen saver already exists. Overwrite?";

class ProductFolderTest : public ::testing::Test {
 protected:
  ProductFolderTest() {
    folders.windowsFolder = "C:\\WINDOWS\\";
    folders.sharedFolder = "C:\\ProgramData\\Vantrel\\";
    fakes.files.addFolder("C:\\ProgramData");
    fakes.files.addFolder("C:\\WINDOWS");
  }
  Status prepare(const std::string& name, bool ask) {
    const auto confirm = [this](const std::string& question) {
      return fakes.view.showDialog(DialogKind::kOkCancel, question);
    };
    return prepareProductFolder(fakes.files, confirm, folders, name, ask, kTail, {}, sharedHold);
  }
  fake::FakePlatform fakes;
  Folders folders;
  std::unique_ptr<HeldFolder> sharedHold;
};

TEST_F(ProductFolderTest, FreshInstallCreatesBothFoldersWithoutAsking) {
  EXPECT_EQ(prepare("Ocean Waves", true), 0);
  EXPECT_TRUE(fakes.files.folderExists("C:\\ProgramData\\Vantrel\\Ocean Waves"));
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

TEST_F(ProductFolderTest, ExistingSaverIsReplacedAfterOk) {
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Ocean\\old.swf", "old");
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Other\\keep.swf", "keep");
  fakes.view.answers = {true};
  EXPECT_EQ(prepare("Ocean", true), 0);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].kind, DialogKind::kOkCancel);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Ocean screen saver already exists. Overwrite?");
  EXPECT_FALSE(fakes.files.exists("C:\\ProgramData\\Vantrel\\Ocean\\old.swf"));
  EXPECT_TRUE(fakes.files.folderExists("C:\\ProgramData\\Vantrel\\Ocean"));
  EXPECT_TRUE(fakes.files.exists("C:\\ProgramData\\Vantrel\\Other\\keep.swf"));
}

TEST_F(ProductFolderTest, CancelKeepsEverythingAndGivesMinus454) {
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Ocean\\old.swf", "old");
  fakes.view.answers = {false};
  EXPECT_EQ(prepare("Ocean", true), -454);
  EXPECT_EQ(fakes.files.contents("C:\\ProgramData\\Vantrel\\Ocean\\old.swf"), "old");
}

TEST_F(ProductFolderTest, AScreenSaverFileInTheWindowsFolderAloneTriggersTheQuestion) {
  fakes.files.addFile("C:\\WINDOWS\\Ocean.scr", "engine");
  fakes.view.answers = {true};
  EXPECT_EQ(prepare("Ocean", true), 0);
  EXPECT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_FALSE(fakes.files.exists("C:\\WINDOWS\\Ocean.scr"));
}

TEST_F(ProductFolderTest, QuietInstallReplacesWithoutAsking) {
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Ocean.scr", "engine");
  EXPECT_EQ(prepare("Ocean", false), 0);
  EXPECT_TRUE(fakes.view.dialogs.empty());
  EXPECT_FALSE(fakes.files.exists("C:\\ProgramData\\Vantrel\\Ocean.scr"));
}

TEST_F(ProductFolderTest, CreationFailuresGiveTheSystemCodeButAlreadyExistsIsSuccess) {
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Ocean\\"] = 5;
  EXPECT_EQ(prepare("Ocean", true), 5);
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Ocean\\"] = 183;
  EXPECT_EQ(prepare("Ocean", true), 0);
  fakes.files.folderCreationErrors.clear();
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\"] = 5;
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Sea\\"] = 3;
  EXPECT_EQ(prepare("Sea", true), 3);  // the product folder's failure wins
}

TEST_F(ProductFolderTest, UnsafeNamesNeverReachAFolderOperation) {
  fakes.files.addFile("C:\\ProgramData\\precious.txt", "keep");
  fakes.files.addFile("C:\\ProgramData\\Vantrel.scr", "keep");
  fakes.files.addFile("C:\\WINDOWS\\system32\\kernel32.dll", "keep");
  const auto before = fakes.files.pathsUnder();
  for (const char* name : {"", ".", "..", "..\\..", "a\\b", "a/b", "C:\\x", "x:y", "con", "NUL",
                           "com1", "tab\tname", "star*", "...", "con."}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(prepare(name, true), -600);
    std::string product = "unchanged";
    EXPECT_EQ(deriveProductFolder(folders.sharedFolder, name, product), -600);
    EXPECT_EQ(product, "");
    removeSaverFrom(fakes.files, folders.sharedFolder, name);
  }
  EXPECT_EQ(fakes.files.pathsUnder(), before);
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

// "Aquarium Inc." is a name Windows accepts: its folder is the one Windows stores, and the
// engine and folder of an earlier install under it are found and replaced.
TEST_F(ProductFolderTest, ANameEndingInAFullStopLivesWhereWindowsPutsIt) {
  std::string product;
  EXPECT_EQ(deriveProductFolder("C:\\PD\\Vantrel\\", "Aquarium Inc.", product), 0);
  EXPECT_EQ(product, "C:\\PD\\Vantrel\\Aquarium Inc\\");
  fakes.files.addFile(folders.sharedFolder + "Aquarium Inc\\old.txt", "old");
  EXPECT_TRUE(saverExistsIn(fakes.files, folders.sharedFolder, "Aquarium Inc."));
  removeSaverFrom(fakes.files, folders.sharedFolder, "Aquarium Inc.");
  EXPECT_FALSE(fakes.files.exists(folders.sharedFolder + "Aquarium Inc"));
}

TEST_F(ProductFolderTest, ValidNamesKeepTheirSpacesAndCase) {
  std::string product;
  EXPECT_EQ(deriveProductFolder("C:\\ProgramData\\Vantrel\\", "Deep Blue Sea 3D", product), 0);
  EXPECT_EQ(product, "C:\\ProgramData\\Vantrel\\Deep Blue Sea 3D\\");
  EXPECT_EQ(deriveProductFolder("", "Ocean", product), -600);
}

}  // namespace
}  // namespace saverkit
