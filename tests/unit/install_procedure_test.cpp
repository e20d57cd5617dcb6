// The install procedure through the Install and Cancel buttons: success, the overwrite
// question, failures with their texts and the roll back, cancel, and 64-bit Windows.
#include <algorithm>

#include <gtest/gtest.h>

#include "installer_world.h"

namespace saverkit {
namespace {

using namespace saverkit::testing;

// Presses Install once the window waits; when the install has returned, `then` runs (a click
// queued separately would be delivered during the install's own pauses).
void clickInstall(InstallerWorld& world, std::function<void()> then = nullptr) {
  world.fakes.view.userActions.push_back([&world, then] {
    world.form.onInstallClick();
    if (then) then();
  });
}

std::size_t count(const std::vector<std::string>& log, const std::string& entry) {
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), entry));
}

TEST(InstallProcedure, InstallButtonWritesEverythingAndEndsTheProgram) {
  InstallerWorld world;
  world.image.header.hasReadMe = true;
  world.image.setSlot(5, "Read Me.txt", 7, "hello");
  clickInstall(world);
  EXPECT_EQ(world.run(), 0);
  const std::string product = world.product();
  EXPECT_EQ(world.fakes.files.contents(kSystem32 + "Ocean.scr"), "engine");
  EXPECT_EQ(world.fakes.files.contents(product + "Ocean.swf"), "movie");
  EXPECT_EQ(world.fakes.files.contents(product + "scenes\\reef.swf"), std::string(4000, 'r'));
  EXPECT_EQ(world.fakes.files.contents(product + "Read Me.txt"), "hello");
  EXPECT_EQ(world.fakes.files.fileSize(product + "saver.dat"), 1240u);
  EXPECT_FALSE(world.fakes.files.exists(kWorking + "Ocean.dat"));
  EXPECT_EQ(world.fakes.shell.opened, std::vector<std::string>{product + "Read Me.txt"});
  EXPECT_EQ(world.fakes.registry.value(RegistryRoot::kLocalMachine, kUninstallKey + "Ocean", "UninstallString"),
            kSystem32 + "Ocean.scr /u");
  EXPECT_EQ(world.launcherTexts().back(), std::string("makeActiveSaver-Ocean.scr\0\0", 27));
  EXPECT_TRUE(world.logged("status: Screen Saver Installation and Setup Complete."));
  EXPECT_TRUE(world.fakes.view.visible[Control::kDoneButton]);
  EXPECT_FALSE(world.fakes.view.visible[Control::kCancelButton]);
  EXPECT_EQ(count(world.fakes.view.log, "progress step"), 7u);  // six slots and the expansion
  EXPECT_TRUE(world.logged("progress: 10"));
  EXPECT_TRUE(world.logged("terminate"));
  EXPECT_EQ(world.fakes.messaging.posted.size(), 1u);
  EXPECT_TRUE(world.fakes.view.dialogs.empty());  // the package does not ask about the panel
  EXPECT_EQ(world.fakes.libraries.loadedNow, 0);   // the codec went before its folder did
}

TEST(InstallProcedure, TheControlPanelOfferFollowsSuccess) {
  InstallerWorld world;
  world.image.header.askOpenControlPanel = true;
  world.fakes.view.answers = {true};
  clickInstall(world);
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.fakes.view.dialogs.at(0).kind, DialogKind::kYesNo);
  EXPECT_EQ(world.launcherTexts().back(), std::string("openScreenSaverControlPanel\0", 28));
}

