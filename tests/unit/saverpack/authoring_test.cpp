// What protects an author: outputs that would destroy inputs are refused, warnings point at
// likely mistakes and --strict makes them fail a build, links are followed only on request,
// the stub is found where an installed saverpack keeps it, and every message says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "content_checks.h"
#include "package/package_format.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

class AuthoringTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }

  std::map<std::string, Bytes> snapshot() const {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_regular_file()) files[entry.path().u8string()] = readWholeFile(entry.path());
    }
    return files;
  }

  std::string file(const char* relative) const { return path(relative).u8string(); }
};

// A BMP file header and info header; the pixels are never read by the checks.
Bytes bmpHeader(std::int32_t width, std::int32_t height) {
  Bytes bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[14] = 40;
  for (int i = 0; i < 4; ++i) {
    bytes[18 + i] = std::uint8_t(std::uint32_t(width) >> (8 * i));
    bytes[22 + i] = std::uint8_t(std::uint32_t(height) >> (8 * i));
  }
  return bytes;
}

// A JPEG's markers up to its frame header: an APP0 segment, a Huffman table and `frame`.
Bytes jpegHeader(std::uint8_t frame, int width, int height) {
  Bytes bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,
                 0xFF, 0xC4, 0, 4, 0, 0};
  const Bytes sof = {0xFF, frame, 0, 11, 8, std::uint8_t(height >> 8), std::uint8_t(height),
                     std::uint8_t(width >> 8), std::uint8_t(width), 1, 1, 0x11, 0};
  bytes.insert(bytes.end(), sof.begin(), sof.end());
  return bytes;
}

TEST_F(AuthoringTest, RefusesOutputsThatWouldDestroyAnInputAndChangesNothing) {
  fs::create_hard_link(path("engine.scr"), path("engine-link.scr"));
  write("record.bin", Bytes(1240));
  write("full/old.txt", std::string("keep me"));
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {"the manifest", {"build", manifest, "-o", manifest}, "is the manifest; writing there would destroy"},
      {"a slot file", {"build", manifest, "-o", file("engine.scr")}, "is slot 6's file (slots.6.file)"},
      {"a slot file by another name", {"build", manifest, "-o", file("engine-link.scr")}, "is slot 6's file"},
      {"the stub", {"build", manifest, "-o", file("saverstub.exe")}, "is the stub"},
      {"the implode library", {"build", manifest, "-o", file("impborl.dll")}, "is slot 1's file"},
      {"a content file", {"build", manifest, "-o", file("content/ocean.txt")}, "is inside the content folder"},
      {"a new file in the content folder", {"build", manifest, "-o", file("content/media/Setup.exe")},
       "the next build would pack it"},
      {"datafile into its folder", {"datafile", file("content"), "-o", file("content/x.dat")},
       "is inside the content folder (datafile.folder)"},
      {"datafile onto its record", {"datafile", file("content"), "--record", file("record.bin"), "-o", file("record.bin")},
       "is the record file (datafile.recordFile)"},
      {"extract into a full folder", {"extract", file("saverstub.exe"), file("full")}, "is not empty; extracting could"},
      {"init into a full folder", {"init", file("full")}, "is not empty; init would replace"},
  };
  const auto before = snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliResult result = run(c.args);
    EXPECT_EQ(result.code, 2);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.rfind("saverpack: error: ", 0), 0u) << result.err;
  }
  EXPECT_EQ(snapshot(), before);
}

