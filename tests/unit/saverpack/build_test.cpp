// saverpack build: what lands where in the installer, defaults, reproducibility, and the data
// file built from a folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "data_file_builder.h"
#include "data_file_reader.h"
#include "package/data_file_format.h"
#include "package/package_binding.h"
#include "package/package_format.h"
#include "package_reader.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;
using saverkit::PackageEntry;

constexpr std::int64_t kFirstDataByte = 690176 + 3152;

class BuildTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }

  // The slot's bytes as carried, straight from the installer.
  static Bytes slotBytes(const Bytes& installer, const PackageEntry& entry) {
    return Bytes(installer.begin() + entry.startOffset, installer.begin() + entry.endOffset + 1);
  }
};

TEST_F(BuildTest, LaysOutStubHeaderAndSlotsBackToBackWithAbsoluteOffsets) {
  const Bytes installer = build(standardManifest(false));
  ASSERT_FALSE(installer.empty());
  // The stub as it was, but for its record of the package's length and digest.
  Bytes stub = readWholeFile(path("saverstub.exe"));
  const auto place = saverkit::findBindingRecord(stub.data(), stub.size());
  ASSERT_TRUE(place);
  const auto record = saverkit::encodeBinding(
      {installer.size() - 690176, saverkit::sha256Of(installer.data() + 690176, installer.size() - 690176)});
  std::copy(record.begin(), record.end(), stub.begin() + std::ptrdiff_t(*place));
  EXPECT_TRUE(std::equal(installer.begin(), installer.begin() + 690176, stub.begin()));
  const auto header = saverkit::decodePackageHeader(installer.data() + 690176, installer.size() - 690176);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->saverName, "Ocean Waves");
  EXPECT_EQ(header->presentationMode, saverkit::kPresentationFlash);
  EXPECT_TRUE(header->hasLicense);
  EXPECT_TRUE(header->hasReadMe);
  EXPECT_FALSE(header->carriesFlashInstaller);
  EXPECT_TRUE(header->askOpenControlPanel);
  EXPECT_EQ(header->flashVersionIndex, 0);

  struct Expected {
    std::size_t slot;
    const char* name;
    std::int32_t destination;
    const char* file;  // nullptr for the data file
  };
  const Expected expected[] = {
      {1, "impborl.dat", 4, "impborl.dll"}, {3, "intro.swf", 7, "intro.swf"},
      {4, "LICENSE.txt", 7, "LICENSE.txt"}, {5, "readme.htm", 7, "readme.htm"},
      {6, "Ocean Waves.scr", 2, "engine.scr"}, {8, "Ocean Waves.dat", 7, nullptr}};
  std::int64_t next = kFirstDataByte;
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.slot);
    const PackageEntry& entry = header->entries[e.slot];
    EXPECT_EQ(entry.name, e.name);
    EXPECT_EQ(entry.destination, e.destination);
    EXPECT_FALSE(entry.imploded);
    EXPECT_EQ(entry.startOffset, next);
    EXPECT_EQ(entry.expandedSize, saverkit::storedLength(entry));
    if (e.file != nullptr) {
      EXPECT_EQ(slotBytes(installer, entry), readWholeFile(path(e.file)));
    }
    next = entry.endOffset + 1;
  }
  EXPECT_EQ(next, static_cast<std::int64_t>(installer.size()));
  for (std::size_t slot : {0, 2, 7, 9, 10}) EXPECT_TRUE(header->entries[slot].isEmpty()) << slot;
}

TEST_F(BuildTest, ImplodedSlotsExpandToTheirFilesAndTheLibraryStaysStored) {
  const Bytes installer = build(standardManifest(true));
  ASSERT_FALSE(installer.empty());
  const PackageReport report = readPackage(installer, {true, true});
  EXPECT_FALSE(report.findings.hasErrors());
  for (const SlotReport& slot : report.slots) {
    SCOPED_TRACE(slot.slot);
    EXPECT_TRUE(slot.intact);
    EXPECT_EQ(slot.entry.imploded, slot.slot == 4 || slot.slot == 6);
  }
  const auto& engine = report.header.entries[6];
  EXPECT_LT(saverkit::storedLength(engine), engine.expandedSize);
  for (const SlotReport& slot : report.slots) {
    if (slot.slot == 6 || slot.slot == 4) {
      EXPECT_EQ(slot.contents, readWholeFile(path(slot.slot == 6 ? "engine.scr" : "LICENSE.txt")));
    }
  }
}