// A package whose extension record asks to finish without a launcher: double-clicked, it makes
// the saver active and opens the settings itself, as the signed-in user, and its uninstall entry
// names its maker; started by a launcher, or without the flag, it leaves both to the launcher.
TEST(InstallProcedure, FinishingWithoutALauncherIsTheInstallersOwnOnlyWhenAskedAndNoLauncherIsThere) {
  const std::string block =
      "saverkit-extension=1\nfinish-without-launcher=yes\npublisher=Lumi\xC3\xA8re\nversion=2.1\n"
      "website=https://lumiere.example\nestimated-size-kb=42\n";
  const std::string activate = kSystem32 + "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v SCRNSAVE.EXE /t REG_SZ /d \"" +
                               kSystem32 + "Ocean.scr\" /f (hidden)";
  const std::string settings = kSystem32 + "rundll32.exe desk.cpl,InstallScreenSaver \"" + kSystem32 + "Ocean.scr\" (shown)";
  {
    InstallerWorld world;  // double-clicked
    world.image.header.askOpenControlPanel = true;
    world.image.extensionBlock = block;
    world.fakes.view.answers = {true};
    clickInstall(world);
    EXPECT_EQ(world.run({}), 0);
    EXPECT_EQ(world.fakes.shell.startedAsUser, (std::vector<std::string>{activate, settings}));
    EXPECT_TRUE(world.launcherTexts().empty());
    const auto value = [&world](const char* name) {
      return world.fakes.registry.value(RegistryRoot::kLocalMachine, kUninstallKey + "Ocean", name);
    };
    EXPECT_EQ(value("Publisher"), "Lumi\xC3\xA8re");
    EXPECT_EQ(value("DisplayVersion"), "2.1");
    EXPECT_EQ(value("URLInfoAbout"), "https://lumiere.example");
    EXPECT_EQ(value("DisplayIcon"), kSystem32 + "Ocean.scr");
    EXPECT_EQ(value("EstimatedSize"), "dword:0000002a");
    EXPECT_EQ(value("NoModify"), "dword:00000001");
    EXPECT_EQ(value("NoRepair"), "dword:00000001");
  }
  {
    InstallerWorld world;  // on 64-bit Windows the user's programs see the native copy as System32
    world.sixtyFourBit();
    world.image.extensionBlock = block;
    clickInstall(world);
    EXPECT_EQ(world.run({}), 0);
    ASSERT_EQ(world.fakes.shell.startedAsUser.size(), 1u);
    EXPECT_NE(world.fakes.shell.startedAsUser[0].find("/d \"C:\\WINDOWS\\System32\\Ocean.scr\""), std::string::npos)
        << world.fakes.shell.startedAsUser[0];
  }
  for (const bool launched : {true, false}) {
    SCOPED_TRACE(launched ? "with a launcher" : "without the flag");
    InstallerWorld world;
    world.image.header.askOpenControlPanel = true;
    world.image.extensionBlock = launched ? block : "saverkit-extension=1\npublisher=Lumi\xC3\xA8re\n";
    world.fakes.view.answers = {true};
    clickInstall(world);
    EXPECT_EQ(world.run(launched ? std::vector<std::string>{"/l=4242"} : std::vector<std::string>{}), 0);
    EXPECT_TRUE(world.fakes.shell.startedAsUser.empty());
    if (launched) {
      EXPECT_EQ(world.launcherTexts().back(), std::string("openScreenSaverControlPanel\0", 28));
    }
  }
  {
    InstallerWorld world;  // a block this installer does not know changes nothing, not even the entry
    world.image.extensionBlock = "saverkit-extension=2\nfinish-without-launcher=yes\n";
    clickInstall(world);
    EXPECT_EQ(world.run({}), 0);
    EXPECT_TRUE(world.fakes.shell.startedAsUser.empty());
    EXPECT_FALSE(world.fakes.registry.value(RegistryRoot::kLocalMachine, kUninstallKey + "Ocean", "NoModify"));
  }
}

TEST(InstallProcedure, DecliningTheOverwriteLeavesEverythingAndInstallCanBePressedAgain) {
  InstallerWorld world;
  world.fakes.files.addFile(kShared + "Ocean\\old.swf", "old");
  world.fakes.view.answers = {false, true};
  clickInstall(world, [&world] {
    EXPECT_EQ(world.fakes.files.contents(kShared + "Ocean\\old.swf"), "old");
    EXPECT_EQ(world.fakes.view.statusText, "");
    EXPECT_TRUE(world.fakes.view.enabled[Control::kInstallButton]);
    EXPECT_FALSE(world.context.state.installing);
    world.form.onInstallClick();  // and this time OK
  });
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.dialogTexts(), (std::vector<std::string>{"Ocean screen saver already exists. Overwrite?",
                                                           "Ocean screen saver already exists. Overwrite?"}));
  EXPECT_FALSE(world.fakes.files.exists(kShared + "Ocean\\old.swf"));
  EXPECT_TRUE(world.fakes.files.exists(kShared + "Ocean\\saver.dat"));
}

