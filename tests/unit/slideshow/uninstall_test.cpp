// Finding an installed saver's places and removing it (/u) against the fake platform: what the
// plan names, when the engine asks for rights, what the removal takes and what it leaves alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "installer/fake/fake_platform.h"
#include "saver_places.h"
#include "saver_settings.h"
#include "saver_texts.h"
#include "uninstall.h"

namespace saverkit::slideshow {
namespace {

using fake::FakeFileSystem;

TEST(SaverPlaces, FromTheEnginesOwnName) {
  EXPECT_EQ(saverNameFromModulePath("C:\\WINDOWS\\system32\\Ocean Waves.SCR"), "Ocean Waves");
  EXPECT_EQ(saverNameFromModulePath("C:\\tools\\slideshow.exe"), "slideshow.exe");

  fake::FakePlatform fakes;
  // The folders /u deletes in come from the system, whatever the user's environment says.
  fakes.process.environment["SystemRoot"] = "D:\\Elsewhere";
  SaverPlaces places = findSaverPlaces(fakes.system, "C:\\WINDOWS\\system32\\Ocean Waves.scr");
  EXPECT_EQ(places.saverName, "Ocean Waves");
  EXPECT_EQ(places.systemFolder, "C:\\WINDOWS\\system32\\");
  EXPECT_EQ(places.nativeSystemFolder, "");  // a 32-bit Windows
  EXPECT_EQ(places.productFolder, "C:\\Documents and Settings\\All Users\\Application Data\\Vantrel\\Ocean Waves\\");

  fakes.system.wow64 = Wow64Answer::kYes;
  places = findSaverPlaces(fakes.system, "C:\\WINDOWS\\SysWOW64\\Ocean Waves.scr");
  EXPECT_EQ(places.nativeSystemFolder, "C:\\WINDOWS\\Sysnative\\");
  // The removal's message names the folders as Explorer shows them, never "Sysnative".
  EXPECT_EQ(pathAsTheUserKnowsIt(places, "C:\\WINDOWS\\Sysnative\\Ocean Waves.scr"),
            "C:\\WINDOWS\\System32\\Ocean Waves.scr");
  EXPECT_EQ(pathAsTheUserKnowsIt(places, "C:\\Windows\\SYSTEM32\\Ocean Waves.scr"),
            "C:\\WINDOWS\\SysWOW64\\Ocean Waves.scr");
  EXPECT_EQ(pathAsTheUserKnowsIt(places, places.productFolder), places.productFolder);
  // A 32-bit Windows has one system folder, called what the engine calls it.
  fake::FakePlatform plainFakes;
  SaverPlaces plain = findSaverPlaces(plainFakes.system, "C:\\WINDOWS\\system32\\Ocean Waves.scr");
  EXPECT_EQ(pathAsTheUserKnowsIt(plain, "C:\\WINDOWS\\system32\\Ocean Waves.scr"), "C:\\WINDOWS\\system32\\Ocean Waves.scr");
  // A renamed engine whose name would reach outside the shared folder has no product folder.
  EXPECT_EQ(findSaverPlaces(fakes.system, "C:\\x\\...scr").productFolder, "");
}

struct InstalledSaver : ::testing::Test {
  void SetUp() override {
    places = {"Ocean Waves", "C:\\W\\SysWOW64\\", "C:\\W\\Sysnative\\", "C:\\Data\\Vantrel\\Ocean Waves\\"};
    plan = makeUninstallPlan(places);
    files.addFile(places.productFolder + "scenes\\a.jpg", "a");
    files.addFile(places.productFolder + "saver.dat", "d", /*readOnly=*/true);
    files.addFile(plan.engineFiles[0], "engine");
    files.addFile(plan.engineFiles[1], "engine");
    files.addFile("C:\\Data\\Vantrel\\Other\\keep.jpg", "k");
    registry.openKey(RegistryRoot::kLocalMachine, plan.uninstallKey, KeyAccess::kCreate)->setString("UninstallString", "x /u");
    registry.openKey(RegistryRoot::kCurrentUser, plan.uninstallKey, KeyAccess::kCreate)->setString("UninstallString", "x /u");
    registry.openKey(RegistryRoot::kCurrentUser, "Software\\Saverkit\\Slideshow\\Ocean Waves", KeyAccess::kCreate)
        ->setString("Order", "shuffled");
  }
  void setActiveSaver(const std::string& value) {
    registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kCreate)->setString(kActiveSaverValue, value);
  }
  UninstallOutcome remove() {
    return removeSaver(files, registry, plan, [this](const std::string& path) {
      scheduled.push_back(path);
      return restartDeletionWorks;
    });
  }

