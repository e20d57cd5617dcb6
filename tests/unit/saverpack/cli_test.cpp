// saverpack's command line: help, usage errors and exit codes, and inspect's two outputs.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

class CliTest : public SaverpackTest {};

TEST_F(CliTest, EveryCommandHasHelp) {
  for (const char* command : {"build", "datafile", "inspect", "verify", "extract", "sign", "preview"}) {
    SCOPED_TRACE(command);
    const CliResult result = run({command, "--help"});
    EXPECT_EQ(result.code, 0);
    EXPECT_NE(result.out.find(std::string("Usage: saverpack ") + command), std::string::npos) << result.out;
    EXPECT_EQ(run({"help", command}).out, result.out);
  }
  const CliResult overview = run({"--help"});
  EXPECT_EQ(overview.code, 0);
  EXPECT_NE(overview.out.find("Exit codes"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"frobnicate"},
      {"build", "manifest.json"},                     // no -o
      {"build", "a.json", "b.json", "-o", "x"},        // two manifests
      {"inspect"},
      {"inspect", "x", "--colour"},
      {"extract", "x"},
      {"datafile", "content", "-o", "x", "--implode", "maybe"},
      {"datafile", "content", "-o", "x", "--rule", "*.txt"},
      {"datafile", "content", "-o", "x", "--saver-kind", "three"},
      {"build", "m.json", "-o", "x", "-o", "y"},
      {"build", "m.json", "--output"},
      {"preview", "m.json"},                           // no -o
      {"preview", "m.json", "-o", "w.png", "--timeout", "0"},
      {"preview", "m.json", "-o", "w.png", "--timeout", "soon"},
  };
  for (const auto& line : lines) {
    std::string shown;
    for (const auto& arg : line) shown += arg + " ";
    SCOPED_TRACE(shown);
    const CliResult result = run(line);
    EXPECT_EQ(result.code, 2) << result.err;
    EXPECT_FALSE(result.err.empty());
  }
}

TEST_F(CliTest, PreviewNeverWritesOverItsInput) {
  const std::string installer = write("Setup.exe", std::string("MZ")).u8string();
  const CliResult result = run({"preview", installer, "-o", installer});
  EXPECT_EQ(result.code, 2) << result.err;
  EXPECT_EQ(readWholeFile(installer), bytesOf("MZ"));
  // Nor with a frame of the show: -o Setup.png names Setup-01.png first.
  const std::string frame = write("Setup-01.png", std::string("MZ")).u8string();
  const CliResult show = run({"preview", frame, "--show", "--for", "0", "-o", write("Setup.png", std::string()).u8string()});
  EXPECT_EQ(show.code, 2) << show.err;
  EXPECT_EQ(readWholeFile(frame), bytesOf("MZ"));
}

// The times preview's help gives are the ones the README gives, measured there.
TEST_F(CliTest, PreviewHelpAndReadmeGiveTheSameTimes) {
  const auto times = [](std::string text) {
    for (char& c : text) c = c == '\n' ? ' ' : c;
    std::set<std::string> found;
    static const std::regex kTime(R"(about +(\d+) +seconds)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kTime); it != std::sregex_iterator(); ++it) {
      found.insert((*it)[1]);
    }
    return found;
  };
  const Bytes readme = readWholeFile(std::filesystem::u8path(SAVERPACK_EXAMPLES) / ".." / "tools" / "saverpack" / "README.md");
  const std::string text(readme.begin(), readme.end());
  const std::size_t section = text.find("\n## preview\n");
  ASSERT_NE(section, std::string::npos);
  const std::set<std::string> help = times(run({"preview", "--help"}).out);
  EXPECT_EQ(help, (std::set<std::string>{"20", "4", "8"}));
  EXPECT_EQ(times(text.substr(section, text.find("\n## ", section + 1) - section)), help);
}

TEST_F(CliTest, UnreadableFilesExitWithThree) {
  for (const char* command : {"inspect", "verify"}) {
    SCOPED_TRACE(command);
    const CliResult result = run({command, path("missing.exe").u8string()});
    EXPECT_EQ(result.code, 3);
    EXPECT_NE(result.err.find("missing.exe"), std::string::npos);
  }
  EXPECT_EQ(run({"build", path("missing.json").u8string(), "-o", path("x").u8string()}).code, 3);
}

TEST_F(CliTest, InspectShowsHeaderSlotsAndItemsAsTextOrJson) {
  writeFixtureFiles();
  build(standardManifest(false));
  const CliResult text = run({"inspect", path("Installer.exe").u8string()});
  ASSERT_EQ(text.code, 0) << text.err;
  for (const char* expected : {"\"Ocean Waves\"", "Flash movie from slot 3", "\"impborl.dat\" -> \"impborl.dll\"",
                               "\"Ocean Waves.scr\"", "Data file (slot 8)", "\"media\\wave.bin\""}) {
    EXPECT_NE(text.out.find(expected), std::string::npos) << expected << "\n" << text.out;
  }
  const CliResult json = run({"inspect", path("Installer.exe").u8string(), "--json"});
  ASSERT_EQ(json.code, 0);
  const Json parsed = Json::parse(json.out);
  EXPECT_EQ(parsed["header"]["saverName"], "Ocean Waves");
  EXPECT_EQ(parsed["slots"].size(), 6u);
  EXPECT_EQ(parsed["slots"][0]["startOffset"], 690176 + 3152);
  EXPECT_EQ(parsed["slots"][0]["targetName"], "impborl.dll");
  EXPECT_EQ(parsed["dataFile"]["itemCount"], 3);
  EXPECT_EQ(parsed["dataFile"]["items"][2]["path"], "ocean.txt");
  EXPECT_TRUE(parsed["findings"].empty());
}

TEST_F(CliTest, InspectJsonStaysValidForNamesThatAreNotUtf8) {
  writeFixtureFiles();
  Bytes installer = build(standardManifest(false));
  // Slot 5's name becomes "r\xE9adme.htm" (a single-byte accented letter).
  installer[690176 + 72 + 5 * 280 + 2] = 0xE9;
  write("odd.exe", installer);
  const CliResult json = run({"inspect", path("odd.exe").u8string(), "--json"});
  ASSERT_EQ(json.code, 0);
  EXPECT_NO_THROW(Json::parse(json.out));
}

TEST_F(CliTest, InspectTellsADataFileFromAnInstaller) {
  writeFixtureFiles();
  ASSERT_EQ(run({"datafile", path("content").u8string(), "-o", path("saver.dat").u8string()}).code, 0);
  const CliResult result = run({"inspect", path("saver.dat").u8string(), "--json"});
  ASSERT_EQ(result.code, 0) << result.err;
  const Json parsed = Json::parse(result.out);
  EXPECT_EQ(parsed["type"], "dataFile");
  EXPECT_EQ(parsed["dataFile"]["items"].size(), 3u);
  EXPECT_EQ(run({"inspect", path("saver.dat").u8string(), "--as", "installer"}).code, 1);
}

}  // namespace
}  // namespace saverpack::test