TEST(InstallProcedure, AFailureInTheMiddleRollsBackAndLeavesTheWindowOpen) {
  InstallerWorld world;
  world.fakes.files.writeLimits[world.product() + "Ocean.swf"] = 2;
  clickInstall(world, [&world] {
    EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: 112");
    EXPECT_FALSE(world.fakes.view.enabled[Control::kInstallButton]);
    world.form.onCloseRequested();
  });
  EXPECT_EQ(world.run(), 0);
  EXPECT_FALSE(world.fakes.files.exists(world.product()));
  EXPECT_FALSE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
  EXPECT_FALSE(world.fakes.files.exists(kWorking + "Ocean.dat"));
  EXPECT_FALSE(world.fakes.registry.hasKey(RegistryRoot::kLocalMachine, kUninstallKey + "Ocean"));
  EXPECT_EQ(world.launcherTexts().size(), 1u);  // no make-active request
}

TEST(InstallProcedure, AccessDeniedAndUnreplaceableSaverTexts) {
  InstallerWorld denied;
  denied.fakes.files.folderCreationErrors[kShared + "Ocean\\"] = 5;
  clickInstall(denied, [&denied] { denied.form.onCloseRequested(); });
  denied.run();
  EXPECT_TRUE(denied.logged("status: Installation Aborted: Insufficient user account privileges."));
  ASSERT_EQ(denied.fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(denied.fakes.view.dialogs[0].text.rfind("Installation Error: 5\r\n\r\nInsufficient user account privileges.", 0), 0u);

  InstallerWorld busy;
  busy.fakes.files.addFile(kSystem32 + "Ocean.scr", "running");
  busy.fakes.files.busyFiles[kSystem32 + "Ocean.scr"] = fake::FakeFileSystem::kForever;
  clickInstall(busy, [&busy] { busy.form.onCloseRequested(); });
  busy.run();
  EXPECT_TRUE(busy.logged("status: Installation Aborted: Screen saver cannot be replaced."));
  ASSERT_EQ(busy.fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(busy.fakes.view.dialogs[0].text.rfind("Installation Error: Screen saver cannot be replaced.", 0), 0u);
}

TEST(InstallProcedure, CancelDuringTheSlotsRollsBackAndEndsTheProgram) {
  InstallerWorld world;
  world.fakes.view.userActions.push_back([&world] { world.form.onInstallClick(); });
  // The pause after slot 6's step: the user presses Cancel; closing is refused meanwhile.
  world.fakes.view.userActions.push_back([&world] {
    world.form.onCloseRequested();
    EXPECT_FALSE(world.fakes.view.terminated);
    world.form.onCancelClick();
  });
  EXPECT_EQ(world.run(), 0);
  EXPECT_TRUE(world.logged("status: Installation Aborted. Cleaning up files..."));
  EXPECT_FALSE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
  EXPECT_FALSE(world.fakes.files.exists(world.product()));
  EXPECT_FALSE(world.fakes.files.exists(kWorking));
  EXPECT_TRUE(world.fakes.view.terminated);
}

TEST(InstallProcedure, CancelBetweenAnyTwoSlotsFinishesTheSlotAndRollsEverythingBack) {
  // Slots 6 to 10 each pause once after their target is known; cancelling in pause k lets
  // slot 5 + k finish and starts no later one.
  for (int pause = 1; pause <= 5; ++pause) {
    SCOPED_TRACE(pause);
    InstallerWorld world;
    world.image.setSlot(9, "nine.swf", 1, "9");
    world.image.setSlot(10, "ten.swf", 1, "10");
    world.fakes.view.userActions.push_back([&world] { world.form.onInstallClick(); });
    for (int before = 1; before < pause; ++before) world.fakes.view.userActions.push_back([] {});
    world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
    EXPECT_EQ(world.run(), 0);
    const std::vector<std::string> created = [&world] {
      std::vector<std::string> files;
      for (const std::string& entry : world.fakes.files.log) {
        const bool creation = entry.rfind("create file ", 0) == 0 || entry.rfind("create scratch file ", 0) == 0;
        if (creation && entry.find("temp.dat") == std::string::npos &&
            entry.find("impborl.dll") == std::string::npos && entry.find("intro.BMP") == std::string::npos) {
          files.push_back(entry);
        }
      }
      return files;
    }();
    // The stored data file of slot 8 (the third pause) is read where it lies: no file for it.
    EXPECT_EQ(created.size(), static_cast<std::size_t>(pause >= 3 ? pause - 1 : pause));
    EXPECT_FALSE(world.fakes.files.exists(world.product()));
    EXPECT_FALSE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
    EXPECT_TRUE(world.logged("status: Installation Aborted. Cleaning up files..."));
    EXPECT_EQ(world.launcherTexts().size(), 1u);  // never asked to make the saver active
  }
}

TEST(InstallProcedure, SixtyFourBitWindowsGetsTheEngineInBothSystemFolders) {
  InstallerWorld world;
  world.sixtyFourBit();
  world.image.header.presentationMode = 4;
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.fakes.files.contents(kSysnative + "Ocean.scr"), "engine");
  EXPECT_EQ(world.fakes.files.contents(kSystem32 + "Ocean.scr"), "engine");

  InstallerWorld failing;
  failing.sixtyFourBit();
  failing.image.header.presentationMode = 4;
  failing.fakes.files.writeLimits[failing.product() + "Ocean.swf"] = 0;
  EXPECT_EQ(failing.run(), 112);
  EXPECT_FALSE(failing.fakes.files.exists(kSysnative + "Ocean.scr"));
}

// One package session: after the working copy is made, neither it nor the data file is opened
// again by its path, and both are let go (and so can be deleted) when the run ends.
TEST(InstallProcedure, NothingIsReopenedByPathAfterTheCopy) {
  InstallerWorld world;
  clickInstall(world);
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.fakes.files.readOpens(kInstaller), 1);
  EXPECT_EQ(world.fakes.files.readOpens(kWorking + "temp.dat"), 0);
  EXPECT_EQ(world.fakes.files.readOpens(kWorking + "Ocean.dat"), 0);
  EXPECT_TRUE(world.fakes.files.exists(world.product() + "scenes\\reef.swf"));
  EXPECT_FALSE(world.fakes.files.exists(kWorking));
}

