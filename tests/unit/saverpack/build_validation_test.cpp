// saverpack build refuses bad manifests before writing anything, with a message naming the
// offending field.
#include <gtest/gtest.h>

#include <functional>

#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

struct BadManifest {
  const char* what;
  std::function<void(Json&, SaverpackTest&)> change;
  const char* message;  // must appear in the error output
};

class BuildValidationTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }
};

void setSlot(Json& manifest, const char* slot, Json value) { manifest["slots"][slot] = std::move(value); }

const std::vector<BadManifest>& badManifests() {
  static const std::vector<BadManifest> cases = {
      {"missing file", [](Json& m, SaverpackTest&) { m["slots"]["6"]["file"] = "x.scr"; },
       "slots.6.file: no such file \"x.scr\""},
      {"reserved saver name", [](Json& m, SaverpackTest&) { m["saverName"] = "CON"; },
       "saverName: \"CON\" is a reserved device name on Windows"},
      {"saver name with a separator", [](Json& m, SaverpackTest&) { m["saverName"] = "a\\b"; },
       "saverName: \"a\\b\" contains \"\\\"; Windows allows none of"},
      {"saver name with a colon", [](Json& m, SaverpackTest&) { m["saverName"] = "a:b"; }, "saverName:"},
      {"saver name too long", [](Json& m, SaverpackTest&) { m["saverName"] = std::string(65, 'n'); },
       "saverName: \"nnnn"},
      {"empty saver name", [](Json& m, SaverpackTest&) { m["saverName"] = ""; }, "saverName: missing"},
      {"non-ASCII saver name", [](Json& m, SaverpackTest&) { m["saverName"] = "Caf\xC3\xA9"; },
       "must be printable ASCII"},
      {"missing saver name", [](Json& m, SaverpackTest&) { m.erase("saverName"); }, "saverName: missing"},
      {"slot name with a backslash",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", "a\\b.swf"}}); },
       "slots.7.name: \"a\\b.swf\" contains \"\\\""},
      {"slot name with a slash",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", "a/b"}}); },
       "slots.7.name: \"a/b\""},
      {"slot name with a colon",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", "C:x"}}); },
       "slots.7.name: \"C:x\""},
      {"dot-dot slot name",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", ".."}}); },
       "slots.7.name: \"..\""},
      {"control character",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", "a\tb"}}); },
       "slots.7.name: \"a\\x09b\""},
      {"device name",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", "nul.txt"}}); },
       "slots.7.name: \"nul.txt\""},
      {"name over 255",
       [](Json& m, SaverpackTest&) { setSlot(m, "7", {{"file", "intro.swf"}, {"name", std::string(256, 'a')}}); },
       "slots.7.name:"},
      {"imploded library",
       [](Json& m, SaverpackTest&) { setSlot(m, "1", {{"file", "impborl.dll"}, {"implode", true}}); },
       "slots.1.implode: the implode library must be stored"},
      {"renamed library",
       [](Json& m, SaverpackTest&) { setSlot(m, "1", {{"file", "impborl.dll"}, {"name", "impborl.dll"}}); },
       "slots.1.name: \"impborl.dll\" must be \"impborl.dat\""},
      {"library elsewhere",
       [](Json& m, SaverpackTest&) { setSlot(m, "1", {{"file", "impborl.dll"}, {"destination", 7}}); },
       "slots.1.destination: 7 must be 4"},
      {"player version index", [](Json& m, SaverpackTest&) { m["options"]["flashVersionIndex"] = 2; },
       "options.flashVersionIndex: 2 is not 0 or 1"},
      {"data file in the product folder",
       [](Json& m, SaverpackTest&) { setSlot(m, "8", {{"destination", "product"}}); },
       "slots.8.destination: the data file must land in the working folder"},
      {"licence in the system folder", [](Json& m, SaverpackTest&) { m["slots"]["4"]["destination"] = 2; },
       "slots.4.destination: the licence text must land in the working folder"},
      {"kind 3 sends a movie to the shared folder", [](Json& m, SaverpackTest&) { m["slots"]["3"]["destination"] = 3; },
       "slots.3.destination: the presentation must land in the working folder, not the shared folder"},
      {"no target folder",
       [](Json& m, SaverpackTest&) { setSlot(m, "9", {{"file", "intro.swf"}, {"destination", 8}}); },
       "slots.9.destination: kind 8 has no target folder"},
      {"destination out of range",
       [](Json& m, SaverpackTest&) { setSlot(m, "9", {{"file", "intro.swf"}, {"destination", 11}}); },
       "slots.9.destination: must be product, system, shared, working or a kind from 0 to 10"},
      {"two slots, one file",
       [](Json& m, SaverpackTest&) {
         setSlot(m, "7", {{"file", "intro.swf"}, {"name", "x.dll"}});
         setSlot(m, "9", {{"file", "intro.swf"}, {"name", "X.DLL"}});
       },
       "slots.9.name: writes \"X.DLL\" to the product folder, as slot 7 already does"},
      {"engine name", [](Json& m, SaverpackTest&) { m["slots"]["6"]["name"] = "other.scr"; },
       "slots.6.name: \"other.scr\" should be the saver name plus \".scr\""},
      {"unknown key", [](Json& m, SaverpackTest&) { m["slots"]["6"]["fiel"] = "x"; }, "slots.6.fiel: unknown key"},
      {"unknown top-level key", [](Json& m, SaverpackTest&) { m["stubb"] = "x"; }, "stubb: unknown key"},
      {"slot zero", [](Json& m, SaverpackTest&) { setSlot(m, "0", {{"file", "intro.swf"}}); },
       "slots.0: not a slot"},
      {"slot eleven", [](Json& m, SaverpackTest&) { setSlot(m, "11", {{"file", "intro.swf"}}); },
       "slots.11: not a slot"},
      {"slot without a file", [](Json& m, SaverpackTest&) { m["slots"]["4"].erase("file"); }, "slots.4.file: missing"},
      {"presentation mode", [](Json& m, SaverpackTest&) { m["presentationMode"] = 5; }, "presentationMode: must be"},
      {"presentation name", [](Json& m, SaverpackTest&) { m["presentationMode"] = "movie"; },
       "presentationMode: \"movie\" is not bitmap, flash, quiet or jpeg"},
      {"shown slot empty", [](Json& m, SaverpackTest&) { m["slots"].erase("3"); },
       "slots.3: presentation mode 2 shows slot 3, but slot 3 is empty"},
      {"licence without a text",
       [](Json& m, SaverpackTest&) {
         m["slots"].erase("4");
         m["options"]["license"] = true;
       },
       "options.license: is set, but slot 4 (licence text) is empty"},
      {"player installer without a file", [](Json& m, SaverpackTest&) { m["options"]["flashInstaller"] = true; },
       "options.flashInstaller: is set, but slot 2 (player installer) is empty"},
      {"option of the wrong type", [](Json& m, SaverpackTest&) { m["options"]["readMe"] = "yes"; },
       "options.readMe: must be true or false"},
      {"data and a file", [](Json& m, SaverpackTest&) { setSlot(m, "8", {{"file", "intro.swf"}}); },
       "slots.8.file: slot 8 is built from \"data\""},
      {"no content folder", [](Json& m, SaverpackTest&) { m["data"]["folder"] = "nowhere"; },
       "data.folder: no such folder"},
      {"bad implode choice", [](Json& m, SaverpackTest&) { m["data"]["implode"] = "sometimes"; },
       "data.implode: must be auto, always or never"},
      {"record of the wrong size",
       [](Json& m, SaverpackTest& t) {
         t.write("record.bin", Bytes(1239));
         m["data"]["recordFile"] = "record.bin";
       },
       "data.recordFile: \""},
      {"movie copies without kind 3", [](Json& m, SaverpackTest&) { m["data"]["movieCopies"] = Json::array({"a.swf"}); },
       "data.movieCopies: only a saver of kind 3"},
      {"kind 3 without a movie",
       [](Json& m, SaverpackTest&) {
         m["slots"].erase("3");
         m["data"]["saverKind"] = 3;
       },
       "slots.3.file: a saver of kind 3 needs the installer's movie"},
      {"kind 3 with a renamed movie",
       [](Json& m, SaverpackTest&) {
         m["data"]["saverKind"] = 3;
         m["slots"]["3"]["name"] = "intro.swf";
       },
       "slots.3.name: \"intro.swf\" must be \"installer.swf\" for a saver of kind 3"},
      {"content name Windows refuses",
       [](Json&, SaverpackTest& t) { t.write("content/what?.txt", std::string("x")); },
       "data.folder: \"what?.txt\" contains \"?\""},
      {"content names differing in case only",
       [](Json&, SaverpackTest& t) { t.write("content/Ocean.TXT", std::string("x")); },
       "are the same file on Windows"},
      {"too many items",
       [](Json&, SaverpackTest& t) {
         for (int i = 0; i < 1010; ++i) t.write("content/many/" + std::to_string(i), std::string("x"));
       },
       "data: 1013 items; the installer takes at most 1010"},
      {"bad stub",
       [](Json&, SaverpackTest& t) { t.write("saverstub.exe", Bytes(1000)); },
       "stub: \""},
      // The installer stops on these, so the builder refuses them.
      {"no engine", [](Json& m, SaverpackTest&) { m["slots"].erase("6"); },
       "slots.6: empty; the installer needs the screen saver engine"},
      {"no data file", [](Json& m, SaverpackTest&) { m.erase("data"); }, "slots.8: empty; the installer reads"},
      {"ready-made data file that is none",
       [](Json& m, SaverpackTest& t) {
         t.write("saver.dat", noise(2000, 7));
         m.erase("data");
         setSlot(m, "8", {{"file", "saver.dat"}});
       },
       "slots.8.file: \"saver.dat\" is not a valid screen saver data file"},
      {"empty slot file", [](Json&, SaverpackTest& t) { t.write("readme.htm", Bytes()); },
       "slots.5.file: \"readme.htm\" is empty"},
      {"binary licence", [](Json&, SaverpackTest& t) { t.write("LICENSE.txt", Bytes{'a', 0, 'b'}); },
       "slots.4.file: \"LICENSE.txt\" is not text (byte 0x00 at offset 1)"},
      {"licence with an escape character", [](Json&, SaverpackTest& t) { t.write("LICENSE.txt", std::string("ok\x1b[1m")); },
       "byte 0x1B at offset 2"},
      {"UTF-16 read-me", [](Json&, SaverpackTest& t) { t.write("readme.htm", Bytes{0xFF, 0xFE, '<', 0, 'p', 0}); },
       "slots.5.file: \"readme.htm\" is not text (byte 0x00 at offset 3); it looks like UTF-16"},
      {"picture that is no picture", [](Json& m, SaverpackTest&) { m["presentationMode"] = "bitmap"; },
       "slots.3.file: \"intro.swf\" is neither a BMP nor a JPEG picture"},
      {"link to a file in the content folder",
       [](Json&, SaverpackTest& t) { fs::create_symlink(t.path("LICENSE.txt"), t.path("content/link.txt")); },
       "data.folder: \"link.txt\" is a link; links are not packed unless you pass --follow-links"},
      {"link to a folder in the content folder",
       [](Json&, SaverpackTest& t) { fs::create_directory_symlink(t.path("content/media"), t.path("content/more")); },
       "data.folder: \"more\" is a link to a folder"},
  };
  return cases;
}

