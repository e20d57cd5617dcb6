// The screen saver data file: its record, its items, the movie copies, and damaged or hostile
// data files.
#include <gtest/gtest.h>

#include "installer/data_file.h"
#include "package_fixture.h"

namespace saverkit {
namespace {

using saverkit::testing::DataFileImage;

const std::string kWork = "C:\\Local\\Vantrel\\ZOR1\\";
const std::string kProduct = "C:\\PD\\Vantrel\\Ocean\\";

class DataFileTest : public ::testing::Test {
 protected:
  DataFileTest() {
    context.folders.workingFolder = kWork;
    context.productFolder = kProduct;
    context.dataFilePath = kWork + "saver.dat";
    fakes.files.addFolder(kWork);
    fakes.files.addFolder(kProduct);
    fakes.files.addFile(kWork + "impborl.dll", "MZ");
    saverkit::testing::registerNativeCodec(fakes.libraries, kWork + "impborl.dll");
  }
  Status expand() {
    putDataFile(image.bytes());
    EXPECT_EQ(readSaverRecord(context), 0);
    return expandDataFile(context);
  }
  std::vector<std::string> productFiles() const { return fakes.files.pathsUnder(kProduct); }
  // The data file as the install loop leaves it: written, and held for reading back.
  void putDataFile(const std::string& bytes) {
    context.dataFileSource.reset();
    closeDataFile(context);
    context.dataFileSource = saverkit::testing::scratchWith(fakes.files, context.dataFilePath, bytes);
  }

  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
  DataFileImage image;
};

TEST_F(DataFileTest, StoredAndImplodedItemsInNestedFolders) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += static_cast<char>('a' + i % 7);
  image.add("scene.swf", "movie");
  image.add("media\\sounds\\waves.mp3", big, true);
  image.add("media/pictures/fish.jpg", "jpeg bytes");
  EXPECT_EQ(expand(), 0);
  EXPECT_EQ(fakes.files.contents(kProduct + "scene.swf"), "movie");
  EXPECT_EQ(fakes.files.contents(kProduct + "media\\sounds\\waves.mp3"), big);
  EXPECT_EQ(fakes.files.contents(kProduct + "media\\pictures\\fish.jpg"), "jpeg bytes");
  EXPECT_TRUE(fakes.files.hasArchiveAttribute(kProduct + "scene.swf"));
  EXPECT_EQ(fakes.view.statusText, "Expanding files...");
  EXPECT_FALSE(context.dataFile.open);
  EXPECT_EQ(std::count(fakes.view.log.begin(), fakes.view.log.end(), "progress step"), 1);
}

TEST_F(DataFileTest, EmptyDirectorySizeZeroAndEmptyPaths) {
  EXPECT_EQ(expand(), 0);
  EXPECT_TRUE(productFiles().empty());
  image.add("nothing.bin", "");
  image.add("", "skipped");
  image.add("kept.bin", "k");
  EXPECT_EQ(expand(), 0);
  EXPECT_EQ(productFiles(), std::vector<std::string>{kProduct + "kept.bin"});
}

TEST_F(DataFileTest, SaverRecordRoundTripsIntoSaverDat) {
  image.add("a.bin", "a");
  image.record.setSaverKind(5);
  image.record.bytes[1000] = 0x42;
  ASSERT_EQ(expand(), 0);
  EXPECT_EQ(writeSaverRecord(context), 0);
  const auto written = fakes.files.contents(kProduct + "saver.dat");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->size(), 1240u);
  EXPECT_EQ(*written, image.bytes().substr(0, 1240));
  EXPECT_EQ(fakes.view.statusText, "Writing saver data file...");
}

TEST_F(DataFileTest, KindThreeItemsAreCopiesOfTheInstallerMovie) {
  fakes.files.addFile(kWork + "installer.swf", "installer movie");
  image.record.setSaverKind(3);
  image.add("saver.swf", "");  // never read from the data file
  image.add("preview\\small.swf", "", false, kItemKindMovieCopy);
  image.add("other.bin", "o");
  EXPECT_EQ(expand(), 0);
  EXPECT_EQ(fakes.files.contents(kProduct + "saver.swf"), "installer movie");
  EXPECT_EQ(fakes.files.contents(kProduct + "preview\\small.swf"), "installer movie");
  EXPECT_EQ(fakes.files.contents(kProduct + "other.bin"), "o");
}