// The shared folder is every user's to reach: it is made with rights of our own, repaired when
// an earlier version left it weaker, and refused, with nothing changed, when it is a link,
// someone else's, or made by this user's programs without administrator rights (which could
// still hold it open with the right to change its rights back).
TEST(InstallProcedure, TheSharedFolderIsOursOrTheInstallChangesNothing) {
  {
    InstallerWorld world;
    clickInstall(world);
    EXPECT_EQ(world.run(), 0);
    EXPECT_EQ(world.fakes.files.folderRights.at(kShared.substr(0, kShared.size() - 1)), FolderRights::kUsersMayRead);
  }
  {
    InstallerWorld world;
    world.fakes.files.addFile(kShared + "Other\\keep.txt", "other saver");
    clickInstall(world);
    EXPECT_EQ(world.run(), 0);
    // An existing folder is taken over with its rights set anew, and held for the install.
    EXPECT_EQ(world.fakes.files.folderRights.at(kShared.substr(0, kShared.size() - 1)), FolderRights::kUsersMayRead);
    EXPECT_FALSE(world.fakes.files.isHeld(kShared));
    EXPECT_EQ(world.fakes.files.contents(kShared + "Other\\keep.txt"), "other saver");
  }
  for (const char* what : {"a link", "someone else's", "made by the user"}) {
    SCOPED_TRACE(what);
    InstallerWorld world;
    const std::string shared = kShared.substr(0, kShared.size() - 1);
    if (what[0] == 'a') {
      world.fakes.files.addFolderLink(shared);
    } else {
      world.fakes.files.addFile(kShared + "Ocean\\old.swf", "planted");
      (what[0] == 's' ? world.fakes.files.foreignOwned : world.fakes.files.madeByTheUser).insert(shared);
    }
    const auto before = world.fakes.files.pathsUnder(kShared);
    clickInstall(world, [&world] { world.form.onCloseRequested(); });
    EXPECT_EQ(world.run(), 0);
    ASSERT_EQ(world.fakes.view.dialogs.size(), 1u);
    EXPECT_EQ(world.fakes.view.dialogs[0].text.rfind("Installation Error: " + kShared + "\r\n\r\nThis folder is a link", 0), 0u);
    EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: -607");
    EXPECT_EQ(world.fakes.files.pathsUnder(kShared), before);
    EXPECT_FALSE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
    EXPECT_TRUE(world.fakes.files.folderRights.count(shared) == 0);
  }
}