  SaverPlaces places;
  UninstallPlan plan;
  FakeFileSystem files;
  fake::FakeRegistry registry;
  fake::FakeSystemInfo system;
  std::vector<std::string> scheduled;
  bool restartDeletionWorks = true;
};

TEST_F(InstalledSaver, ThePlanNamesEveryPart) {
  EXPECT_EQ(plan.productFolder, places.productFolder);
  EXPECT_EQ(plan.engineFiles,
            (std::vector<std::string>{"C:\\W\\SysWOW64\\Ocean Waves.scr", "C:\\W\\Sysnative\\Ocean Waves.scr"}));
  EXPECT_EQ(plan.uninstallKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ocean Waves");
  // A name that is not one file name leads to no deletion and no key.
  const UninstallPlan unsafe = makeUninstallPlan({"..\\..", "C:\\W\\SysWOW64\\", "", "C:\\Data\\"});
  EXPECT_TRUE(unsafe.productFolder.empty());
  EXPECT_TRUE(unsafe.engineFiles.empty());
  EXPECT_TRUE(unsafe.uninstallKey.empty());
}

TEST(DecideUninstall, TheUsersPartAsksAndHandsOverOnce) {
  EXPECT_EQ(decideUninstall(false, false, false), UninstallStep::kSayNothingInstalled);
  EXPECT_EQ(decideUninstall(false, true, false), UninstallStep::kSayNothingInstalled);
  EXPECT_EQ(decideUninstall(true, false, false), UninstallStep::kAskThenHandOver);
  EXPECT_EQ(decideUninstall(true, true, false), UninstallStep::kAskAndRemove);
  // The elevated copy never asks again and never says "nothing installed" in a box of its own:
  // its user's part reports. Still not elevated (nothing to raise): no endless chain of copies.
  EXPECT_EQ(decideUninstall(true, true, true), UninstallStep::kRemoveHandedOver);
  EXPECT_EQ(decideUninstall(true, false, true), UninstallStep::kRemoveHandedOver);
  EXPECT_EQ(decideUninstall(false, true, true), UninstallStep::kRemoveHandedOver);
}

TEST(RemovalResult, TheElevatedCopysExitCodeCarriesItsOutcome) {
  UninstallOutcome outcome;
  EXPECT_EQ(resultOfExitCode(exitCodeFor(outcome)), RemovalResult::kRemoved);
  outcome.removedAtRestart.push_back("C:\\W\\a.scr");
  EXPECT_EQ(resultOfExitCode(exitCodeFor(outcome)), RemovalResult::kRemovedAtRestart);
  outcome.leftOver.push_back("C:\\Data\\");
  EXPECT_EQ(resultOfExitCode(exitCodeFor(outcome)), RemovalResult::kPartsStay);
  // A copy that crashed or was ended never claims a removal.
  for (const unsigned long code : {2ul, 259ul, 0xC0000005ul, 0xFFFFFFFFul}) {
    EXPECT_EQ(resultOfExitCode(code), RemovalResult::kPartsStay) << code;
  }
}

TEST_F(InstalledSaver, RemovesEverythingButTheUsersSettings) {
  setActiveSaver("C:\\W\\system32\\OCEAN WAVES.SCR");
  EXPECT_TRUE(somethingInstalled(files, registry, plan, "C:\\W\\SysWOW64\\Ocean Waves.scr"));
  // The removal (the elevated copy's part) leaves the active-saver setting of its own hive.
  const UninstallOutcome outcome = remove();
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue),
            "C:\\W\\system32\\OCEAN WAVES.SCR");
  EXPECT_TRUE(outcome.leftOver.empty());
  EXPECT_TRUE(outcome.removedAtRestart.empty());
  EXPECT_TRUE(scheduled.empty());
  EXPECT_EQ(files.pathsUnder(), (std::vector<std::string>{"C:\\Data", "C:\\Data\\Vantrel", "C:\\Data\\Vantrel\\Other",
                                                           "C:\\Data\\Vantrel\\Other\\keep.jpg", "C:\\W", "C:\\W\\SysWOW64",
                                                           "C:\\W\\Sysnative"}));
  EXPECT_FALSE(registry.hasKey(RegistryRoot::kLocalMachine, plan.uninstallKey));
  EXPECT_FALSE(registry.hasKey(RegistryRoot::kCurrentUser, plan.uninstallKey));
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, "Software\\Saverkit\\Slideshow\\Ocean Waves", "Order"), "shuffled");
  // A second /u finds nothing, even run from a copy that is still in the system folder.
  EXPECT_FALSE(somethingInstalled(files, registry, plan, ""));
  files.addFile(plan.engineFiles[0], "engine");
  EXPECT_FALSE(somethingInstalled(files, registry, plan, "c:\\w\\syswow64\\ocean waves.scr"));
  EXPECT_TRUE(somethingInstalled(files, registry, plan, "C:\\Temp\\Ocean Waves.scr"));
}

