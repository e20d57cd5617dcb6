// saverpack extract: slot files come out expanded and intact, and whatever a hostile package
// names, nothing is written outside the target folder or through a link.
#include <gtest/gtest.h>

#include <set>

#include "package/data_file_format.h"
#include "package/package_format.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

class ExtractTest : public SaverpackTest {
 public:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }

  // Every file and folder below the test folder, except those inside `inside`.
  std::set<std::string> everythingOutside(const fs::path& inside) const {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      const std::string relative = entry.path().lexically_relative(dir_).generic_string();
      const std::string insideText = inside.lexically_relative(dir_).generic_string();
      if (relative.compare(0, insideText.size(), insideText) != 0) found.insert(relative);
    }
    return found;
  }
};

// A data file whose items try every way out of the folder, plus one honest item.
Bytes hostileDataFile() {
  const std::vector<std::string> paths = {"..\\..\\escaped.txt", "\\rooted.txt", "C:\\drive.txt",
                                          "ok\\..\\..\\up.txt", "/etc/x.txt", "fine\\kept.txt"};
  saverkit::SaverRecord record;
  record.setItemCount(static_cast<std::int32_t>(paths.size()));
  Bytes bytes(record.bytes.begin(), record.bytes.end());
  bytes.resize(static_cast<std::size_t>(saverkit::directoryEnd(std::int64_t(paths.size()))));
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const auto directory = saverkit::encodeDirectoryRecord(
        {saverkit::kItemKindData, paths[i], static_cast<std::int32_t>(bytes.size())});
    std::copy(directory.begin(), directory.end(), bytes.begin() + saverkit::directoryRecordOffset(std::int64_t(i) + 1));
    const auto header = saverkit::encodeItemHeader({5, 5, false});
    bytes.insert(bytes.end(), header.begin(), header.end());
    for (char c : std::string("EVIL!")) bytes.push_back(static_cast<std::uint8_t>(c));
  }
  return bytes;
}

TEST_F(ExtractTest, WritesEverySlotExpandedAndTheItemsOnRequest) {
  build(standardManifest(true));
  const CliResult result = run({"extract", path("Installer.exe").u8string(), path("out").u8string(), "--items"});
  ASSERT_EQ(result.code, 0) << result.err;
  const struct {
    const char* extracted;
    const char* original;
  } files[] = {{"out/impborl.dat", "impborl.dll"}, {"out/intro.swf", "intro.swf"},
               {"out/LICENSE.txt", "LICENSE.txt"}, {"out/readme.htm", "readme.htm"},
               {"out/Ocean Waves.scr", "engine.scr"}, {"out/items/ocean.txt", "content/ocean.txt"},
               {"out/items/media/wave.bin", "content/media/wave.bin"}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.extracted);
    EXPECT_EQ(readWholeFile(path(file.extracted)), readWholeFile(path(file.original)));
  }
  // The installer writes nothing for an empty item, and neither does extract.
  EXPECT_FALSE(fs::exists(path("out/items/media/deep/empty.dat")));
}

TEST_F(ExtractTest, NeverWritesOutsideTheFolderWhateverTheNamesSay) {
  Json manifest = standardManifest(false);
  const Bytes good = build(manifest);
  saverkit::PackageHeader header = *saverkit::decodePackageHeader(good.data() + 690176, 3152);
  header.entries[3].name = "..\\escaped.swf";
  header.entries[4].name = "../escaped.txt";
  header.entries[5].name = "/tmp/saverpack-escaped.htm";
  header.entries[6].name = "..";
  // Slot 8 now points at a hostile data file appended to the installer.
  Bytes installer = good;
  const Bytes data = hostileDataFile();
  header.entries[8].startOffset = static_cast<std::int32_t>(installer.size());
  header.entries[8].endOffset = static_cast<std::int32_t>(installer.size() + data.size() - 1);
  header.entries[8].expandedSize = static_cast<std::int32_t>(data.size());
  installer.insert(installer.end(), data.begin(), data.end());
  const auto bytes = saverkit::encodePackageHeader(header);
  std::copy(bytes.begin(), bytes.end(), installer.begin() + 690176);
  write("deep/hostile.exe", installer);

  const fs::path out = path("deep/a/b/out");
  const std::set<std::string> before = everythingOutside(out);
  const CliResult result = run({"extract", path("deep/hostile.exe").u8string(), out.u8string(), "--items"});
  EXPECT_EQ(result.code, 1);
  std::set<std::string> after = everythingOutside(out);
  for (const char* created : {"deep/a", "deep/a/b"}) after.erase(created);
  EXPECT_EQ(after, before);
  EXPECT_FALSE(fs::exists("/tmp/saverpack-escaped.htm"));
  for (const char* refused : {"slots.3", "slots.4", "slots.5", "slots.6", "slots.8.items.1", "slots.8.items.2",
                              "slots.8.items.3", "slots.8.items.4", "slots.8.items.5"}) {
    EXPECT_NE(result.err.find(std::string(refused) + ": not extracted"), std::string::npos)
        << refused << "\n" << result.err;
  }
  // What is safe still comes out.
  EXPECT_EQ(readWholeFile(out / "items/fine/kept.txt"), bytesOf("EVIL!"));
  EXPECT_TRUE(fs::exists(out / "impborl.dat"));
}

