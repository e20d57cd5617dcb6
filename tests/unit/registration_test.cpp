// The uninstall entry, the rollback and the names derived from the saver name.
#include <gtest/gtest.h>

#include "installer/fake/fake_platform.h"
#include "system/registration.h"

namespace saverkit {
namespace {

const std::string kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(Naming, DisplayNameAndWindowTitle) {
  fake::FakeTextSource texts;
  struct Row {
    const char* name;
    const char* display;
    const char* title;
  };
  const Row rows[] = {
      {"Aquarium", "Aquarium Screen Saver", "Install Screen Saver: Aquarium"},
      {"Ocean", "Ocean Screen Saver", "Install Screen Saver: Ocean"},
      {"Ocean Saver", "Ocean Saver", "Install: Ocean Saver"},
      {"Fish Screensaver", "Fish Screensaver", "Install: Fish Screensaver"},
      {"SAVER X", "SAVER X", "Install: SAVER X"},
      {"My Screen Saver", "My Screen Saver", "Install: My Screen Saver"},
      {"Lifesavers", "Lifesavers", "Install: Lifesavers"},
      {"Sav er", "Sav er Screen Saver", "Install Screen Saver: Sav er"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(makeDisplayName(texts, row.name), row.display);
    EXPECT_EQ(makeWindowTitle(texts, row.name), row.title);
  }
}

TEST(Naming, TranslatedTextsCountForTheTitleOnly) {
  fake::FakeTextSource texts;
  texts.translations[TextId::kScreenSaver] = "Bildschirmschoner";
  texts.translations[TextId::kInstall] = "Installieren";
  EXPECT_EQ(makeWindowTitle(texts, "Ozean"), "Installieren Bildschirmschoner: Ozean");
  EXPECT_EQ(makeWindowTitle(texts, "Ozean Bildschirmschoner"), "Installieren: Ozean Bildschirmschoner");
  // The display name knows only the three English words.
  EXPECT_EQ(makeDisplayName(texts, "Ozean Bildschirmschoner"),
            "Ozean Bildschirmschoner Bildschirmschoner");
}

class RegistrationTest : public ::testing::Test {
 protected:
  fake::FakePlatform fakes;
  Status registerOcean(const std::string& name = "Ocean Waves") {
    return registerUninstall(fakes.registry, fakes.system, fakes.texts, "C:\\WINDOWS\\system32\\", name);
  }
};

TEST_F(RegistrationTest, WritesBothValuesUnderTheMachine) {
  EXPECT_EQ(registerOcean(), 0);
  const auto root = RegistryRoot::kLocalMachine;
  EXPECT_EQ(fakes.registry.value(root, kKey + "Ocean Waves", "DisplayName"), "Ocean Waves Screen Saver");
  EXPECT_EQ(fakes.registry.value(root, kKey + "Ocean Waves", "UninstallString"),
            "\"C:\\WINDOWS\\system32\\Ocean Waves.scr\" /u");
  EXPECT_FALSE(fakes.registry.hasKey(RegistryRoot::kCurrentUser, kKey + "Ocean Waves"));
}

TEST_F(RegistrationTest, FallsBackToTheUserWhenTheMachineRefuses) {
  fakes.registry.readOnlyRoots = {RegistryRoot::kLocalMachine};
  EXPECT_EQ(registerOcean(), 0);
  EXPECT_EQ(fakes.registry.value(RegistryRoot::kCurrentUser, kKey + "Ocean Waves", "DisplayName"),
            "Ocean Waves Screen Saver");
  fakes.registry.readOnlyRoots = {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser};
  EXPECT_EQ(registerOcean("Other"), -2201);
}

TEST_F(RegistrationTest, AFailedSecondWriteKeepsTheFirstValue) {
  fakes.registry.failingValueNames = {"UninstallString"};
  EXPECT_EQ(registerOcean(), -2201);
  EXPECT_EQ(fakes.registry.value(RegistryRoot::kLocalMachine, kKey + "Ocean Waves", "DisplayName"),
            "Ocean Waves Screen Saver");
  EXPECT_EQ(fakes.registry.value(RegistryRoot::kCurrentUser, kKey + "Ocean Waves", "DisplayName"),
            "Ocean Waves Screen Saver");
}

TEST_F(RegistrationTest, ShortPathOnlyOnTheNinetyFiveFamily) {
  fakes.system.shortPaths["C:\\WINDOWS\\system32\\Ocean Waves.scr"] = "C:\\WINDOWS\\SYSTEM32\\OCEANW~1.SCR";
  EXPECT_EQ(makeUninstallCommand(fakes.system, "C:\\WINDOWS\\system32\\", "Ocean Waves"),
            "\"C:\\WINDOWS\\system32\\Ocean Waves.scr\" /u");
  fakes.system.version = VersionRecord{4, 10, 2222, 1, " A"};
  EXPECT_EQ(makeUninstallCommand(fakes.system, "C:\\WINDOWS\\system32\\", "Ocean Waves"),
            "C:\\WINDOWS\\SYSTEM32\\OCEANW~1.SCR /u");
  // Without a short form the long one stays.
  EXPECT_EQ(makeUninstallCommand(fakes.system, "C:\\WINDOWS\\system32\\", "Sea"),
            "C:\\WINDOWS\\system32\\Sea.scr /u");
}

TEST_F(RegistrationTest, UnregisterRemovesTheMachineEntryAndLeavesAUserOnlyEntry) {
  ASSERT_EQ(registerOcean(), 0);
  EXPECT_EQ(unregisterUninstall(fakes.registry, "Ocean Waves"), 0);
  EXPECT_FALSE(fakes.registry.hasKey(RegistryRoot::kLocalMachine, kKey + "Ocean Waves"));

  fakes.registry.readOnlyRoots = {RegistryRoot::kLocalMachine};
  ASSERT_EQ(registerOcean(), 0);  // lands under the user
  fakes.registry.readOnlyRoots.clear();
  EXPECT_EQ(unregisterUninstall(fakes.registry, "Ocean Waves"), 0);
  EXPECT_TRUE(fakes.registry.hasKey(RegistryRoot::kCurrentUser, kKey + "Ocean Waves"));
}

TEST_F(RegistrationTest, AFailedMachineRemovalGoesOnToTheUserEntry) {
  ASSERT_EQ(registerOcean(), 0);
  fakes.registry.undeletableKeys = {"software\\microsoft\\windows\\currentversion\\uninstall\\ocean waves"};
  // The machine key stays; the user root has no entry, which counts as removed.
  EXPECT_EQ(unregisterUninstall(fakes.registry, "Ocean Waves"), 0);
  EXPECT_TRUE(fakes.registry.hasKey(RegistryRoot::kLocalMachine, kKey + "Ocean Waves"));

  // With an entry under both roots that will not go, the result is -2202.
  fakes.registry.undeletableKeys.clear();
  ASSERT_EQ(registerOcean(), 0);
  fakes.registry.readOnlyRoots = {RegistryRoot::kLocalMachine};
  ASSERT_EQ(registerOcean(), 0);
  fakes.registry.readOnlyRoots.clear();
  fakes.registry.failingValueNames = {"DisplayName"};
  EXPECT_EQ(unregisterUninstall(fakes.registry, "Ocean Waves"), -2202);
  EXPECT_TRUE(fakes.registry.hasKey(RegistryRoot::kCurrentUser, kKey + "Ocean Waves"));
}

TEST_F(RegistrationTest, UnsafeNamesNeitherWriteNorDeleteOtherKeys) {
  EXPECT_EQ(registerOcean("..\\..\\Run"), -2201);
  EXPECT_EQ(unregisterUninstall(fakes.registry, "..\\Other"), -2202);
  EXPECT_TRUE(fakes.registry.keys[RegistryRoot::kLocalMachine].empty());
}

TEST_F(RegistrationTest, RollbackRemovesProductEngineAndEntry) {
  Folders folders;
  folders.systemFolder = "C:\\WINDOWS\\system32\\";
  folders.nativeSystemFolder = "C:\\WINDOWS\\Sysnative\\";
  fakes.files.addFile("C:\\PD\\Vantrel\\Ocean\\a.swf", "a");
  fakes.files.addFile("C:\\WINDOWS\\system32\\Ocean.scr", "e");
  fakes.files.addFile("C:\\WINDOWS\\Sysnative\\Ocean.scr", "e");
  fakes.files.addFile("C:\\WINDOWS\\system32\\kernel32.dll", "k");
  ASSERT_EQ(registerOcean("Ocean"), 0);

  RollbackTargets targets{"C:\\PD\\Vantrel\\Ocean\\", "Ocean.scr", "Ocean", false};
  rollbackInstall(fakes.files, fakes.registry, folders, targets);
  EXPECT_FALSE(fakes.files.exists("C:\\PD\\Vantrel\\Ocean"));
  EXPECT_FALSE(fakes.files.exists("C:\\WINDOWS\\system32\\Ocean.scr"));
  EXPECT_TRUE(fakes.files.exists("C:\\WINDOWS\\Sysnative\\Ocean.scr"));  // 32-bit Windows
  EXPECT_FALSE(fakes.registry.hasKey(RegistryRoot::kLocalMachine, kKey + "Ocean"));

  targets.alsoNativeSystemFolder = true;
  rollbackInstall(fakes.files, fakes.registry, folders, targets);  // tolerates what is gone
  EXPECT_FALSE(fakes.files.exists("C:\\WINDOWS\\Sysnative\\Ocean.scr"));

  targets.engineFileName = "..\\system32\\kernel32.dll";
  rollbackInstall(fakes.files, fakes.registry, folders, targets);
  EXPECT_TRUE(fakes.files.exists("C:\\WINDOWS\\system32\\kernel32.dll"));
}

TEST(MakeActive, CommandCarriesItsOwnNul) {
  EXPECT_EQ(makeActiveSaverCommand("Ocean.scr"), std::string("makeActiveSaver-Ocean.scr\0", 26));
}

}  // namespace
}  // namespace saverkit