TEST_F(InstalledSaver, LookingAndSettingsOnlyAskToRead) {
  // Neither question writes: keys opened to look and to load settings are opened to read only.
  FakeFileSystem noFiles;  // only the uninstall entries answer
  registry.openings.clear();
  EXPECT_TRUE(somethingInstalled(noFiles, registry, plan, ""));
  EXPECT_TRUE(loadSettings(registry, "Ocean Waves").shuffled);
  ASSERT_FALSE(registry.openings.empty());
  for (const auto& opening : registry.openings) {
    SCOPED_TRACE(opening.path);
    EXPECT_EQ(opening.access, KeyAccess::kRead);
  }
}

TEST_F(InstalledSaver, EachPartAloneCountsAsInstalled) {
  const std::string running = plan.engineFiles[0];
  files.deleteFile(plan.engineFiles[1]);
  registry.deleteKeyTree(RegistryRoot::kLocalMachine, plan.uninstallKey);
  EXPECT_TRUE(somethingInstalled(files, registry, plan, running));  // HKCU entry and folder
  registry.deleteKeyTree(RegistryRoot::kCurrentUser, plan.uninstallKey);
  EXPECT_TRUE(somethingInstalled(files, registry, plan, running));  // the folder
  files.setNormalAttributes(places.productFolder + "saver.dat");
  files.deleteFile(places.productFolder + "saver.dat");
  files.deleteFile(places.productFolder + "scenes\\a.jpg");
  files.removeFolder(places.productFolder + "scenes");
  files.removeFolder(places.productFolder);
  EXPECT_FALSE(somethingInstalled(files, registry, plan, running));
  files.addFolderLink(places.productFolder);
  EXPECT_TRUE(somethingInstalled(files, registry, plan, running));  // a link in its place
}

TEST_F(InstalledSaver, AProductFolderThatIsALinkGoesAsTheLink) {
  files.setNormalAttributes(places.productFolder + "saver.dat");
  files.deleteFile(places.productFolder + "saver.dat");
  files.deleteFile(places.productFolder + "scenes\\a.jpg");
  files.removeFolder(places.productFolder + "scenes");
  files.removeFolder(places.productFolder);
  files.addFile("C:\\Elsewhere\\precious.txt", "p");
  files.addFolderLink(places.productFolder);
  // What the link shows: removing it file by file would delete the target's files.
  files.addFile(places.productFolder + "precious.txt", "p");
  files.log.clear();
  const UninstallOutcome outcome = remove();
  EXPECT_TRUE(outcome.leftOver.empty());
  EXPECT_FALSE(files.exists(places.productFolder));
  EXPECT_EQ(files.contents("C:\\Elsewhere\\precious.txt"), "p");
  EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "delete " + places.productFolder + "precious.txt"), 0);
  EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "remove folder C:\\Data\\Vantrel\\Ocean Waves.1"), 1);
}