// A reinstall whose old product folder cannot be taken out of the way (a program holds a file
// in it): the box names that folder, the install ends with -607, and the machine is exactly as
// it was: the old saver stays installed. Once nothing holds it, the same install replaces it.
TEST(InstallProcedure, AnOldProductFolderInUseStopsTheInstallAndChangesNothing) {
  InstallerWorld world;
  world.fakes.files.addFile(world.product() + "old.swf", "old");
  world.fakes.files.addFile(kSystem32 + "Ocean.scr", "old engine");
  world.fakes.files.moveRefused.insert(world.product());
  world.fakes.view.answers = {true};
  std::vector<std::string> before;
  clickInstall(world, [&world] { world.form.onCloseRequested(); });
  world.fakes.view.userActions.insert(world.fakes.view.userActions.begin(),
                                      [&world, &before] { before = world.fakes.files.pathsUnder(); });
  EXPECT_EQ(world.run(), 0);
  ASSERT_EQ(world.fakes.view.dialogs.size(), 2u);  // the overwrite question, then the box
  EXPECT_EQ(world.fakes.view.dialogs[1].text.rfind("Installation Error: " + world.product() +
                                                       "\r\n\r\nThe screen saver's old folder could not be moved aside",
                                                   0),
            0u);
  EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: -607");
  std::vector<std::string> after = world.fakes.files.pathsUnder();
  // Only the run's own working folder has gone since.
  const auto working = [](const std::string& path) { return path.rfind(kWorking.substr(0, kWorking.size() - 1), 0) == 0; };
  before.erase(std::remove_if(before.begin(), before.end(), working), before.end());
  after.erase(std::remove_if(after.begin(), after.end(), working), after.end());
  EXPECT_EQ(after, before);
  EXPECT_EQ(world.fakes.files.contents(kSystem32 + "Ocean.scr"), "old engine");
}

// A file where the product folder would go is nobody's old saver: it stays as it was, the install
// fails at its first file there with "path not found" and one box, and what was written before
// (the engine) is rolled back. Nothing below that name is made or looked up by its path.
TEST(InstallProcedure, AFileAtTheProductFolderNameStaysAndTheInstallFailsWithPathNotFound) {
  InstallerWorld world;
  const std::string product = world.product();
  const std::string atName = product.substr(0, product.size() - 1);
  world.fakes.files.addFile(atName, "a file");
  clickInstall(world, [&world] { world.form.onCloseRequested(); });
  world.run();
  EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: 3");
  ASSERT_EQ(world.fakes.view.dialogs.size(), 1u);
  EXPECT_NE(world.fakes.view.dialogs[0].text.find("Ocean.swf"), std::string::npos);
  EXPECT_EQ(world.fakes.files.contents(atName), "a file");
  EXPECT_FALSE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
  for (const std::string& line : world.fakes.files.log) {
    EXPECT_EQ(line.find(product), std::string::npos) << line;
  }
}

