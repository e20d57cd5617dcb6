// Extracting slots: destinations, replacing files in use, stored and imploded data, broken and
// hostile packages, the install loop and the document copy.
#include <gtest/gtest.h>

#include "installer/package_reader.h"
#include "installer/slot_extraction.h"
#include "package_fixture.h"

namespace saverkit {
namespace {

using saverkit::testing::InstallerImage;

const std::string kWork = "C:\\Local\\Vantrel\\ZOR1\\";
const std::string kSystem = "C:\\WINDOWS\\system32\\";
const std::string kNative = "C:\\WINDOWS\\Sysnative\\";
const std::string kShared = "C:\\PD\\Vantrel\\";
const std::string kProduct = "C:\\PD\\Vantrel\\Ocean\\";

class SlotExtractionTest : public ::testing::Test {
 protected:
  SlotExtractionTest() {
    context.folders = {"C:\\WINDOWS\\", kSystem, kNative, kShared, "C:\\Downloads\\", kWork};
    context.productFolder = kProduct;
    context.workCopyPath = kWork + "temp.dat";
    for (const std::string& folder : {kWork, kSystem, kNative, kProduct}) fakes.files.addFolder(folder);
    saverkit::testing::registerNativeCodec(fakes.libraries, kWork + "impborl.dll");
  }
  // Writes the image as the working copy and reads its header (extracting slot 1).
  void load() {
    context.package = saverkit::testing::scratchWith(fakes.files, context.workCopyPath, image.bytes());
    ASSERT_EQ(readPackageHeader(context), 0);
  }
  Status extract(int slot) { return extractSlot(context, *context.package, slot, false); }

  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
  InstallerImage image;
};

TEST_F(SlotExtractionTest, DestinationKinds) {
  struct Row {
    int kind;
    const char* name;
    std::string target;
  };
  const Row rows[] = {
      {1, "a.swf", kProduct + "a.swf"},
      {5, "b.swf", kProduct + "b.swf"},
      {6, "c.swf", kProduct + "c.swf"},
      {10, "d.swf", kProduct + "d.swf"},
      {2, "Ocean.scr", kSystem + "Ocean.scr"},
      {3, "install_flash_player_10_active_x.exe", kWork + "install_flash_player_10_active_x.exe"},
      {3, "install_flash_player_active_x.exe", kWork + "install_flash_player_active_x.exe"},
      {3, "Install_Flash_Player_Active_X.exe", kShared + "Install_Flash_Player_Active_X.dll"},
      {3, "helper.ocx", kShared + "helper.dll"},
      {4, "impborl.dat", kWork + "impborl.dll"},
      {4, "IMPBORL.DAT", kWork + "IMPBORL.DAT"},
      {4, "movie.swf", kWork + "movie.swf"},
      {7, "saver.dat", kWork + "saver.dat"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.kind) + " " + row.name);
    PackageEntry entry;
    entry.name = row.name;
    entry.destination = row.kind;
    SlotTarget target;
    ASSERT_EQ(resolveSlotTarget(context, entry, target), 0);
    EXPECT_EQ(target.path, row.target);
    EXPECT_EQ(target.nativeCopy, "");
  }
  for (const int kind : {0, 8, 9, 11, -1}) {
    SCOPED_TRACE(kind);
    PackageEntry entry;
    entry.name = "x.bin";
    entry.destination = kind;
    SlotTarget target;
    EXPECT_EQ(resolveSlotTarget(context, entry, target), -603);
  }
}

// A slot without a destination folder has no path to show: the box names the slot's file.
TEST_F(SlotExtractionTest, ASlotWithoutADestinationIsNamedInItsBox) {
  image.setSlot(7, "nowhere.bin", 0, "data");
  load();
  EXPECT_EQ(extract(7), -603);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Installation Error: nowhere.bin\r\n\r\nProblem with file nowhere.bin. ");
}

TEST_F(SlotExtractionTest, SystemFilesAreCopiedToTheNativeFolderOnlyUnderWow64) {
  image.setSlot(6, "Ocean.scr", 2, "engine bytes");
  load();
  EXPECT_EQ(extract(6), 0);
  EXPECT_EQ(fakes.files.contents(kSystem + "Ocean.scr"), "engine bytes");
  EXPECT_FALSE(fakes.files.exists(kNative + "Ocean.scr"));
  context.state.osKind = 7;
  EXPECT_EQ(extract(6), 0);
  EXPECT_EQ(fakes.files.contents(kNative + "Ocean.scr"), "engine bytes");
}

TEST_F(SlotExtractionTest, ImplodedSlotsExpandAndAreCheckedBySize) {
  std::string movie;
  for (int i = 0; i < 3000; ++i) movie += "frame " + std::to_string(i) + ";";
  image.setSlot(7, "movie.swf", 1, movie, /*imploded=*/true);
  image.setSlot(9, "wrong.swf", 1, movie, /*imploded=*/true);
  image.header.entries[9].expandedSize += 1;
  image.setSlot(10, "wrong.dll", 1, movie, /*imploded=*/true);
  image.header.entries[10].expandedSize -= 1;
  load();
  EXPECT_EQ(extract(7), 0);
  EXPECT_EQ(fakes.files.contents(kProduct + "movie.swf"), movie);
  EXPECT_EQ(extract(9), -13);
  EXPECT_FALSE(fakes.files.exists(kProduct + "wrong.swf"));  // nothing half-right stays
  EXPECT_TRUE(fakes.view.dialogs.empty());                   // not a ".dll": the caller reports
  EXPECT_EQ(extract(10), -13);
  EXPECT_EQ(fakes.view.dialogs.size(), 1u);                  // a ".dll" is shown
  // One load serves every slot of the run; letting it go unloads it, so its folder can go.
  EXPECT_EQ(fakes.libraries.loads.size(), 1u);
  EXPECT_EQ(fakes.libraries.loadedNow, 1);
  releaseCodec(context);
  EXPECT_EQ(fakes.libraries.loadedNow, 0);
}

TEST_F(SlotExtractionTest, ImplodedSlotWithoutTheLibraryIsMinus35) {
  image.setSlot(7, "movie.swf", 1, "data", true);
  load();
  EXPECT_FALSE(fakes.files.deleteFile(kWork + "impborl.dll"));  // held from its writing on
  context.heldLibrary.reset();
  ASSERT_TRUE(fakes.files.deleteFile(kWork + "impborl.dll"));
  EXPECT_EQ(extract(7), -35);
  EXPECT_FALSE(fakes.files.exists(kProduct + "movie.swf"));
}

// Checked before cleared: a slot that cannot be written costs the old file nothing, whatever
// folder it names; one byte is enough to replace it.
TEST_F(SlotExtractionTest, EmptyAndNegativeStoredLengthsAreMinus7AndDeleteNothing) {
  fakes.files.addFile(kSystem + "empty.bin", "old");
  fakes.files.addFile(kProduct + "backwards.bin", "old");
  image.setSlot(7, "empty.bin", 2, "");
  image.setSlot(9, "backwards.bin", 1, "");
  image.setOffsets(9, 700000, 690000);
  image.setSlot(10, "one.bin", 2, "1");
  fakes.files.addFile(kSystem + "one.bin", "old");
  load();
  EXPECT_EQ(extract(7), -7);
  EXPECT_EQ(extract(9), -7);
  EXPECT_EQ(fakes.files.contents(kSystem + "empty.bin"), "old");
  EXPECT_EQ(fakes.files.contents(kProduct + "backwards.bin"), "old");
  EXPECT_EQ(extract(10), 0);
  EXPECT_EQ(fakes.files.contents(kSystem + "one.bin"), "1");
}

TEST_F(SlotExtractionTest, OffsetsOutsideTheFileAreRefusedBeforeTheOldFileIsTouched) {
  fakes.files.addFile(kProduct + "far.bin", "old");
  image.setSlot(7, "far.bin", 1, "");
  image.setOffsets(7, 2000000, 2000100);
  image.setSlot(9, "huge.bin", 1, "");
  image.setOffsets(9, 690176, 2147483647);
  image.setSlot(10, "negative.bin", 1, "");
  image.setOffsets(10, -100, 50);
  load();
  // Bytes the file does not have mean a file cut short (-30); a start before the file is a
  // damaged header (-602, always shown).
  EXPECT_EQ(extract(7), -30);
  EXPECT_EQ(extract(9), -30);
  EXPECT_EQ(extract(10), -602);
  EXPECT_EQ(fakes.files.contents(kProduct + "far.bin"), "old");
  EXPECT_FALSE(fakes.files.exists(kProduct + "huge.bin"));
  EXPECT_EQ(fakes.view.dialogs.size(), 1u);
}

TEST_F(SlotExtractionTest, AnExpandedSizeNoStreamCouldReachIsRefused) {
  image.setSlot(7, "bomb.bin", 1, "tiny", true);
  image.header.entries[7].expandedSize = 2000000000;
  load();
  EXPECT_EQ(extract(7), -13);
  EXPECT_FALSE(fakes.files.exists(kProduct + "bomb.bin"));
}

TEST_F(SlotExtractionTest, NamesThatAreNotBareFileNamesWriteNothing) {
  load();
  const auto before = fakes.files.pathsUnder();
  for (const char* name : {"..\\..\\evil.dll", "sub\\x.dll", "C:\\x.dll", "a:b", "CON", "tab\tx"}) {
    SCOPED_TRACE(name);
    context.header.entries[7].name = name;
    context.header.entries[7].destination = 1;
    EXPECT_EQ(extract(7), -601);
  }
  EXPECT_EQ(fakes.files.pathsUnder(), before);
}

TEST_F(SlotExtractionTest, ALibraryInUseKeepsItsPlaceButAScreenSaverDoesNot) {
  image.setSlot(7, "helper.dll", 2, "new library");
  image.setSlot(6, "Ocean.scr", 2, "new engine");
  load();
  fakes.files.addFile(kSystem + "helper.dll", "old library");
  fakes.files.busyFiles[kSystem + "helper.dll"] = fake::FakeFileSystem::kForever;
  EXPECT_EQ(extract(7), 0);
  EXPECT_EQ(fakes.files.contents(kSystem + "helper.dll"), "old library");
  EXPECT_EQ(fakes.files.deleteAttempts(kSystem + "helper.dll"), 2);  // one attempt only

  fakes.files.addFile(kSystem + "Ocean.scr", "old engine");
  fakes.files.busyFiles[kSystem + "Ocean.scr"] = fake::FakeFileSystem::kForever;
  EXPECT_EQ(extract(6), -38);
  EXPECT_EQ(fakes.files.deleteAttempts(kSystem + "Ocean.scr"), 2000);
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

TEST_F(SlotExtractionTest, WriteFailuresAreShownWithTheTarget) {
  image.setSlot(7, "big.swf", 1, std::string(5000, 'z'));
  load();
  fakes.files.writeLimits[kProduct + "big.swf"] = 100;
  EXPECT_EQ(extract(7), 112);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Installation Error: " + kProduct +
                                            "big.swf\r\n\r\nProblem with file " + kProduct + "big.swf. ");
  EXPECT_FALSE(fakes.files.exists(kProduct + "big.swf"));
}

// An imploded slot's write failure is told once, by the expansion's own box.
TEST_F(SlotExtractionTest, AFailedExpansionShowsOneBox) {
  image.setSlot(7, "packed.swf", 1, std::string(50000, 'p'), /*imploded=*/true);
  load();
  fakes.files.writeLimits[kProduct + "packed.swf"] = 100;
  EXPECT_EQ(extract(7), 112);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text.rfind("Zip Error: Problem expanding data in memory. ", 0), 0u);
  EXPECT_FALSE(fakes.files.exists(kProduct + "packed.swf"));
}