// The shared folder (or a folder above it) swapped for a junction would lead the removal into
// whatever folder it names: nothing there is touched, and the product folder is named as left.
TEST_F(InstalledSaver, ASharedFolderThatIsALinkLeadsNowhere) {
  for (const std::string link : {"C:\\Data\\Vantrel", "C:\\Data"}) {
    SCOPED_TRACE(link);
    FakeFileSystem linked;
    linked.addFolderLink(link);
    linked.addFile(places.productFolder + "scenes\\a.jpg", "what the link shows");
    const UninstallOutcome outcome = removeSaver(linked, registry, plan, nullptr);
    ASSERT_FALSE(outcome.leftOver.empty());
    EXPECT_EQ(outcome.leftOver.front(), places.productFolder);
    EXPECT_EQ(linked.contents(places.productFolder + "scenes\\a.jpg"), "what the link shows");
  }
}

TEST_F(InstalledSaver, LinksInsideAreRemovedAsLinks) {
  files.addFolderLink(places.productFolder + "scenes\\shared");
  files.addFile(places.productFolder + "scenes\\shared\\target-file.jpg", "t");
  files.addFile("C:\\Shared\\target-file.jpg", "t");
  remove();
  EXPECT_FALSE(files.exists(places.productFolder));
  EXPECT_TRUE(files.exists("C:\\Shared\\target-file.jpg"));
}

TEST_F(InstalledSaver, TheRunningEngineGoesAtRestartAndFailuresAreNamed) {
  files.busyFiles[plan.engineFiles[0]] = FakeFileSystem::kForever;  // the running engine
  UninstallOutcome outcome = remove();
  EXPECT_EQ(scheduled, std::vector<std::string>{plan.engineFiles[0]});
  EXPECT_EQ(outcome.removedAtRestart, std::vector<std::string>{plan.engineFiles[0]});
  EXPECT_TRUE(outcome.leftOver.empty());
  EXPECT_FALSE(files.exists(plan.engineFiles[1]));
}

TEST_F(InstalledSaver, WithoutRightsTheRestGoesAndWhatStaysIsNamed) {
  // HKLM refuses: HKCU's entry still goes. The engine can be neither deleted nor scheduled.
  files.busyFiles[plan.engineFiles[0]] = FakeFileSystem::kForever;
  restartDeletionWorks = false;
  registry.readOnlyRoots.insert(RegistryRoot::kLocalMachine);
  files.moveRefused.insert(places.productFolder);
  const UninstallOutcome outcome = remove();
  EXPECT_FALSE(registry.hasKey(RegistryRoot::kCurrentUser, plan.uninstallKey));
  EXPECT_EQ(outcome.leftOver,
            (std::vector<std::string>{places.productFolder, plan.engineFiles[0],
                                      "HKEY_LOCAL_MACHINE\\" + plan.uninstallKey}));
}

TEST_F(InstalledSaver, TheActiveSaverSettingGoesOnlyWhenItNamesThisSaver) {
  system.shortPaths["C:\\W\\SysWOW64\\Ocean Waves.scr"] = "C:\\W\\SYSWOW64\\OCEANW~1.SCR";
  EXPECT_TRUE(namesThisSaver(system, plan, "C:\\W\\SYSWOW64\\OCEANW~1.SCR"));
  EXPECT_TRUE(namesThisSaver(system, plan, "Ocean Waves.scr"));
  EXPECT_FALSE(namesThisSaver(system, plan, "C:\\W\\system32\\Ocean Waves 2.scr"));
  EXPECT_FALSE(namesThisSaver(system, plan, "C:\\W\\system32\\OCEANW~2.SCR"));
  EXPECT_FALSE(namesThisSaver(system, plan, ""));

  setActiveSaver("C:\\W\\system32\\Bubbles.scr");
  const ActiveSaverChange other = clearActiveSaver(registry, system, plan);
  EXPECT_FALSE(other.cleared);
  EXPECT_FALSE(other.failed);
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), "C:\\W\\system32\\Bubbles.scr");
}

