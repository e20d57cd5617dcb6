// The installed player's version: the "$version" answer's parsing, and the control read with
// its pauses, its retries and the version it keeps for the rest of the run.
#include <gtest/gtest.h>

#include "common/saverkit_error.h"
#include "flash/player_detection.h"
#include "installer/fake/fake_platform.h"

namespace saverkit {
namespace {

using Outcome = PlayerVersionAnswer::Outcome;

TEST(PlayerVersionText, MajorAndThirdNumberOfFourItems) {
  struct Row {
    const char* text;
    std::int32_t major, release;
  };
  for (const Row& row : {Row{"WIN 10,0,45,2", 10, 45}, Row{"WIN 9,0,124", 9, 124},
                         Row{"  MAC\t11 , 1 ,102,62", 11, 102}, Row{"\"WIN 7\" 10,1,22,87", 10, 22}}) {
    SCOPED_TRACE(row.text);
    std::int32_t major = -5, release = -5;
    parseFlashVersionString(row.text, major, release);
    EXPECT_EQ(major, row.major);
    EXPECT_EQ(release, row.release);
  }
  for (const char* bad : {"WIN 10,0", "", "WIN x,0,45,2", "WIN 10,0,4a,2"}) {
    SCOPED_TRACE(bad);
    std::int32_t major = 0, release = 0;
    EXPECT_THROW(parseFlashVersionString(bad, major, release), SaverkitError);
  }
}

TEST(PlayerInstallerCheck, OnlyWindowsNtFourRefusesPlayersFromVersionEight) {
  const VersionRecord ntFour{4, 0, 1381, 2, "Service Pack 6"};
  const VersionRecord windows2000{5, 0, 2195, 2, "Service Pack 4"};
  struct Row {
    const char* what;
    VersionRecord version;
    std::int32_t carriedMajor;
    Status expected;
  };
  for (const Row& row : {Row{"NT 4, player 8", ntFour, 8, -455}, Row{"NT 4, player 10", ntFour, 10, -455},
                         Row{"NT 4, player 7", ntFour, 7, 0}, Row{"NT 4, no player", ntFour, 0, 0},
                         Row{"2000, player 10", windows2000, 10, 0}, Row{"2000, player 8", windows2000, 8, 0}}) {
    SCOPED_TRACE(row.what);
    fake::FakePlatform fakes;
    fakes.system.version = row.version;
    EXPECT_EQ(verifyFlashAXInstallerCanRunOnThisMachine(fakes.system, row.carriedMajor), row.expected);
  }
}

TEST(PlayerDetection, OnlyAsksToReadTheRegistry) {
  fake::FakePlatform fakes;
  fakes.registry.openKey(RegistryRoot::kLocalMachine, kPlayerClassKey, KeyAccess::kCreate)->setString("", "C:\\f.ocx");
  fakes.files.addFile("C:\\f.ocx", "ocx");
  fakes.system.fileVersions["C:\\f.ocx"] = {10u << 16, 12u << 16};
  fakes.registry.openings.clear();
  PlayerVersionCache cache;
  FlashServices services = fakes.flashServices(cache);
  EXPECT_EQ(getInstalledFlashPlayerVersion(services, 1).major, 10);
  ASSERT_FALSE(fakes.registry.openings.empty());
  for (const auto& opening : fakes.registry.openings) {
    SCOPED_TRACE(opening.path);
    EXPECT_EQ(opening.access, KeyAccess::kRead);
  }
}

// HKEY_CLASSES_ROOT merges the user's classes over the machine's: a key of the user's there would
// choose the control file the elevated installer judges. Only the machine's registration counts.
TEST(PlayerDetection, TheUsersOwnClassRegistrationIsNotRead) {
  fake::FakePlatform fakes;
  fakes.registry.openKey(RegistryRoot::kCurrentUser, kPlayerClassKey, KeyAccess::kCreate)->setString("", "C:\\u\\f.ocx");
  std::string path;
  EXPECT_EQ(readFlashOcxPath(fakes.registry, path), -402);
  EXPECT_EQ(path, "");
  fakes.registry.openKey(RegistryRoot::kLocalMachine, kPlayerClassKey, KeyAccess::kCreate)->setString("", "C:\\f.ocx");
  EXPECT_EQ(readFlashOcxPath(fakes.registry, path), 0);
  EXPECT_EQ(path, "C:\\f.ocx");
}

class ControlReadTest : public ::testing::Test {
 protected:
  ControlReadTest() { fakes.registerPlayerControl(kControlFile); }
  const std::string kControlFile = "C:\\Windows\\system32\\Macromed\\Flash\\Flash10a.ocx";
  fake::FakePlatform fakes;
  PlayerVersionCache cache;
  FlashServices services = fakes.flashServices(cache);
  PlayerVersion version;
};

TEST_F(ControlReadTest, RetriesUntilAControlAnswersThenKeepsItsVersion) {
  fakes.player.answers = {{}, {}, {Outcome::kAnswered, "WIN 10,0,12,36"}};
  EXPECT_EQ(getFlashPlayerVersionFromControl(services, version, 20), 0);
  EXPECT_TRUE(version.found);
  EXPECT_EQ(version.major, 10);
  EXPECT_EQ(version.release, 12);
  EXPECT_EQ(fakes.clock.now, 1500u);  // a pause before every attempt, the first included

  fakes.player.lastAnswer = {Outcome::kAnswered, "WIN 11,0,1,0"};
  PlayerVersion again;
  EXPECT_EQ(getFlashPlayerVersionFromControl(services, again, 20), 0);
  EXPECT_EQ(again.major, 10);  // the first answer of the run stands
  EXPECT_EQ(fakes.player.queries, 3);
  EXPECT_EQ(fakes.clock.now, 1500u);
}

// The control is made only from the machine's registration, by a full path: a registration of
// the user's own comes first in COM's lookup, and a bare name is looked for beside the installer.
TEST_F(ControlReadTest, TheControlIsMadeOnlyFromTheMachinesFileByItsFullPath) {
  fakes.player.lastAnswer = {Outcome::kAnswered, "WIN 10,0,12,36"};
  struct Row {
    const char* what;
    const char* machine;  // nullptr: no registration of the machine's
    bool asked;
  };
  for (const Row& row : {Row{"the user's own only", nullptr, false}, Row{"a bare name", "Flash10a.ocx", false},
                         Row{"a relative path", "Macromed\\Flash10a.ocx", false},
                         Row{"a drive-relative path", "C:Flash10a.ocx", false},
                         Row{"a rooted path without its drive", "\\Flash10a.ocx", false},
                         Row{"a full path", "d:\\Flash\\Flash10a.ocx", true}}) {
    SCOPED_TRACE(row.what);
    fake::FakePlatform machine;
    machine.player.lastAnswer = fakes.player.lastAnswer;
    machine.registry.openKey(RegistryRoot::kCurrentUser, kPlayerClassKey, KeyAccess::kCreate)->setString("", "C:\\u\\f.ocx");
    if (row.machine) machine.registerPlayerControl(row.machine);
    PlayerVersionCache fresh;
    FlashServices onMachine = machine.flashServices(fresh);
    EXPECT_EQ(getFlashPlayerVersionFromControl(onMachine, version, 3), row.asked ? 0 : -402);
    EXPECT_EQ(machine.player.controlFiles,
              row.asked ? std::vector<std::string>{row.machine} : std::vector<std::string>{});
    EXPECT_EQ(machine.clock.now, row.asked ? 500u : 1500u);  // no file, no control: the same patience
  }
}

TEST_F(ControlReadTest, AControlThatCannotAnswerEndsTheRead) {
  fakes.player.answers = {{}, {Outcome::kQueryFailed, ""}, {Outcome::kAnswered, "WIN 10,0,12,36"}};
  EXPECT_EQ(getFlashPlayerVersionFromControl(services, version, 20), -402);
  EXPECT_FALSE(version.found);
  EXPECT_EQ(fakes.player.queries, 2);

  fakes.player.answers = {{Outcome::kAnswered, "WIN 10,0"}};
  fakes.player.queries = 0;
  EXPECT_EQ(getFlashPlayerVersionFromControl(services, version, 20), -402);
  EXPECT_EQ(fakes.player.queries, 1);
  EXPECT_EQ(cache.major, -1);

  EXPECT_EQ(getFlashPlayerVersionFromControl(services, version, 0), 0);
  EXPECT_FALSE(version.found);
}

TEST_F(ControlReadTest, TheUpdateWaitsForTheCarriedVersion) {
  fakes.files.addFile("C:\\work\\install_flash_player_10_active_x.exe", "x");
  fakes.player.answers = {{}, {}, {}, {Outcome::kAnswered, "WIN 10,0,12,36"}};
  EXPECT_EQ(handleFlashActiveXControlUpdate(services, "C:\\work\\install_flash_player_10_active_x.exe", 10, 12), 0);
  EXPECT_EQ(fakes.player.queries, 4);
  EXPECT_EQ(fakes.clock.now, 2000u);

  fake::FakePlatform other;
  PlayerVersionCache otherCache;
  FlashServices wrong = other.flashServices(otherCache);
  other.registerPlayerControl(kControlFile);
  other.files.addFile("C:\\work\\Player Setup.exe", "x");
  other.player.lastAnswer = {Outcome::kAnswered, "WIN 9,0,124,0"};
  EXPECT_EQ(handleFlashActiveXControlUpdate(wrong, "C:\\work\\Player Setup.exe", 10, 12), 0);
  EXPECT_EQ(other.shell.started, std::vector<std::string>{"C:\\work\\Player Setup.exe /Q"});
  EXPECT_EQ(other.player.queries, 1);  // later passes compare the kept version without pauses
  EXPECT_EQ(other.clock.now, 500u);

  other.shell.startResult = 2;
  EXPECT_EQ(runFlashPlayerInstaller(wrong, "C:\\work\\Player Setup.exe"), 2);
  EXPECT_EQ(runFlashPlayerInstaller(wrong, "C:\\work\\gone.exe"), -401);
}

}  // namespace
}  // namespace saverkit
