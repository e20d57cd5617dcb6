// Finding an installed saver's places and removing it (/u) against the fake platform: what the
// plan names, when the engine asks for rights, what the removal takes and what it leaves alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "installer/fake/fake_platform.h"
#include "saver_places.h"
#include "saver_settings.h"
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
    return removeSaver(files, registry, system, plan, [this](const std::string& path) {
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

TEST(DecideUninstall, NothingRelaunchOnceOrAskAndRemove) {
  EXPECT_EQ(decideUninstall(false, false, false), UninstallStep::kSayNothingInstalled);
  EXPECT_EQ(decideUninstall(false, true, true), UninstallStep::kSayNothingInstalled);
  EXPECT_EQ(decideUninstall(true, false, false), UninstallStep::kRelaunchElevated);
  EXPECT_EQ(decideUninstall(true, true, false), UninstallStep::kConfirmAndRemove);
  EXPECT_EQ(decideUninstall(true, true, true), UninstallStep::kConfirmAndRemove);
  // Started elevated and still not (nothing to raise): no endless chain of copies.
  EXPECT_EQ(decideUninstall(true, false, true), UninstallStep::kConfirmAndRemove);
}

TEST_F(InstalledSaver, RemovesEverythingButTheUsersSettings) {
  setActiveSaver("C:\\W\\system32\\OCEAN WAVES.SCR");
  EXPECT_TRUE(somethingInstalled(files, registry, plan, "C:\\W\\SysWOW64\\Ocean Waves.scr"));
  const UninstallOutcome outcome = remove();
  EXPECT_TRUE(outcome.leftOver.empty());
  EXPECT_TRUE(outcome.removedAtRestart.empty());
  EXPECT_TRUE(scheduled.empty());
  EXPECT_EQ(files.pathsUnder(), (std::vector<std::string>{"C:\\Data", "C:\\Data\\Vantrel", "C:\\Data\\Vantrel\\Other",
                                                           "C:\\Data\\Vantrel\\Other\\keep.jpg", "C:\\W", "C:\\W\\SysWOW64",
                                                           "C:\\W\\Sysnative"}));
  EXPECT_FALSE(registry.hasKey(RegistryRoot::kLocalMachine, plan.uninstallKey));
  EXPECT_FALSE(registry.hasKey(RegistryRoot::kCurrentUser, plan.uninstallKey));
  EXPECT_FALSE(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue));
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
  EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "remove folder C:\\Data\\Vantrel\\Ocean Waves"), 1);
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
  files.removeFolderRefused.insert(places.productFolder);
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
  remove();
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, kDesktopKey, kActiveSaverValue), "C:\\W\\system32\\Bubbles.scr");
}

}  // namespace
}  // namespace saverkit::slideshow