TEST_F(AuthoringTest, ForceWritesIntoAFolderThatIsNotEmpty) {
  build(standardManifest(false));
  write("full/old.txt", std::string("keep me"));
  const CliResult result = run({"extract", file("Installer.exe"), file("full"), "--force"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(readWholeFile(path("full/old.txt")), bytesOf("keep me"));
  EXPECT_TRUE(fs::exists(path("full/Ocean Waves.scr")));
}

TEST_F(AuthoringTest, WriteFailuresNameTheRealFileAndTheReason) {
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  fs::create_directories(path("a folder"));
  struct Case {
    const char* what;
    std::string output;
    const char* message;
  };
  const Case cases[] = {
      {"missing folder", file("nowhere/Setup.exe"), "is not an existing folder"},
      {"a folder", file("a folder"), "it is a folder"},
      {"a file as the folder", file("engine.scr/Setup.exe"), "is a file, not a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliResult result = run({"build", manifest, "-o", c.output});
    EXPECT_EQ(result.code, 3);
    EXPECT_NE(result.err.find("cannot write \"" + c.output + "\": "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("saverpack-partial"), std::string::npos) << result.err;
  }
}

// The temporary file is new and its name unguessable: a link planted under the name an earlier
// version used is never written through, and a stale partial file neither blocks the build nor
// is taken over.
TEST_F(AuthoringTest, TheTemporaryOutputIsNeverAFileThatExistedBefore) {
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  write("victim.txt", std::string("keep me"));
  fs::create_symlink(path("victim.txt"), path("Setup.exe.saverpack-partial"));
  write("Other.exe.saverpack-partial", std::string("stale"));
  for (const char* output : {"Setup.exe", "Other.exe"}) {
    SCOPED_TRACE(output);
    const CliResult result = run({"build", manifest, "-o", file(output)});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_GT(fs::file_size(path(output)), saverkit::kInstallerSizeInBytes);
  }
  EXPECT_EQ(readWholeFile(path("victim.txt")), bytesOf("keep me"));
  EXPECT_EQ(readWholeFile(path("Other.exe.saverpack-partial")), bytesOf("stale"));
  std::vector<std::string> partials;
  for (const auto& entry : fs::directory_iterator(path("."))) {
    const std::string name = entry.path().filename().u8string();
    if (name.find("saverpack-partial") != std::string::npos) partials.push_back(name);
  }
  std::sort(partials.begin(), partials.end());
  EXPECT_EQ(partials, (std::vector<std::string>{"Other.exe.saverpack-partial", "Setup.exe.saverpack-partial"}));
}

TEST_F(AuthoringTest, EachWarningIsReportedAndStrictMakesItFail) {
  fs::remove(path("content/media/deep/empty.dat"));  // the fixture's only warning
  ASSERT_EQ(run({"build", writeManifest(standardManifest(false)).u8string(), "-o", file("Setup.exe"), "--strict"}).code,
            0);
  // A picture of exactly the presentation area's size is not stretched, so it raises no warning.
  Json exact = standardManifest(false);
  write("pic.bmp", bmpHeader(482, 272));
  exact["presentationMode"] = "bitmap";
  exact["slots"]["3"]["file"] = "pic.bmp";
  EXPECT_EQ(run({"build", writeManifest(exact).u8string(), "-o", file("Exact.exe"), "--strict"}).code, 0);

  struct Case {
    const char* what;
    std::function<void(Json&, SaverpackTest&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"rule matching nothing", [](Json& m, SaverpackTest&) { m["data"]["implode"] = {{"*.jpeg", "never"}, {"*", "auto"}}; },
       "data.implode.*.jpeg: \"*.jpeg\" matches no file in the content folder"},
      {"rule behind a wider one", [](Json& m, SaverpackTest&) { m["data"]["implode"] = {{"*", "auto"}, {"*.txt", "never"}}; },
       "data.implode.*.txt: \"*.txt\" matches 1 file, but earlier rules decide all of them"},
      {"empty content folder",
       [](Json& m, SaverpackTest& t) {
         fs::create_directories(t.path("nothing"));
         m["data"]["folder"] = "nothing";
       },
       "data.folder: the folder holds no files; the data file will have no items"},
      {"imploded slot that grows",
       [](Json& m, SaverpackTest&) { m["slots"]["7"] = {{"file", "intro.swf"}, {"name", "x.swf"}, {"implode", true}}; },
       "slots.7.implode: imploding makes the file larger (700 to "},
      {"imploded item that grows", [](Json& m, SaverpackTest&) { m["data"]["implode"] = {{"*.bin", "always"}, {"*", "auto"}}; },
       "data.implode.*.bin: \"media\\wave.bin\" grows when imploded (333 to "},
      {"BMP of another size",
       [](Json& m, SaverpackTest& t) {
         t.write("pic.bmp", bmpHeader(640, 480));
         m["presentationMode"] = "bitmap";
         m["slots"]["3"]["file"] = "pic.bmp";
       },
       "slots.3.file: \"pic.bmp\" is a BMP of 640 x 480 pixels; the presentation area is 482 x 272"},
      {"BMP of the right width only",
       [](Json& m, SaverpackTest& t) {
         t.write("pic.bmp", bmpHeader(482, 300));
         m["presentationMode"] = "bitmap";
         m["slots"]["3"]["file"] = "pic.bmp";
       },
       "slots.3.file: \"pic.bmp\" is a BMP of 482 x 300 pixels"},
      {"JPEG of the right height only",
       [](Json& m, SaverpackTest& t) {
         t.write("pic.jpg", jpegHeader(0xC0, 500, 272));
         m["presentationMode"] = "jpeg";
         m["slots"]["3"]["file"] = "pic.jpg";
       },
       "slots.3.file: \"pic.jpg\" is a JPEG of 500 x 272 pixels"},
      {"JPEG of another size",
       [](Json& m, SaverpackTest& t) {
         t.write("pic.jpg", jpegHeader(0xC0, 100, 50));
         m["presentationMode"] = "jpeg";
         m["slots"]["3"]["file"] = "pic.jpg";
       },
       "slots.3.file: \"pic.jpg\" is a JPEG of 100 x 50 pixels"},
      {"saver name Windows shortens", [](Json& m, SaverpackTest&) { m["saverName"] = "Ocean Waves."; },
       "saverName: \"Ocean Waves.\" ends in a full stop, which Windows drops: it is stored as \"Ocean Waves\""},
      {"engine that is not a program", [](Json&, SaverpackTest& t) { t.write("engine.scr", std::string("placeholder")); },
       "slots.6.file: \"engine.scr\" is not a Windows program"},
      {"a file the saver's /u leaves behind",
       [](Json& m, SaverpackTest&) { m["slots"]["7"] = {{"file", "intro.swf"}, {"name", "helper.ocx"}, {"destination", "system"}}; },
       "slots.7.destination: \"helper.ocx\" goes to the system folder, which the saver's /u does not clean"},
      {"an engine outside the system folder", [](Json& m, SaverpackTest&) { m["slots"]["6"]["destination"] = "product"; },
       "slots.6.destination: the engine goes to the product folder, where Windows does not look for screen savers"},
      {"a shared library /u leaves behind",
       [](Json& m, SaverpackTest&) { m["slots"]["9"] = {{"file", "intro.swf"}, {"name", "helper.ocx"}, {"destination", "shared"}}; },
       "slots.9.destination: \"helper.dll\" goes to the shared folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    fs::remove(path("content/media/deep/empty.dat"));
    const std::string output = file("Setup.exe");
    Json manifest = standardManifest(false);
    c.change(manifest, *this);
    const std::string written = writeManifest(manifest).u8string();
    const CliResult strict = run({"build", written, "-o", output, "--strict"});
    EXPECT_EQ(strict.code, 1);
    EXPECT_NE(strict.err.find(std::string("saverpack: error: ") + c.message), std::string::npos) << strict.err;
    EXPECT_NE(strict.err.find("--strict: 1 warning counted as an error"), std::string::npos) << strict.err;
    EXPECT_FALSE(fs::exists(output));
    const CliResult relaxed = run({"build", written, "-o", output});
    EXPECT_EQ(relaxed.code, 0) << relaxed.err;
    EXPECT_NE(relaxed.err.find(std::string("saverpack: warning: ") + c.message), std::string::npos) << relaxed.err;
  }
}

TEST_F(AuthoringTest, FollowsLinksOnlyWhenAskedAndNeverInCircles) {
  fs::create_symlink(path("LICENSE.txt"), path("content/linked.txt"));
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  EXPECT_EQ(run({"build", manifest, "-o", file("Setup.exe")}).code, 1);
  const CliResult followed = run({"build", manifest, "-o", file("Setup.exe"), "--follow-links"});
  ASSERT_EQ(followed.code, 0) << followed.err;
  ASSERT_EQ(run({"extract", file("Setup.exe"), file("out"), "--items"}).code, 0);
  EXPECT_EQ(readWholeFile(path("out/items/linked.txt")), readWholeFile(path("LICENSE.txt")));

  fs::create_directory_symlink(path("content"), path("content/media/again"));
  const CliResult loop = run({"build", manifest, "-o", file("Loop.exe"), "--follow-links"});
  EXPECT_EQ(loop.code, 1);
  EXPECT_NE(loop.err.find("\"media\\again\" leads back to a folder that holds it"), std::string::npos) << loop.err;
}

TEST_F(AuthoringTest, FindsTheStubBesideItselfOrInItsInstallLayout) {
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  const fs::path bin = path("prefix/bin");
  fs::create_directories(bin);
  const CliResult missing = runFrom(bin, {"build", manifest, "-o", file("Setup.exe")});
  EXPECT_EQ(missing.code, 1);
  for (const fs::path& looked : {bin / "saverstub.exe", path("prefix/share/saverkit/saverstub.exe")}) {
    EXPECT_NE(missing.err.find("\"" + looked.u8string() + "\""), std::string::npos) << missing.err;
  }
  EXPECT_NE(missing.err.find("--stub"), std::string::npos);

  for (const char* folder : {"prefix/share/saverkit", "prefix/bin"}) {
    SCOPED_TRACE(folder);
    fs::remove_all(path("prefix/share"));
    fs::create_directories(path(folder));
    fs::copy_file(path("saverstub.exe"), path(folder) / "saverstub.exe", fs::copy_options::overwrite_existing);
    const CliResult noLibrary = runFrom(bin, {"build", manifest, "-o", file("Setup.exe")});
    EXPECT_EQ(noLibrary.code, 1);
    EXPECT_NE(noLibrary.err.find("slots.1.file: impborl.dll not found"), std::string::npos) << noLibrary.err;
    fs::copy_file(path("impborl.dll"), path(folder) / "impborl.dll", fs::copy_options::overwrite_existing);
    const CliResult found = runFrom(bin, {"build", manifest, "-o", file("Setup.exe")});
    EXPECT_EQ(found.code, 0) << found.err;
    fs::remove(path(folder) / "saverstub.exe");
    fs::remove(path(folder) / "impborl.dll");
  }
}

TEST(PictureSize, ReadsBmpHeadersAndJpegFrames) {
  const struct {
    const char* what;
    Bytes bytes;
    int width;  // 0: no size
    int height;
  } cases[] = {
      {"BMP", bmpHeader(482, 272), 482, 272},
      {"top-down BMP", bmpHeader(482, -272), 482, 272},
      {"OS/2 BMP", [] {
         Bytes b(26, 0);
         b[0] = 'B', b[1] = 'M', b[14] = 12, b[18] = 0xE2, b[19] = 1, b[20] = 0x10, b[21] = 1;
         return b;
       }(), 482, 272},
      {"baseline JPEG", jpegHeader(0xC0, 482, 272), 482, 272},
      {"progressive JPEG", jpegHeader(0xC2, 1024, 768), 1024, 768},
      {"JPEG with no frame", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 1, 2, 3}, 0, 0},
      {"JPEG cut short", [] {
         Bytes b = jpegHeader(0xC0, 482, 272);
         b.resize(30);
         return b;
       }(), 0, 0},
      {"PNG", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto size = pictureSize(c.bytes);
    ASSERT_EQ(size.has_value(), c.width != 0);
    if (size) {
      EXPECT_EQ(size->width, c.width);
      EXPECT_EQ(size->height, c.height);
    }
  }
}

TEST_F(AuthoringTest, HelpAndVersionListEveryCommandAndOption) {
  const CliResult overview = run({"--help"});
  ASSERT_EQ(overview.code, 0);
  const CliResult version = run({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("saverpack ", 0), 0u);
  for (const char* command : {"init", "build", "datafile", "inspect", "verify", "sign", "extract", "preview"}) {
    SCOPED_TRACE(command);
    const std::string help = run({command, "--help"}).out;
    EXPECT_NE(version.out.find(std::string(" ") + command + (std::string(command) == "preview" ? " " : ",")),
              std::string::npos)
        << version.out;
    EXPECT_NE(overview.out.find(std::string("  ") + command + " "), std::string::npos);
    EXPECT_NE(help.find("-h, --help"), std::string::npos) << help;
    // Every option a command's help describes is also in the overview.
    for (std::size_t at = help.find("  --"); at != std::string::npos; at = help.find("  --", at + 1)) {
      const std::string option = help.substr(at + 2, help.find_first_of(" =,\n", at + 2) - at - 2);
      EXPECT_NE(overview.out.find(option), std::string::npos) << option;
    }
  }
}

TEST_F(AuthoringTest, SaysWhenAFileIsNeitherAnInstallerNorADataFile) {
  write("random.bin", noise(5000, 11));
  for (const char* command : {"inspect", "verify"}) {
    SCOPED_TRACE(command);
    const CliResult result = run({command, file("random.bin")});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("is neither an installer (which starts with \"MZ\") nor a screen saver data file"),
              std::string::npos)
        << result.err;
    for (const char c : result.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
  }
}

TEST_F(AuthoringTest, CountsAreSpelledWithTheRightPlural) {
  // A stub without the digest's place, so that a changed header is one error and not two.
  Bytes bareStub(690176, 0);
  bareStub[0] = 'M', bareStub[1] = 'Z';
  write("saverstub.exe", bareStub);
  const Bytes installer = build(standardManifest(false));
  const struct {
    int errors;
    const char* summary;
  } cases[] = {{1, "verification failed (1 error)"}, {2, "verification failed (2 errors)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.summary);
    auto header = *saverkit::decodePackageHeader(installer.data() + 690176, 3152);
    header.flashVersionIndex = 5;
    if (c.errors == 2) header.presentationMode = 6;
    Bytes damaged = installer;
    const auto bytes = saverkit::encodePackageHeader(header);
    std::copy(bytes.begin(), bytes.end(), damaged.begin() + 690176);
    write("damaged.exe", damaged);
    const CliResult result = run({"verify", file("damaged.exe")});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.summary), std::string::npos) << result.err;
  }
}

// Licences and read-mes as Linux editors save them: UTF-8, with or without a byte order mark,
// and LF line ends. What fits the installer's code page is converted and said; what does not is
// refused with the character named.
TEST_F(AuthoringTest, TextInUtf8IsConvertedOrRefusedWithTheCharacter) {
  fs::remove(path("content/media/deep/empty.dat"));  // the fixture's only warning
  const std::string manifest = writeManifest(standardManifest(false)).u8string();
  const auto build = [&] { return run({"build", manifest, "-o", file("Setup.exe"), "--no-progress", "--strict"}); };
  const auto installed = [&](const char* name) {
    EXPECT_EQ(run({"extract", file("Setup.exe"), file("out"), "--force"}).code, 0);
    return readWholeFile(path(std::string("out/") + name));
  };

  write("LICENSE.txt", std::string("bor\xC3\xA9" "ales \xC2\xA9 2026\n\xE2\x82\xAC 5\n"));
  CliResult result = build();
  ASSERT_EQ(result.code, 0) << result.err;  // notes never fail --strict
  EXPECT_NE(result.err.find("saverpack: note: slots.4.file: \"LICENSE.txt\" converted from UTF-8 to Windows-1252 (3 "
                            "characters outside ASCII)"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("line ends converted from LF to CR LF"), std::string::npos) << result.err;
  EXPECT_EQ(installed("LICENSE.txt"), bytesOf("bor\xE9" "ales \xA9 2026\r\n\x80 5\r\n"));

  write("LICENSE.txt", std::string("\xEF\xBB\xBFplain\r\n"));  // a byte order mark alone goes
  ASSERT_EQ(build().code, 0);
  EXPECT_EQ(installed("LICENSE.txt"), bytesOf("plain\r\n"));

  write("LICENSE.txt", std::string("caf\xC3\xA9\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n"));
  fs::remove(path("Setup.exe"));
  result = build();
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("\"LICENSE.txt\" is UTF-8, and \"\xC5\xBC\" (U+017C, line 2) has no place in Windows-1252"),
            std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(path("Setup.exe")));

  // The C1 controls would pass as single bytes that Windows-1252 shows as other characters
  // (the euro sign for U+0080): both ends of their range are refused by code; the no-break space
  // just above them is a character of the code page and passes.
  for (const auto& [utf8, named] : {std::pair{"\xC2\x80", "(U+0080, line 1)"}, std::pair{"\xC2\x9F", "(U+009F, line 1)"}}) {
    SCOPED_TRACE(named);
    write("LICENSE.txt", std::string("caf\xC3\xA9 ") + utf8 + "\r\n");
    result = build();
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(std::string("\"LICENSE.txt\" is UTF-8, and ") + named + " has no place in Windows-1252"),
              std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(path("Setup.exe")));
  }
  write("LICENSE.txt", std::string("caf\xC3\xA9\xC2\xA0!\r\n"));
  ASSERT_EQ(build().code, 0);
  EXPECT_EQ(installed("LICENSE.txt"), bytesOf("caf\xE9\xA0!\r\n"));
  fs::remove(path("Setup.exe"));

  // Windows-1252 text that is not valid UTF-8 is taken as it is; an HTML read-me that says it is
  // UTF-8 is read as UTF-8 by the browser, so it stays too.
  write("LICENSE.txt", std::string("caf\xE9\r\n"));
  write("readme.htm", std::string("<meta content='text/html; charset = \"UTF-8\"'><p>caf\xC3\xA9</p>"));
  ASSERT_EQ(build().code, 0);
  EXPECT_EQ(installed("LICENSE.txt"), bytesOf("caf\xE9\r\n"));
  EXPECT_EQ(installed("readme.htm"), bytesOf("<meta content='text/html; charset = \"UTF-8\"'><p>caf\xC3\xA9</p>"));

  // A UTF-8 mark before text in another encoding is named as what it is.
  write("LICENSE.txt", std::string("\xEF\xBB\xBFHello \xE9\r\n"));
  result = build();
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("after a UTF-8 byte order mark: the file mixes two encodings"), std::string::npos) << result.err;
}

TEST_F(AuthoringTest, TheNoPlayerMarkerIsWrittenShownAndRefusedWhereItCannotHold) {
  Json manifest = standardManifest(false);
  manifest["presentationMode"] = "bitmap";
  write("pic.bmp", bmpHeader(482, 272));
  manifest["slots"]["3"]["file"] = "pic.bmp";
  manifest["needsFlashPlayer"] = false;
  const Bytes installer = build(manifest);
  ASSERT_FALSE(installer.empty());
  const auto header = saverkit::decodePackageHeader(installer.data() + 690176, 3152);
  EXPECT_TRUE(header->needsNoFlashPlayer);
  const CliResult inspected = run({"inspect", file("Installer.exe")});
  EXPECT_NE(inspected.out.find("Flash Player: not needed (Saverkit's no-player marker in slot 0"), std::string::npos);
  EXPECT_EQ(inspected.out.find("slots.0"), std::string::npos) << inspected.out;  // not taken for a stray slot
  EXPECT_NE(run({"inspect", "--plan", file("Installer.exe")}).out.find("Flash Player\n  not needed"), std::string::npos);

  const struct { const char* what; std::function<void(Json&)> change; const char* message; } refused[] = {
      {"a movie", [](Json& m) { m["presentationMode"] = "flash"; m["slots"]["3"]["file"] = "intro.swf"; },
       "needsFlashPlayer: false does not go with a movie presentation"},
      {"a carried player", [](Json& m) { m["slots"]["2"] = {{"file", "intro.swf"}, {"name", "install_flash_player_active_x.exe"}}; },
       "needsFlashPlayer: false, yet slot 2 carries a player installer"},
      {"not a Boolean", [](Json& m) { m["needsFlashPlayer"] = "no"; }, "needsFlashPlayer: must be true or false"},
      {"a misspelt key", [](Json& m) { m.erase("needsFlashPlayer"); m["needFlashPlayer"] = false; },
       "needFlashPlayer: unknown key; did you mean needsFlashPlayer?"},
      {"another engine", [](Json& m) { m["engine"] = "marquee"; }, "engine: \"marquee\" is not an engine saverpack carries"},
      {"two engines", [](Json& m) { m["engine"] = "slideshow"; }, "engine: and slots.6.file both name the engine"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    Json changed = manifest;
    c.change(changed);
    const CliResult result = run({"build", writeManifest(changed).u8string(), "-o", file("Other.exe")});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  // A key far from every known one gets no guess.
  manifest["colourScheme"] = "blue";
  EXPECT_EQ(run({"build", writeManifest(manifest).u8string(), "-o", file("Other.exe")}).err.find("did you mean"),
            std::string::npos);
}

// One report for each folder that holds names the installer cannot read, not one per file.
TEST_F(AuthoringTest, NonAsciiContentNamesAreReportedOncePerFolder) {
  write("content/\xC3\xA9t\xC3\xA9/a.bin", "a");
  write("content/\xC3\xA9t\xC3\xA9/deep/b.bin", "b");
  write("content/media/caf\xC3\xA9.bin", "c");
  write("content/media/na\xC3\xAFve.bin", "d");
  const CliResult result = run({"build", writeManifest(standardManifest(false)).u8string(), "-o", file("Setup.exe")});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("the folder \"\xC3\xA9t\xC3\xA9\\\" has a name that is not printable ASCII (2 files in it)"),
            std::string::npos) << result.err;
  EXPECT_NE(result.err.find("\"media\\\" holds 2 files whose names are not printable ASCII"), std::string::npos)
      << result.err;
  std::size_t reports = 0;
  for (std::size_t at = result.err.find("not printable ASCII"); at != std::string::npos;
       at = result.err.find("not printable ASCII", at + 1)) {
    ++reports;
  }
  EXPECT_EQ(reports, 2u) << result.err;
}

}  // namespace
}  // namespace saverpack::test