TEST_F(BuildTest, DataFileHoldsTheFolderSortedWithSubfoldersAndFilledInCount) {
  const Bytes installer = build(standardManifest(true));
  const PackageReport report = readPackage(installer, {false, true});
  ASSERT_TRUE(report.data);
  const DataFileReport& data = *report.data;
  EXPECT_EQ(data.record.itemCount(), 3);
  EXPECT_EQ(data.record.saverKind(), 0);
  ASSERT_EQ(data.items.size(), 3u);
  const struct {
    const char* path;
    const char* file;
  } expected[] = {{"media\\deep\\empty.dat", "content/media/deep/empty.dat"},
                  {"media\\wave.bin", "content/media/wave.bin"},
                  {"ocean.txt", "content/ocean.txt"}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(expected[i].path);
    EXPECT_EQ(data.items[i].record.path, expected[i].path);
    EXPECT_TRUE(data.items[i].intact);
    EXPECT_EQ(data.items[i].contents, readWholeFile(path(expected[i].file)));
  }
  // "auto": the repetitive text shrinks and is imploded; random bytes would grow and are stored.
  EXPECT_TRUE(data.items[2].header->imploded);
  EXPECT_FALSE(data.items[1].header->imploded);
  EXPECT_EQ(data.items[0].header->expandedSize, 0);
}

TEST_F(BuildTest, SameInputsGiveTheSameBytesWhereverAndInWhateverOrderTheyWereMade) {
  const Json manifest = standardManifest(true);
  const Bytes first = build(manifest);
  const Bytes second = build(manifest);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);

  // The same content made in another folder, files created in the opposite order.
  fs::path other = path("elsewhere");
  for (const char* file : {"content/media/deep/empty.dat", "content/media/wave.bin", "content/ocean.txt",
                           "readme.htm", "LICENSE.txt", "intro.swf", "engine.scr", "impborl.dll",
                           "saverstub.exe"}) {
    write(std::string("elsewhere/") + file, readWholeFile(path(file)));
  }
  write("elsewhere/manifest.json", manifest.dump());
  const CliResult result = run({"build", (other / "manifest.json").u8string(), "-o",
                                (other / "Installer.exe").u8string(), "--stub",
                                (other / "saverstub.exe").u8string()});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(readWholeFile(other / "Installer.exe"), first);
}

TEST_F(BuildTest, SaverKindThreeTakesTheFoldersMovieAsSlotThreeAndItemOne) {
  write("content/installer.swf", noise(400, 9));
  Json manifest = standardManifest(false);
  manifest["slots"].erase("3");
  manifest["data"]["saverKind"] = 3;
  manifest["data"]["movieCopies"] = Json::array({"media\\copy.swf"});
  const Bytes installer = build(manifest);
  const PackageReport report = readPackage(installer, {true, true});
  EXPECT_FALSE(report.findings.hasErrors());
  EXPECT_EQ(report.header.entries[3].name, "installer.swf");
  const auto movie = std::find_if(report.slots.begin(), report.slots.end(),
                                  [](const SlotReport& s) { return s.slot == 3; });
  ASSERT_NE(movie, report.slots.end());
  EXPECT_EQ(movie->contents, readWholeFile(path("content/installer.swf")));
  ASSERT_TRUE(report.data);
  EXPECT_EQ(report.data->record.saverKind(), 3);
  ASSERT_EQ(report.data->items.size(), 5u);
  const auto& first = report.data->items[0];
  EXPECT_EQ(first.record.path, "installer.swf");
  EXPECT_TRUE(first.record.isMovieCopy());
  // No bytes of its own: its offset leads to an empty item record.
  EXPECT_FALSE(first.header);
  const auto dataSlot = std::find_if(report.slots.begin(), report.slots.end(),
                                     [](const SlotReport& s) { return s.slot == 8; });
  const Bytes& data = dataSlot->contents;
  ASSERT_LE(std::size_t(first.record.itemOffset) + 44, data.size());
  const auto record = saverkit::decodeItemHeader(data.data() + first.record.itemOffset, 44);
  EXPECT_EQ(record->expandedSize, 0);
  EXPECT_EQ(record->storedSize, 0);
  EXPECT_EQ(report.data->items[1].record.path, "media\\copy.swf");
  EXPECT_TRUE(report.data->items[1].record.isMovieCopy());
  // The folder's own copy is item 1 only; its bytes are not stored a second time.
  const auto copies = std::count_if(report.data->items.begin(), report.data->items.end(),
                                    [](const ItemReport& item) { return item.record.path == "installer.swf"; });
  EXPECT_EQ(copies, 1);
}

TEST_F(BuildTest, RecordFileBytesPassThroughWithCountAndKindFilledIn) {
  Bytes record = noise(1240, 5);
  write("record.bin", record);
  Json manifest = standardManifest(false);
  manifest["data"]["recordFile"] = "record.bin";
  manifest["data"]["saverKind"] = 7;
  const PackageReport report = readPackage(build(manifest), {});
  ASSERT_TRUE(report.data);
  saverkit::SaverRecord expected;
  std::copy(record.begin(), record.end(), expected.bytes.begin());
  expected.setItemCount(3);
  expected.setSaverKind(7);
  EXPECT_EQ(report.data->record.bytes, expected.bytes);
}

