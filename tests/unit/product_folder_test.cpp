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
    return prepareProductFolder(fakes.files, confirm, folders, name, ask, kTail, {}, sharedHold, productHold);
  }
  fake::FakePlatform fakes;
  Folders folders;
  std::unique_ptr<HeldFolder> sharedHold;
  std::unique_ptr<HeldFolder> productHold;
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

// A folder that appears at the name between its removal and its creation is never taken over.
TEST_F(ProductFolderTest, CreationFailuresGiveTheSystemCodeAlreadyExistsIncluded) {
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Ocean\\"] = 5;
  EXPECT_EQ(prepare("Ocean", true), 5);
  EXPECT_FALSE(productHold);
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Ocean\\"] = 183;
  EXPECT_EQ(prepare("Ocean", true), 183);
  fakes.files.folderCreationErrors.clear();
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\"] = 5;
  fakes.files.folderCreationErrors["C:\\ProgramData\\Vantrel\\Sea\\"] = 3;
  EXPECT_EQ(prepare("Sea", true), 3);  // the product folder's failure wins
}

// The log's entries from the first that starts with `first`, in order.
std::vector<std::string> logFrom(const std::vector<std::string>& log, const std::string& first) {
  std::vector<std::string> tail;
  for (const std::string& line : log) {
    if (!tail.empty() || line.rfind(first, 0) == 0) tail.push_back(line);
  }
  return tail;
}

// Planted before the first install: a folder of the user's with a file and a junction inside.
// It is moved aside and removed (the junction as itself), and the product folder is made anew
// with the shared folder's rights and held; the junction's target keeps its files.
TEST_F(ProductFolderTest, APlantedFolderIsMovedAsideRemovedAndMadeAnew) {
  const std::string product = "C:\\ProgramData\\Vantrel\\Ocean";
  fakes.files.addFile(product + "\\planted.txt", "theirs");
  fakes.files.addFolderLink(product + "\\media");
  fakes.files.addFile("C:\\Users\\u\\target\\keep.txt", "keep");
  fakes.files.foreignOwned.insert(product);
  fakes.view.answers = {true};
  EXPECT_EQ(prepare("Ocean", true), 0);
  EXPECT_EQ(fakes.files.pathsUnder(product), std::vector<std::string>{});
  EXPECT_TRUE(fakes.files.folderExists(product));
  EXPECT_FALSE(fakes.files.exists(product + ".1"));
  EXPECT_EQ(fakes.files.contents("C:\\Users\\u\\target\\keep.txt"), "keep");
  ASSERT_TRUE(productHold);
  EXPECT_TRUE(fakes.files.isHeld(product));
  EXPECT_EQ(fakes.files.folderRights.at(product), FolderRights::kUsersMayRead);
  EXPECT_EQ(logFrom(fakes.files.log, "move aside"),
            (std::vector<std::string>{"move aside " + product + " -> " + product + ".1",
                                      "remove folder " + product + ".1\\media",
                                      "delete " + product + ".1\\planted.txt",
                                      "remove folder " + product + ".1",
                                      "create folder " + product}));
}

// A link at the product folder's own name goes as itself. A plain file there stays as it is, and
// no product folder is made (the install then fails at its first file there); the old engines
// still go, as they do before any product folder is made.
TEST_F(ProductFolderTest, ALinkAtTheNameGoesAsItselfAFileStays) {
  fakes.files.addFolderLink("C:\\ProgramData\\Vantrel\\Ocean");
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Ocean\\seen-through.txt", "theirs");
  EXPECT_EQ(prepare("Ocean", false), 0);
  EXPECT_FALSE(fakes.files.isLink("C:\\ProgramData\\Vantrel\\Ocean"));
  EXPECT_TRUE(fakes.files.folderExists("C:\\ProgramData\\Vantrel\\Ocean"));
  productHold.reset();
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Sea", "a file");
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Sea.scr", "old engine");
  EXPECT_EQ(prepare("Sea", false), 0);
  EXPECT_FALSE(productHold);
  EXPECT_EQ(fakes.files.contents("C:\\ProgramData\\Vantrel\\Sea"), "a file");
  EXPECT_FALSE(fakes.files.exists("C:\\ProgramData\\Vantrel\\Sea.scr"));
}

// An old folder that cannot be moved (a program holds a file in it) or cannot be removed wholly
// stops the install with -607 before anything else changes: the old saver stays installed.
TEST_F(ProductFolderTest, AnOldFolderThatStaysChangesNothing) {
  const std::string product = "C:\\ProgramData\\Vantrel\\Ocean";
  fakes.files.addFile(product + "\\old.swf", "old");
  fakes.files.addFile(product + "\\media\\in-use.jpg", "open");
  fakes.files.addFile("C:\\WINDOWS\\Ocean.scr", "engine");
  fakes.files.addFile("C:\\ProgramData\\Vantrel\\Ocean.scr", "engine");
  ASSERT_EQ(prepare("Other", false), 0);  // the shared folder exists; the record starts here
  productHold.reset();
  const auto before = fakes.files.pathsUnder();
  {
    Status error = 0;
    const auto inUse = fakes.files.openForReading(product + "\\media\\in-use.jpg", error);
    EXPECT_EQ(prepare("Ocean", false), -607);
    EXPECT_EQ(fakes.files.pathsUnder(), before);
    EXPECT_FALSE(productHold);
  }
  fakes.files.moveRefused.insert(product);
  EXPECT_EQ(prepare("Ocean", false), -607);
  EXPECT_EQ(fakes.files.pathsUnder(), before);
  EXPECT_EQ(fakes.files.log.back(), "move refused " + product);

  // Moved, then a file in it will not go: what is left goes back under its name.
  fakes.files.moveRefused.clear();
  fakes.files.busyFiles[product + ".1\\media\\in-use.jpg"] = fake::FakeFileSystem::kForever;
  EXPECT_EQ(prepare("Ocean", false), -607);
  EXPECT_EQ(fakes.files.log.back(), "put back " + product);
  EXPECT_EQ(fakes.files.contents(product + "\\media\\in-use.jpg"), "open");
  EXPECT_FALSE(fakes.files.exists(product + ".1"));
  EXPECT_TRUE(fakes.files.exists("C:\\WINDOWS\\Ocean.scr"));
  EXPECT_TRUE(fakes.files.exists("C:\\ProgramData\\Vantrel\\Ocean.scr"));

  // Once nothing holds it, the same folder goes.
  fakes.files.busyFiles.clear();
  EXPECT_EQ(prepare("Ocean", false), 0);
  EXPECT_EQ(fakes.files.pathsUnder(product), std::vector<std::string>{});
  EXPECT_FALSE(fakes.files.exists("C:\\WINDOWS\\Ocean.scr"));
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