TEST_F(BuildValidationTest, RefusesEachBadManifestNamingTheFieldAndWritesNothing) {
  // Each case runs in a fresh copy of the fixture, so one case's files cannot hide another's.
  for (const BadManifest& bad : badManifests()) {
    SCOPED_TRACE(bad.what);
    TearDown();
    SetUp();
    Json manifest = standardManifest(false);
    bad.change(manifest, *this);
    const CliResult result = run({"build", writeManifest(manifest).u8string(), "-o",
                                  path("Installer.exe").u8string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(bad.message), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(path("Installer.exe")));
  }
}

TEST_F(BuildValidationTest, ReportsEveryProblemAtOnce) {
  Json manifest = standardManifest(false);
  manifest["saverName"] = "CON";
  manifest["options"]["flashVersionIndex"] = 9;
  manifest["slots"]["4"]["implode"] = "yes";
  const CliResult result = run({"build", writeManifest(manifest).u8string(), "-o", path("I.exe").u8string()});
  EXPECT_EQ(result.code, 1);
  for (const char* field : {"options.flashVersionIndex", "slots.4.implode"}) {
    EXPECT_NE(result.err.find(field), std::string::npos) << field << "\n" << result.err;
  }
}

TEST_F(BuildValidationTest, RefusesKeysGivenTwiceNamingEachPlace) {
  // The JSON library would keep the last value silently; each repeat is an error of its own.
  write("twice.json", std::string(R"({"saverName": "A", "saverName": "B", "presentationMode": "quiet",
      "slots": {"6": {"file": "engine.scr", "implode": true, "implode": false}}, "data": {"folder": "content"}})"));
  const CliResult result = run({"build", path("twice.json").u8string(), "-o", path("I.exe").u8string()});
  EXPECT_EQ(result.code, 1);
  for (const char* field : {"saverName: given twice", "slots.6.implode: given twice"}) {
    EXPECT_NE(result.err.find(field), std::string::npos) << field << "\n" << result.err;
  }
  EXPECT_FALSE(fs::exists(path("I.exe")));
}

TEST_F(BuildValidationTest, RefusesMalformedJson) {
  write("broken.json", std::string("{\"saverName\": "));
  const CliResult result = run({"build", path("broken.json").u8string(), "-o", path("I.exe").u8string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("manifest: not valid JSON"), std::string::npos) << result.err;
}

TEST_F(BuildValidationTest, KeepsAnEarlierInstallerWhenABuildFails) {
  const Bytes good = build(standardManifest(false));
  Json manifest = standardManifest(false);
  manifest["slots"]["6"]["file"] = "gone.scr";
  const CliResult result = run({"build", writeManifest(manifest).u8string(), "-o", path("Installer.exe").u8string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(readWholeFile(path("Installer.exe")), good);
}

}  // namespace
}  // namespace saverpack::test