TEST_F(DataFileTest, AFailedMovieCopyIsMinus532WithTheSourceButNotOntoItself) {
  image.record.setSaverKind(3);
  image.add("saver.swf", "");
  EXPECT_EQ(expand(), -532);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Installation Error: " + kWork + "installer.swf\r\n\r\nProblem with file " +
                                            kWork + "installer.swf. ");
  EXPECT_FALSE(context.dataFile.open);

  fakes.view.dialogs.clear();
  fakes.files.addFile(kWork + "installer.swf", "m");
  image.add("saver.swf", "", false, kItemKindMovieCopy);  // item 2 copies item 1 onto itself
  EXPECT_EQ(expand(), 0);
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

TEST_F(DataFileTest, WrongExpandedSizeIsMinus13AndLeavesNoFile) {
  image.add("a.bin", std::string(5000, 'q'), true);
  std::string bytes = image.bytes();
  const std::size_t headerAt = 1240 + 264;
  bytes[headerAt + 8] = static_cast<char>(bytes[headerAt + 8] + 1);  // expanded size + 1
  putDataFile(bytes);
  ASSERT_EQ(readSaverRecord(context), 0);
  EXPECT_EQ(expandDataFile(context), -13);
  EXPECT_FALSE(fakes.files.exists(kProduct + "a.bin"));
}

TEST_F(DataFileTest, ItemPathsThatLeaveTheProductFolderWriteNothing) {
  fakes.files.addFile("C:\\PD\\Vantrel\\Other\\keep.txt", "keep");
  const auto before = fakes.files.pathsUnder();
  for (const char* path : {"..\\Other\\keep.txt", "C:\\evil.dll", "\\root.txt", "a\\..\\..\\b",
                           "file.txt:stream", "media\\NUL", "\\\\server\\share\\x"}) {
    SCOPED_TRACE(path);
    image.items.clear();
    image.add(path, "payload");
    EXPECT_EQ(expand(), -604);
  }
  putDataFile("");
  context.dataFileSource.reset();
  fakes.files.deleteFile(context.dataFilePath);
  EXPECT_EQ(fakes.files.pathsUnder(), before);
}

// A directory that does not fit is an open problem (-605); an item whose header or data lies
// beyond the end is read past the end of the file (38) and gets the read-error box; an item of
// negative size is -7, unshown.
TEST_F(DataFileTest, DamagedDirectoriesAndItemsAreRefused) {
  image.add("a.bin", "abc");
  std::string bytes = image.bytes();
  fakes.texts.systemTexts[38] = "Reached the end of the file.";
  const std::string openProblem = "Problem opening screen saver data file.";
  const std::string readProblem = "Vantrel Error: Problem reading screen saver data file. Reached the end of the file.";
  struct Case {
    const char* label;
    std::function<void(std::string&)> damage;
    Status expected;
    std::string box;
  };
  const Case cases[] = {
      {"count above 1010", [](std::string& b) { b[212] = static_cast<char>(0xF3); b[213] = 0x03; }, -605, openProblem},
      {"negative count", [](std::string& b) { b[215] = static_cast<char>(0x80); }, -605, openProblem},
      {"directory past the end", [](std::string& b) { b[212] = 9; }, -605, openProblem},
      {"item offset past the end", [](std::string& b) { b[1240 + 263] = 0x70; }, 38, readProblem},
      {"negative item offset", [](std::string& b) { b[1240 + 263] = static_cast<char>(0x80); }, 38, readProblem},
      {"data past the end", [](std::string& b) { b[1240 + 264 + 9] = 0x10; }, 38, readProblem},
      {"data one byte past the end", [](std::string& b) { b[1240 + 264 + 8] = 4; }, 38, readProblem},
      {"negative size", [](std::string& b) { b[1240 + 264 + 11] = static_cast<char>(0x80); }, -7, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string damaged = bytes;
    c.damage(damaged);
    putDataFile(damaged);
    fakes.view.dialogs.clear();
    EXPECT_EQ(expandDataFile(context), c.expected);
    EXPECT_FALSE(context.dataFile.open);
    EXPECT_FALSE(fakes.files.exists(kProduct + "a.bin"));
    if (c.box.empty()) {
      EXPECT_TRUE(fakes.view.dialogs.empty());
    } else {
      ASSERT_EQ(fakes.view.dialogs.size(), 1u);
      EXPECT_EQ(fakes.view.dialogs[0].text.substr(0, c.box.size()), c.box);
    }
  }
}

// No data file written: nothing is opened by path in its place, even with a file there.
TEST_F(DataFileTest, WithoutTheHeldDataFileNothingIsExpanded) {
  image.add("a.bin", "a");
  fakes.files.addFile(context.dataFilePath, image.bytes());
  EXPECT_EQ(expandDataFile(context), -16);
  EXPECT_FALSE(context.dataFile.open);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text,
            "Problem opening screen saver data file.\r\n\r\nFile: " + context.dataFilePath + "\r\n\r\n-16");
  EXPECT_FALSE(fakes.files.exists(kProduct + "a.bin"));
  EXPECT_EQ(closeDataFile(context), 0);
}