TEST_F(ExtractTest, DoesNotWriteThroughALinkAlreadyInTheFolder) {
  build(standardManifest(false));
  fs::create_directories(path("out"));
  fs::create_directories(path("elsewhere"));
  fs::create_directory_symlink(path("elsewhere"), path("out/items"));
  fs::create_symlink(path("elsewhere/target.txt"), path("out/LICENSE.txt"));
  // A folder holding anything is written into only with --force; even then, never through a link.
  const CliResult result =
      run({"extract", path("Installer.exe").u8string(), path("out").u8string(), "--items", "--force"});
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(fs::is_empty(path("elsewhere")));
  EXPECT_NE(result.err.find("slots.4: not extracted: \"LICENSE.txt\" would be written through a link"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("slots.8.items.3: not extracted"), std::string::npos) << result.err;
}

// Deeper down and at the folder itself: a link below a real folder is refused like one at the
// top, the folder named must not be a link itself, and a file already there (even one with a
// second name elsewhere) is replaced by a new file, so the other name keeps its bytes.
TEST_F(ExtractTest, WritesOnlyBelowTheFolderNamedAndReplacesRatherThanWritesThrough) {
  build(standardManifest(false));
  fs::create_directories(path("out/items"));
  fs::create_directories(path("elsewhere"));
  fs::create_directory_symlink(path("elsewhere"), path("out/items/media"));
  write("elsewhere/target.txt", "keep me");
  fs::create_hard_link(path("elsewhere/target.txt"), path("out/LICENSE.txt"));
  CliResult result = run({"extract", path("Installer.exe").u8string(), path("out").u8string(), "--items", "--force"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("not extracted: \"items\\media\\wave.bin\" would be written through a link"),
            std::string::npos) << result.err;
  EXPECT_EQ(readWholeFile(path("out/items/ocean.txt")), readWholeFile(path("content/ocean.txt")));
  EXPECT_EQ(readWholeFile(path("out/LICENSE.txt")), readWholeFile(path("LICENSE.txt")));
  EXPECT_EQ(readWholeFile(path("elsewhere/target.txt")), bytesOf("keep me"));
  EXPECT_EQ(everythingOutside(path("out")).count("elsewhere/wave.bin"), 0u);

  // The folder named is a link: refused before anything is written, whether named with a
  // trailing separator or not; the folder it points to is used when named itself.
  fs::create_directory_symlink(path("elsewhere"), path("linked"));
  for (const std::string& named : {path("linked").u8string(), path("linked").u8string() + "/"}) {
    SCOPED_TRACE(named);
    result = run({"extract", path("Installer.exe").u8string(), named, "--force"});
    EXPECT_EQ(result.code, 3);
    EXPECT_NE(result.err.find("is a link, not a folder"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(path("elsewhere/LICENSE.txt")));
  }
  EXPECT_EQ(run({"extract", path("Installer.exe").u8string(), path("elsewhere").u8string(), "--force"}).code, 0);
  EXPECT_EQ(readWholeFile(path("elsewhere/LICENSE.txt")), readWholeFile(path("LICENSE.txt")));
}

TEST_F(ExtractTest, KeepsTheFirstOfTwoSlotsWhoseNamesDifferOnlyInCase) {
  Json manifest = standardManifest(false);
  manifest["slots"]["7"] = {{"file", "intro.swf"}, {"name", "readme.htm"}};
  manifest["slots"]["9"] = {{"file", "engine.scr"}, {"name", "README.HTM"}, {"destination", "system"}};
  build(manifest);
  const CliResult result = run({"extract", path("Installer.exe").u8string(), path("out").u8string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(readWholeFile(path("out/readme.htm")), readWholeFile(path("readme.htm")));
  EXPECT_NE(result.err.find("slots.7: not extracted: \"readme.htm\" was already written"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("slots.9: not extracted"), std::string::npos) << result.err;
}

TEST_F(ExtractTest, UnpacksAStandaloneDataFileAndRefusesItsEscapes) {
  write("hostile.dat", hostileDataFile());
  const std::set<std::string> before = everythingOutside(path("out"));
  const CliResult result = run({"extract", path("hostile.dat").u8string(), path("out").u8string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(everythingOutside(path("out")), before);
  EXPECT_EQ(readWholeFile(path("out/fine/kept.txt")), bytesOf("EVIL!"));
}

}  // namespace
}  // namespace saverpack::test