TEST_F(BuildTest, DatafileCommandWritesTheSameDataFileAsTheManifestDoes) {
  const Bytes installer = build(standardManifest(true));
  const auto header = saverkit::decodePackageHeader(installer.data() + 690176, 3152);
  const CliResult result = run({"datafile", path("content").u8string(), "-o",
                                path("saver.dat").u8string(), "--no-progress"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(readWholeFile(path("saver.dat")), slotBytes(installer, header->entries[8]));
  EXPECT_NE(result.err.find("empty.dat"), std::string::npos) << "empty items are warned about";
}

TEST_F(BuildTest, ImplodeRulesApplyFirstMatchFirst) {
  const CliResult result = run({"datafile", path("content").u8string(), "-o", path("saver.dat").u8string(),
                                "--rule", "media/**=always", "--rule", "*.txt=never", "--implode", "auto"});
  ASSERT_EQ(result.code, 0) << result.err;
  const Bytes file = readWholeFile(path("saver.dat"));
  const DataFileReport report = readDataFile(file.data(), file.size(), {});
  ASSERT_EQ(report.items.size(), 3u);
  EXPECT_FALSE(report.items[0].header->imploded);  // empty files are never imploded
  EXPECT_TRUE(report.items[1].header->imploded);   // random bytes, imploded anyway
  EXPECT_FALSE(report.items[2].header->imploded);  // text, stored as told
  EXPECT_TRUE(report.items[1].intact);
}

TEST(GlobMatching, PatternsWithoutAFolderMatchNamesAnywhere) {
  struct Case {
    const char* pattern;
    const char* path;
    bool matches;
  };
  const Case cases[] = {
      {"*.jpg", "a.jpg", true},          {"*.jpg", "media\\deep\\A.JPG", true},
      {"*.jpg", "a.jpeg", false},        {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},        {"media/*.swf", "media\\a.swf", true},
      {"media\\*.swf", "media\\x\\a.swf", false}, {"media/**", "media\\x\\a.swf", true},
      {"**/*.swf", "a\\b\\c.swf", true}, {"*", "anything", true},
      {"media/*", "other\\a", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.path);
    EXPECT_EQ(matchesGlob(c.pattern, c.path), c.matches);
  }
}

}  // namespace
}  // namespace saverpack::test

namespace saverpack::test {
namespace {

// The author's show set-up travels as a file in the product folder; the extension record says
// what the flags and her name ask, and only when something asks for it.
TEST_F(BuildTest, ShowSectionAndExtensionRecordTravelInThePackage) {
  Json manifest = standardManifest(false);
  manifest["show"] = {{"seconds", 20}, {"order", "shuffled"}, {"caption", "date"}, {"volume", 30}, {"videos", "primary"}};
  manifest["options"] = {{"finishWithoutLauncher", true}};
  manifest["website"] = "https://lumiere.example";  // carried in the record; the stub stays as built
  const auto built = run({"build", writeManifest(manifest).u8string(), "-o", path("Setup.exe").u8string(), "--no-progress"});
  ASSERT_EQ(built.code, 0) << built.err;
  const PackageReport report = readPackage(readWholeFile(path("Setup.exe")), {false, true});
  ASSERT_TRUE(report.data);
  const auto& items = report.data->items;
  const auto show = std::find_if(items.begin(), items.end(), [](const ItemReport& item) {
    return item.record.path == "saverkit-show.ini";
  });
  ASSERT_NE(show, items.end());
  EXPECT_EQ(std::string(show->contents.begin(), show->contents.end()),
            "SecondsPerPicture=20\r\nOrder=shuffled\r\nCaption=date\r\nVideoVolume=30\r\nVideoMonitors=primary\r\n");
  ASSERT_TRUE(report.extension);
  EXPECT_TRUE(report.extension->finishWithoutLauncher);
  EXPECT_EQ(report.extension->website, "https://lumiere.example");
  EXPECT_GT(report.extension->estimatedSizeKb, 0);
  EXPECT_TRUE(report.findings.all().empty());

  // Words it does not know, numbers beyond the engine's bounds and a content file of its name.
  Json bad = standardManifest(false);
  bad["show"] = {{"seconds", 1}, {"fit", "stretch"}, {"volume", 101}, {"sound", "on"}};
  const auto refused = run({"build", writeManifest(bad).u8string(), "-o", path("Bad.exe").u8string()});
  EXPECT_NE(refused.code, 0);
  EXPECT_NE(refused.err.find("show.seconds"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("show.fit: \"stretch\" is not one of \"fit\", \"fill\""), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("show.volume"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("sound"), std::string::npos) << refused.err;  // the viewer's choice alone
  write("content/saverkit-show.ini", Bytes{0x6d, 0x69, 0x6e, 0x65});
  const auto clash = run({"build", writeManifest(manifest).u8string(), "-o", path("Clash.exe").u8string()});
  EXPECT_NE(clash.code, 0);
  EXPECT_NE(clash.err.find("\"saverkit-show.ini\" has the name of the file saverpack writes"), std::string::npos) << clash.err;

  // Nothing that asks for the record: slot 0 as before, no block.
  const auto plain = run({"build", writeManifest(standardManifest(false)).u8string(), "-o", path("Plain.exe").u8string()});
  ASSERT_EQ(plain.code, 0) << plain.err;
  EXPECT_FALSE(readPackage(readWholeFile(path("Plain.exe")), {}).header.extensionBlock);
}

}  // namespace
}  // namespace saverpack::test