TEST_F(DataFileTest, ReadAndWriteFailuresAreShownAndReturned) {
  image.add("a.bin", std::string(3000, 'w'));
  putDataFile("short");
  EXPECT_EQ(readSaverRecord(context), 38);
  putDataFile(image.bytes());
  ASSERT_EQ(readSaverRecord(context), 0);
  fakes.texts.systemTexts[112] = "There is not enough space on the disk";
  fakes.files.writeLimits[kProduct + "a.bin"] = 10;
  EXPECT_EQ(expandDataFile(context), 112);
  EXPECT_EQ(fakes.view.dialogs.back().text,
            "Vantrel Error: Problem reading screen saver data file. There is not enough space on the disk");
  EXPECT_FALSE(fakes.files.exists(kProduct + "a.bin"));
  fakes.files.openErrors[kProduct + "saver.dat"] = 5;
  EXPECT_EQ(writeSaverRecord(context), 5);

  // An imploded item's failure is told once, by the expansion's own box.
  DataFileImage packed;
  packed.add("b.bin", std::string(30000, 'b'), true);
  putDataFile(packed.bytes());
  ASSERT_EQ(readSaverRecord(context), 0);
  fakes.files.writeLimits[kProduct + "b.bin"] = 10;
  fakes.view.dialogs.clear();
  EXPECT_EQ(expandDataFile(context), 112);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text.rfind("Zip Error: ", 0), 0u);
}

}  // namespace
}  // namespace saverkit

namespace saverkit {
namespace {

// An imploded item may claim at most 1024 times its stored size (and 4 KiB); beyond that
// nothing is even created, at the limit the expansion runs and the size check decides.
TEST_F(DataFileTest, ImplodedItemsClaimingTooMuchAreRefusedBeforeWriting) {
  image.add("big.bin", std::string(3000, 'q'), true);
  const std::string bytes = image.bytes();
  const std::size_t headerAt = static_cast<std::size_t>(directoryEnd(1));
  const ItemHeader stored = *decodeItemHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()) + headerAt, kItemHeaderSize);
  const std::int32_t limit = stored.storedSize * 1024 + 4096;
  for (const std::int32_t claim : {limit, limit + 1}) {
    SCOPED_TRACE(claim);
    ItemHeader claimed = stored;
    claimed.expandedSize = claim;
    std::string damaged = bytes;
    const auto encoded = encodeItemHeader(claimed);
    damaged.replace(headerAt, encoded.size(), reinterpret_cast<const char*>(encoded.data()), encoded.size());
    fakes.files.log.clear();
    putDataFile(damaged);
    EXPECT_EQ(expandDataFile(context), -13);
    const bool created = std::find(fakes.files.log.begin(), fakes.files.log.end(),
                                   "create file " + kProduct + "big.bin") != fakes.files.log.end();
    EXPECT_EQ(created, claim == limit);
    EXPECT_FALSE(fakes.files.exists(kProduct + "big.bin"));
  }
}

}  // namespace
}  // namespace saverkit
