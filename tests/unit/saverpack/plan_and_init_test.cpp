// The install plan (build --list and inspect --plan say the same thing, with the right target
// path for every destination kind) and the sample project that init writes and examples/ keeps.
#include <gtest/gtest.h>

#include <sstream>

#include "content_checks.h"
#include "saverpack_fixture.h"

#ifndef SAVERPACK_EXAMPLES
#error "the tests need SAVERPACK_EXAMPLES, the examples folder"
#endif

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

class PlanTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }
};

// The line of the plan that ends with `target`, or empty.
std::string lineEndingWith(const std::string& text, const std::string& target) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() >= target.size() && line.compare(line.size() - target.size(), target.size(), target) == 0) {
      return line;
    }
  }
  return {};
}

TEST_F(PlanTest, ListAndInspectPlanAgreeAndNameEachTarget) {
  Json manifest = standardManifest(true);
  manifest["slots"]["7"] = {{"file", "intro.swf"}, {"name", "helper.ocx"}, {"destination", "shared"}};
  manifest["slots"]["9"] = {{"file", "LICENSE.txt"}, {"name", "notes.txt"}};
  const CliResult built = run({"build", writeManifest(manifest).u8string(), "-o", path("Setup.exe").u8string(),
                               "--list", "--no-progress"});
  ASSERT_EQ(built.code, 0) << built.err;
  const CliResult inspected = run({"inspect", path("Setup.exe").u8string(), "--plan"});
  ASSERT_EQ(inspected.code, 0) << inspected.err;
  ASSERT_FALSE(inspected.out.empty());
  EXPECT_NE(built.out.find("\n\n" + inspected.out), std::string::npos) << built.out << "\n---\n" << inspected.out;

  const struct {
    const char* role;
    const char* target;
  } expected[] = {
      {"  1   implode library", "C:\\Users\\<user>\\AppData\\Local\\Vantrel\\ZOR<n>\\impborl.dll"},
      {"  4   licence", "C:\\Users\\<user>\\AppData\\Local\\Vantrel\\ZOR<n>\\LICENSE.txt"},
      {"  6   engine", "C:\\Windows\\system32\\Ocean Waves.scr"},
      {"  7   product file", "C:\\ProgramData\\Vantrel\\helper.dll"},
      {"  9   product file", "C:\\ProgramData\\Vantrel\\Ocean Waves\\notes.txt"},
      {"  2   file ", "C:\\ProgramData\\Vantrel\\Ocean Waves\\media\\wave.bin"},
      {"  3   file, imploded", "C:\\ProgramData\\Vantrel\\Ocean Waves\\ocean.txt"},
      {"  1   empty (not written)", "C:\\ProgramData\\Vantrel\\Ocean Waves\\media\\deep\\empty.dat"},
      {"    DisplayName", "Ocean Waves Screen Saver"},
      {"    UninstallString", "\"C:\\Windows\\system32\\Ocean Waves.scr\" /u"},
      {"  HKLM\\", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ocean Waves"},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.target);
    const std::string line = lineEndingWith(inspected.out, e.target);
    EXPECT_EQ(line.rfind(e.role, 0), 0u) << "line: " << line << "\n" << inspected.out;
  }
}

TEST_F(PlanTest, RegistryEntryFollowsTheSaverName) {
  const struct {
    const char* name;
    const char* displayName;
    const char* uninstall;
  } cases[] = {
      {"Reef", "Reef Screen Saver", "C:\\Windows\\system32\\Reef.scr /u"},
      {"Reef Saver", "Reef Saver", "\"C:\\Windows\\system32\\Reef Saver.scr\" /u"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Json manifest = standardManifest(false);
    manifest["saverName"] = c.name;
    build(manifest);
    const CliResult plan = run({"inspect", path("Installer.exe").u8string(), "--plan"});
    ASSERT_EQ(plan.code, 0) << plan.err;
    EXPECT_NE(plan.out.find(std::string("DisplayName      ") + c.displayName + "\n"), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find(std::string("UninstallString  ") + c.uninstall + "\n"), std::string::npos) << plan.out;
  }
}

TEST_F(PlanTest, PlanIsOnlyForInstallers) {
  ASSERT_EQ(run({"datafile", path("content").u8string(), "-o", path("saver.dat").u8string()}).code, 0);
  const CliResult result = run({"inspect", path("saver.dat").u8string(), "--plan"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("is a data file; --plan shows what an installer writes"), std::string::npos);
  EXPECT_EQ(run({"inspect", path("saver.dat").u8string(), "--plan", "--json"}).code, 2);
}

TEST_F(PlanTest, InitWritesTheExampleProjectWhichBuildsWithoutWarnings) {
  const fs::path project = path("ocean-sample");
  const CliResult init = run({"init", project.u8string()});
  ASSERT_EQ(init.code, 0) << init.err;

  // The committed example is what init writes, byte for byte.
  const fs::path example = fs::u8path(SAVERPACK_EXAMPLES) / "ocean-sample";
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(project)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const fs::path relative = entry.path().lexically_relative(project);
    SCOPED_TRACE(relative.u8string());
    EXPECT_NE(init.out.find(relative.generic_u8string()), std::string::npos);
    ASSERT_TRUE(fs::exists(example / relative));
    EXPECT_EQ(readWholeFile(example / relative), readWholeFile(entry.path()));
  }
  EXPECT_EQ(files, 7u);
  const auto picture = pictureSize(readWholeFile(project / "picture.bmp"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 482);
  EXPECT_EQ(picture->height, 272);

  for (const fs::path& manifest : {project / "manifest.json", example / "manifest.json"}) {
    SCOPED_TRACE(manifest.u8string());
    const CliResult built = run({"build", manifest.u8string(), "-o", path("Setup.exe").u8string(), "--strict"});
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_TRUE(built.err.empty()) << built.err;
    const CliResult verified = run({"verify", path("Setup.exe").u8string()});
    EXPECT_EQ(verified.code, 0) << verified.err;
    EXPECT_NE(verified.out.find("OK (6 slots, data file with 4 items)"), std::string::npos) << verified.out;
    EXPECT_NE(verified.out.find("Flash Player: not needed"), std::string::npos) << verified.out;
    // The reference engine travels as the saver's .scr.
    const auto report = run({"inspect", "--json", path("Setup.exe").u8string()});
    EXPECT_NE(report.out.find("\"name\": \"Ocean Sample.scr\""), std::string::npos);
  }
  const CliResult named = run({"init", path("other").u8string(), "--name", "Deep Blue"});
  ASSERT_EQ(named.code, 0) << named.err;
  EXPECT_NE(readWholeFile(path("other/manifest.json")), readWholeFile(project / "manifest.json"));
  EXPECT_NE(named.out.find("\"Deep Blue\""), std::string::npos);
}

}  // namespace
}  // namespace saverpack::test