// A failed install removes the product folder it made through the hold it made it with.
TEST(InstallProcedure, TheRollbackRemovesTheNewProductFolderThroughItsHold) {
  InstallerWorld world;
  world.fakes.files.writeLimits[world.product() + "scenes\\reef.swf"] = 1;
  clickInstall(world, [&world] { world.form.onCloseRequested(); });
  world.run();
  EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: 112");
  EXPECT_FALSE(world.fakes.files.exists(world.product()));
  const auto& log = world.fakes.files.log;
  EXPECT_NE(std::find(log.begin(), log.end(), "remove through hold " + world.product().substr(0, world.product().size() - 1)),
            log.end());
}

// The data file goes as soon as an install ends, whether it worked or not: the window may stay
// open a long time afterwards.
TEST(InstallProcedure, TheWorkingDataFileIsGoneWhileTheWindowIsStillOpen) {
  {
    InstallerWorld world;
    world.fakes.files.writeLimits[world.product() + "Ocean.swf"] = 2;
    clickInstall(world, [&world] {
      EXPECT_EQ(world.fakes.view.statusText, "Install failed. Error: 112");
      EXPECT_FALSE(world.fakes.files.exists(kWorking + "Ocean.dat"));
      EXPECT_TRUE(world.fakes.files.exists(kWorking + "temp.dat"));  // the window is still open
      world.form.onCloseRequested();
    });
    EXPECT_EQ(world.run(), 0);
  }
  {
    InstallerWorld world;
    world.fakes.files.addFile(kShared + "Ocean\\old.swf", "old");
    world.fakes.view.answers = {false};
    clickInstall(world, [&world] {
      EXPECT_FALSE(world.fakes.files.exists(kWorking + "Ocean.dat"));
      EXPECT_TRUE(world.fakes.files.exists(kWorking + "temp.dat"));
      world.form.onCloseRequested();
    });
    EXPECT_EQ(world.run(), 0);
  }
}

// The install reads the data file from the working folder only. One that a hand-made package
// sends elsewhere is not found there: 2, shown with its working path, and the install is undone,
// with no copy left in the folder the package named, stored or imploded.
TEST(InstallProcedure, ADataFileSentOutsideTheWorkingFolderIsNotFoundAndLeavesNothing) {
  for (const bool imploded : {false, true}) {
    for (const int destination : {1, 2, 3}) {
      SCOPED_TRACE(std::to_string(destination) + (imploded ? " imploded" : " stored"));
      InstallerWorld world;
      world.image.setSlot(8, "Ocean.dat", destination, "", imploded);
      const auto systemBefore = world.fakes.files.pathsUnder(kSystem32);
      EXPECT_EQ(world.run({"/q"}), 2);
      const std::string path = kWorking + "Ocean.dat";
      EXPECT_EQ(world.dialogTexts(),
                std::vector<std::string>{"Installation Error: " + path + "\r\n\r\nProblem with file " + path + ". "});
      EXPECT_EQ(world.fakes.files.pathsUnder(kSystem32), systemBefore);
      EXPECT_EQ(world.fakes.files.pathsUnder(kShared), std::vector<std::string>{});
      EXPECT_FALSE(world.fakes.registry.hasKey(RegistryRoot::kLocalMachine, kUninstallKey + "Ocean"));
      EXPECT_FALSE(world.fakes.files.exists(kLocalData + "Vantrel\\ZOR1"));
    }
  }
}

// A data file carried imploded cannot be checked before it is expanded; it passes the check and
// installs like a stored one.
TEST(InstallProcedure, AnImplodedDataFileInstalls) {
  InstallerWorld world;
  world.image.header.entries[8].imploded = true;
  world.image.setSlot(8, "Ocean.dat", 7, world.data.bytes(), true);
  clickInstall(world);
  const std::string bytes = world.image.bytes();
  world.fakes.files.addFile(kInstaller, bytes);
  world.fakes.process.parameters = {"/l=4242"};
  EXPECT_EQ(runProgram(world.context, world.form), 0);
  EXPECT_TRUE(world.fakes.view.dialogs.empty());
  EXPECT_EQ(world.fakes.files.contents(world.product() + "scenes\\reef.swf"), std::string(4000, 'r'));
  EXPECT_EQ(world.fakes.files.fileSize(world.product() + "saver.dat"), 1240u);
}

}  // namespace
}  // namespace saverkit