// Every reader finds a slot through slotPath; it must name the file extractSlot wrote, the
// picture's renamed presentation included.
TEST_F(SlotExtractionTest, ASlotIsReadBackWhereItWasWritten) {
  struct Row {
    int slot;
    std::uint8_t mode;
    const char* name;
    int kind;
    std::string written;
  };
  const Row rows[] = {
      {3, 1, "intro.bmp", 7, kWork + "intro.BMP"},
      {3, 8, "Intro.JPEG", 7, kWork + "Intro.jpg"},
      {3, 8, "intro", 7, kWork + "intro.jpg"},
      {3, 2, "intro.swf", 7, kWork + "intro.swf"},
      {3, 1, "intro.bmp", 3, kShared + "intro.dll"},  // the extension first, then the kind's own rule
      {2, 1, "install_flash_player_active_x.exe", 2, kSystem + "install_flash_player_active_x.exe"},
      {4, 1, "License.txt", 1, kProduct + "License.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.slot) + " " + std::to_string(row.mode) + " " + row.name);
    context.package.reset();  // a fresh working copy for every row
    context.heldLibrary.reset();
    image = InstallerImage{};
    image.header.presentationMode = row.mode;
    image.setSlot(row.slot, row.name, row.kind, "slot bytes");
    load();
    ASSERT_EQ(extract(row.slot), 0);
    EXPECT_EQ(slotPath(context, row.slot), row.written);
    EXPECT_EQ(fakes.files.contents(row.written), "slot bytes");
    EXPECT_EQ(context.header.entries[static_cast<std::size_t>(row.slot)].name, row.name);
  }
  EXPECT_EQ(slotPath(context, 9), "");  // empty: no file to read
}

// The name a failed presentation is shown by is the one it would have been written under.
TEST_F(SlotExtractionTest, AFailedPresentationIsNamedAsWritten) {
  image.header.presentationMode = 8;
  image.setSlot(3, "intro.png", 1, "picture");
  load();
  context.productFolder.clear();
  EXPECT_EQ(extract(3), -603);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Installation Error: intro.jpg\r\n\r\nProblem with file intro.jpg. ");
}

class InstallLoopTest : public SlotExtractionTest {
 protected:
  InstallLoopTest() {
    image.setSlot(5, "Read Me.txt", 7, "read me");
    image.setSlot(6, "Ocean.scr", 2, "engine");
    image.setSlot(7, "a.swf", 1, "a");
    image.setSlot(8, "saver.dat", 7, "data file");
    image.setSlot(9, "b.swf", 1, "b");
    image.setSlot(10, "c.swf", 1, "c");
  }
  int steps() const {
    return static_cast<int>(std::count(fakes.view.log.begin(), fakes.view.log.end(), "progress step"));
  }
};

TEST_F(InstallLoopTest, SixSlotsWithReadMeFiveWithout) {
  load();
  context.state.hasReadMe = true;
  EXPECT_EQ(extractProductSlots(context), 0);
  EXPECT_EQ(steps(), 6);
  // A stored data file is read where it lies in the working copy, never written out.
  EXPECT_FALSE(fakes.files.exists(kWork + "saver.dat"));
  ASSERT_TRUE(context.dataFileSource);
  std::string data(16, '\0');
  std::size_t got = 0;
  ASSERT_EQ(context.dataFileSource->read(data.data(), data.size(), got), 0);
  EXPECT_EQ(data.substr(0, got), "data file");
  EXPECT_EQ(fakes.view.statusText, "Writing screen saver files...");

  fakes.view.log.clear();
  context.state.hasReadMe = false;
  EXPECT_EQ(extractProductSlots(context), 0);
  EXPECT_EQ(steps(), 5);
}

TEST_F(InstallLoopTest, CancelDuringASlotLetsItFinishAndStopsBeforeTheNext) {
  load();
  // The pauses of slots 6 and 7 pass; the user clicks Cancel during the pause of slot 7.
  fakes.view.userActions = {[] {}, [this] { context.state.cancelRequested = true; }};
  EXPECT_EQ(extractProductSlots(context), 0);
  EXPECT_TRUE(fakes.files.exists(kProduct + "a.swf"));
  EXPECT_FALSE(fakes.files.exists(kWork + "saver.dat"));
}

TEST_F(InstallLoopTest, EmptyFurtherSlotsArePassedOverButTheEngineAndDataFileAreRequired) {
  image.header.entries[7] = PackageEntry{};
  image.header.entries[10] = PackageEntry{};
  load();
  EXPECT_EQ(extractProductSlots(context), 0);
  EXPECT_EQ(steps(), 5);
  EXPECT_TRUE(fakes.files.exists(kProduct + "b.swf"));

  context.header.entries[8] = PackageEntry{};
  EXPECT_EQ(extractProductSlots(context), -531);
  EXPECT_EQ(fakes.view.dialogs.size(), 1u);  // shown, with an empty path
  context.header.entries[6] = PackageEntry{};
  EXPECT_EQ(extractProductSlots(context), -531);
}

TEST_F(InstallLoopTest, StopsAtTheFirstFailure) {
  image.setSlot(8, "saver.dat", 7, "");
  load();
  EXPECT_EQ(extractProductSlots(context), -7);
  EXPECT_FALSE(fakes.files.exists(kProduct + "b.swf"));
  context.package.reset();  // without the package session nothing is read
  EXPECT_EQ(extractProductSlots(context), -523);
}

TEST_F(InstallLoopTest, DocumentsAreCopiedIntoTheProductFolder) {
  image.setSlot(4, "License.txt", 7, "terms");
  load();
  fakes.files.addFile(kWork + "License.txt", "terms");
  fakes.files.addFile(kWork + "Read Me.txt", "read me");
  context.state.hasLicense = true;
  context.state.hasReadMe = true;
  EXPECT_EQ(copyDocumentsToProduct(context), 0);
  EXPECT_EQ(fakes.files.contents(kProduct + "License.txt"), "terms");
  EXPECT_EQ(fakes.files.contents(kProduct + "Read Me.txt"), "read me");

  fakes.files.deleteFile(kWork + "Read Me.txt");
  EXPECT_EQ(copyDocumentsToProduct(context), -16);
  context.state.hasReadMe = false;
  fakes.files.deleteFile(kWork + "License.txt");
  EXPECT_EQ(copyDocumentsToProduct(context), -16);
  context.state.hasLicense = false;
  EXPECT_EQ(copyDocumentsToProduct(context), 0);
  EXPECT_TRUE(fakes.view.dialogs.empty());  // the document copies never show their codes
}

// Documents are copied from wherever their slots put them; one already in the product folder
// stays as it is.
TEST_F(InstallLoopTest, DocumentsAreCopiedFromWhereTheirSlotsWroteThem) {
  image.setSlot(4, "License.txt", 2, "terms");
  image.setSlot(5, "Read Me.txt", 1, "read me");
  load();
  ASSERT_EQ(extract(4), 0);
  ASSERT_EQ(extract(5), 0);
  context.state.hasLicense = true;
  context.state.hasReadMe = true;
  EXPECT_EQ(copyDocumentsToProduct(context), 0);
  EXPECT_EQ(fakes.files.contents(kProduct + "License.txt"), "terms");
  EXPECT_EQ(fakes.files.contents(kProduct + "Read Me.txt"), "read me");
  EXPECT_FALSE(fakes.files.exists(kWork + "License.txt"));
}

}  // namespace
}  // namespace saverkit