TEST_F(InstalledSaver, ClearingTheSettingLeavesTheLogonScreenChoice) {
  // Matched by its short form, which only works while the engine file is there.
  system.shortPaths[plan.engineFiles[0]] = "C:\\W\\SYSWOW64\\OCEANW~1.SCR";
  setActiveSaver("C:\\W\\SYSWOW64\\OCEANW~1.SCR");
  auto desktop = registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kWrite);
  desktop->setString("ScreenSaverIsSecure", "1");
  desktop->setString("ScreenSaveActive", "1");
  const ActiveSaverChange change = clearActiveSaver(registry, system, plan);
  EXPECT_TRUE(change.cleared);
  EXPECT_FALSE(change.failed);
  EXPECT_EQ(change.previous, "C:\\W\\SYSWOW64\\OCEANW~1.SCR");
  EXPECT_FALSE(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue));
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, "ScreenSaverIsSecure"), "1");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, "ScreenSaveActive"), "1");

  // Rights declined: the setting comes back, unless the user chose another saver meanwhile.
  restoreActiveSaver(registry, change);
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), change.previous);
  setActiveSaver("C:\\W\\system32\\Bubbles.scr");
  restoreActiveSaver(registry, change);
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), "C:\\W\\system32\\Bubbles.scr");
  // Nothing was cleared: nothing is put back.
  registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kWrite)->deleteValue(kActiveSaverValue);
  restoreActiveSaver(registry, ActiveSaverChange{false, false, "C:\\x.scr"});
  EXPECT_FALSE(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue));
}

TEST_F(InstalledSaver, AnEngineThatStaysIsSeenInEitherSystemFolder) {
  EXPECT_TRUE(engineStays(files, plan));
  files.deleteFile(plan.engineFiles[0]);
  EXPECT_TRUE(engineStays(files, plan));  // the native system folder's copy
  files.deleteFile(plan.engineFiles[1]);
  EXPECT_FALSE(engineStays(files, plan));
  // The running engine moved aside for the restart no longer counts.
  files.addFile(plan.engineFiles[0] + ".123.removed", "engine");
  EXPECT_FALSE(engineStays(files, plan));
}

TEST_F(InstalledSaver, ASettingThatCannotBeClearedIsSaidToStay) {
  setActiveSaver("Ocean Waves.scr");
  registry.failingValueNames.insert(kActiveSaverValue);
  ActiveSaverChange change = clearActiveSaver(registry, system, plan);
  EXPECT_FALSE(change.cleared);
  EXPECT_TRUE(change.failed);
  // A key that does not open for writing at all.
  registry.failingValueNames.clear();
  registry.readOnlyRoots.insert(RegistryRoot::kCurrentUser);
  change = clearActiveSaver(registry, system, plan);
  EXPECT_TRUE(change.failed);
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), "Ocean Waves.scr");
  // Nothing is put back that was never cleared.
  restoreActiveSaver(registry, change);
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), "Ocean Waves.scr");
}

TEST(UninstallTexts, TheClosingMessageSaysWhereTheSettingWent) {
  const std::string none = "The screen saver setting went back to (None).";
  EXPECT_NE(removalOutcomeText("Reef", {}, {}, true).find(none), std::string::npos);
  EXPECT_EQ(removalOutcomeText("Reef", {}, {}, false).find(none), std::string::npos);
  const std::string handed = handedOverOutcomeText("Reef", RemovalResult::kRemovedAtRestart, true, false);
  EXPECT_EQ(handed.find("The Reef screen saver has been removed. "
                        "Some of its files will be removed when Windows restarts."),
            0u);
  EXPECT_NE(handed.find(none), std::string::npos);
  const std::string stays = handedOverOutcomeText("Reef", RemovalResult::kRemoved, false, true);
  EXPECT_NE(stays.find("HKEY_CURRENT_USER\\Control Panel\\Desktop\\SCRNSAVE.EXE"), std::string::npos);
  EXPECT_EQ(stays.find(none), std::string::npos);
  EXPECT_EQ(handedOverOutcomeText("Reef", RemovalResult::kPartsStay, true, false).find("Parts of the Reef"), 0u);
}

}  // namespace
}  // namespace saverkit::slideshow
