// The startup sequence from the program's start: modes, command line, the player decision,
// failures and their messages, raised errors, and the exit code of quiet runs.
#include <gtest/gtest.h>

#include "installer/startup_sequence.h"
#include "installer_world.h"
#include "movie_fixture.h"

namespace saverkit {
namespace {

using namespace saverkit::testing;

std::string withNul(const std::string& text) { return text + std::string(1, '\0'); }

TEST(StartupSequence, PlainModeWaitsWithThePictureAndTheLaidOutWindow) {
  InstallerWorld world;
  world.fakes.view.userActions.push_back([&world] {
    EXPECT_EQ(world.fakes.view.caption, "Install Screen Saver: Ocean");
    EXPECT_EQ(world.fakes.view.appTitle, "Install Screen Saver: Ocean");
    EXPECT_EQ(world.fakes.view.picture, kWorking + "intro.BMP");
    EXPECT_FALSE(world.fakes.view.layout.sizeable);
    EXPECT_EQ(world.fakes.view.layout.clientHeight, 338);
    EXPECT_EQ(world.fakes.view.layout.minHeight, 340);
    EXPECT_EQ(world.fakes.view.layout.installButton.width, 80);
    EXPECT_EQ(world.fakes.view.captions[Control::kInstallButton], "Install");
    EXPECT_EQ(world.fakes.view.progressMaximum, 10);
    EXPECT_TRUE(world.logged("installer: centred"));
    EXPECT_TRUE(world.fakes.files.exists(kWorking + "temp.dat"));
    world.form.onCancelClick();
  });
  EXPECT_EQ(world.run(), 0);
  EXPECT_TRUE(world.fakes.view.dialogs.empty());
  EXPECT_EQ(world.launcherTexts(), std::vector<std::string>{withNul("read installer heard file")});
  EXPECT_FALSE(world.fakes.files.exists(kWorking));  // removed when the window closed
  ASSERT_EQ(world.fakes.messaging.posted.size(), 1u);
}

TEST(StartupSequence, LicenceModeIsSizeableAndAsksForAcceptance) {
  InstallerWorld world;
  world.image.header.hasLicense = true;
  world.image.setSlot(4, "License.txt", 7, "You may enjoy this screen saver.");
  world.fakes.view.userActions.push_back([&world] {
    const WindowLayout& layout = world.fakes.view.layout;
    EXPECT_TRUE(layout.sizeable);
    EXPECT_TRUE(layout.licenseVisible);
    EXPECT_EQ(layout.minHeight, 465);
    EXPECT_EQ(layout.minWidth, 490);
    EXPECT_EQ(layout.maxWidth, 490);
    EXPECT_EQ(layout.clientHeight, 445);
    EXPECT_EQ(layout.installButton.width, 115);
    EXPECT_EQ(layout.buttonPanel.top, 445 - 63);
    EXPECT_EQ(layout.licenseBox, (Rect{0, 275, 482, 103}));
    EXPECT_EQ(world.fakes.view.captions[Control::kInstallButton], "Accept and Install");
    EXPECT_EQ(world.fakes.view.licenseText, "You may enjoy this screen saver.");
    world.form.onCancelClick();
  });
  EXPECT_EQ(world.run(), 0);
}

TEST(StartupSequence, QuietByPackageInstallsAtOnceAndAlwaysAsksForTheControlPanel) {
  InstallerWorld world;
  world.image.header.presentationMode = 4;
  EXPECT_EQ(world.run(), 0);
  EXPECT_TRUE(world.fakes.files.exists(world.product() + "sound.mp3"));
  EXPECT_FALSE(world.fakes.files.exists(kWorking + "intro.BMP"));  // mode 4 extracts no picture
  EXPECT_EQ(world.launcherTexts(),
            (std::vector<std::string>{withNul("read installer heard file"),
                                      withNul(std::string("makeActiveSaver-Ocean.scr") + '\0'),
                                      withNul("openScreenSaverControlPanel")}));
  EXPECT_FALSE(world.logged("installer: shown"));
  EXPECT_TRUE(world.logged("preparing: off screen"));

  InstallerWorld failing;
  failing.image.header.presentationMode = 4;
  failing.fakes.files.writeLimits[failing.product() + "Ocean.swf"] = 1;
  EXPECT_EQ(failing.run(), 112);
  EXPECT_EQ(failing.launcherTexts().back(), withNul("openScreenSaverControlPanel"));
  EXPECT_FALSE(failing.fakes.files.exists(failing.product()));  // rolled back
}

TEST(StartupSequence, QuietByCommandLineInAnyCase) {
  for (const char* quietSwitch : {"/q", "/Q"}) {
    SCOPED_TRACE(quietSwitch);
    InstallerWorld world;
    EXPECT_EQ(world.run({quietSwitch, "/l=4242", quietSwitch}), 0);
    EXPECT_EQ(world.launcherTexts(),
              (std::vector<std::string>{withNul("read installer heard file"), withNul("quiet installer"),
                                        withNul("quiet installer"),
                                        withNul(std::string("makeActiveSaver-Ocean.scr") + '\0')}));
    EXPECT_TRUE(world.fakes.files.exists(kSystem32 + "Ocean.scr"));
    EXPECT_TRUE(world.logged("installer: destroyed"));
    EXPECT_TRUE(world.fakes.view.dialogs.empty());
  }
  InstallerWorld notQuiet;
  notQuiet.fakes.view.userActions.push_back([&notQuiet] { notQuiet.form.onCancelClick(); });
  notQuiet.run({"/qx", "-q", "/l=4242"});
  EXPECT_TRUE(notQuiet.logged("installer: centred"));
}

TEST(StartupSequence, AShortHeaderShowsTwoBoxesAndEnds) {
  InstallerWorld world;
  world.fakes.files.addFile(kInstaller, std::string(690176 + 100, '\0'));
  world.fakes.process.parameters = {"/l=4242"};
  EXPECT_EQ(runProgram(world.context, world.form), 0);
  const std::string work = kWorking + "temp.dat";
  EXPECT_EQ(world.dialogTexts(),
            (std::vector<std::string>{"Installation Error: " + work + "\r\n\r\nProblem with file " + work + ". ",
                                      "Installer file is corrupted. Vantrel Error: -31. "}));
  EXPECT_TRUE(world.fakes.messaging.sent.empty());
  EXPECT_TRUE(world.fakes.messaging.posted.empty());  // the launcher never heard from us
  EXPECT_FALSE(world.logged("installer: shown"));
}

TEST(StartupSequence, AFailedQuietStartupReturnsItsStatusNotSuccess) {
  InstallerWorld byCommandLine;
  byCommandLine.fakes.files.addFile(kInstaller, "MZ too short");
  byCommandLine.fakes.process.parameters = {"/Q"};
  EXPECT_EQ(runProgram(byCommandLine.context, byCommandLine.form), -31);

  InstallerWorld byPackage;
  byPackage.image.header.presentationMode = 4;
  byPackage.image.header.saverName = "..";
  EXPECT_EQ(byPackage.run(), -600);
  EXPECT_EQ(byPackage.dialogTexts().back(), "Installer file is corrupted. Vantrel Error: -600. ");
}

TEST(StartupSequence, NoPlayerAndNoneCarriedAsksTheUserToGetOne) {
  InstallerWorld world;
  world.removePlayer();
  world.fakes.player.lastAnswer = {};  // no control can be created either
  EXPECT_EQ(world.run(), 0);
  ASSERT_EQ(world.fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(world.fakes.view.dialogs[0].kind, DialogKind::kInformation);
  EXPECT_EQ(world.fakes.view.dialogs[0].text.rfind("This screen saver requires the latest Adobe Flash Player", 0), 0u);
  EXPECT_EQ(world.fakes.clock.sleeps, 20u);  // 20 attempts, 500 ms apart
  EXPECT_EQ(world.fakes.clock.now, 10000u);
}

// With the marker, a picture or quiet package installs on a machine without the player: no
// detection, no wait, no box, no carried installer. A movie still asks for the player.
TEST(StartupSequence, TheNoPlayerMarkerPassesOverThePlayerStepsForPicturesOnly) {
  struct Row { const char* label; std::uint8_t mode; bool marker; bool asksForPlayer; };
  const Row rows[] = {
      {"bitmap with the marker", 1, true, false},
      {"jpeg with the marker", 8, true, false},
      {"quiet with the marker", 4, true, false},
      {"bitmap without it", 1, false, true},
      {"quiet without it", 4, false, true},
      {"movie with the marker", 2, true, true},
      {"alternative movie with the marker", 3, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    InstallerWorld world;
    world.removePlayer();
    world.fakes.player.lastAnswer = {};
    world.image.header.presentationMode = row.mode;
    world.image.header.needsNoFlashPlayer = row.marker;
    if (row.mode != 4) world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
    world.run();
    const bool asked = !world.fakes.view.dialogs.empty() &&
        world.fakes.view.dialogs.back().text.rfind("This screen saver requires the latest Adobe Flash Player", 0) == 0;
    EXPECT_EQ(asked, row.asksForPlayer);
    EXPECT_EQ(world.fakes.clock.sleeps != 0, row.asksForPlayer);
    if (!row.asksForPlayer) EXPECT_TRUE(world.fakes.view.dialogs.empty());
    if (row.mode == 4 && !row.asksForPlayer) {
      EXPECT_EQ(world.launcherTexts().at(1), withNul(withNul("makeActiveSaver-Ocean.scr")));
    }
  }
}

TEST(StartupSequence, PlayerDecisionTable) {
  struct Row {
    const char* label;
    PlayerVersion installed;
    bool carries;
    std::int32_t major, release;
    bool update;
    Status result;
  };
  const Row rows[] = {
      {"newer major carried", {true, 9, 124}, true, 10, 12, true, 0},
      {"newer release carried", {true, 10, 3}, true, 10, 12, true, 0},
      {"same version", {true, 10, 12}, true, 10, 12, false, 0},
      {"installed release unknown", {true, 10, 0}, true, 10, 12, false, 0},
      {"installed newer", {true, 11, 1}, true, 10, 12, false, 0},
      {"nothing carried, any player", {true, 3, 0}, false, 0, 0, false, 0},
      {"no player, one carried", {false, 0, 0}, true, 9, 124, true, 0},
      {"no player, none carried", {false, 0, 0}, false, 0, 0, false, -402},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    bool update = !row.update;
    EXPECT_EQ(decidePlayerUpdate(row.installed, row.carries, row.major, row.release, update), row.result);
    EXPECT_EQ(update, row.update);
  }
}

TEST(StartupSequence, ACarriedPlayerIsRunSilentlyAndAwaited) {
  InstallerWorld world;
  world.installPlayer(9, 124);
  world.image.header.carriesFlashInstaller = true;
  world.image.header.flashVersionIndex = 0;
  world.image.setSlot(2, "install_flash_player_10_active_x.exe", 7, "player installer");
  world.fakes.player.lastAnswer = {PlayerVersionAnswer::Outcome::kAnswered, "WIN 10,0,12,36"};
  world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.fakes.shell.started,
            std::vector<std::string>{kWorking + "install_flash_player_10_active_x.exe /s"});
  // In the working folder, not in the installer's (the download folder).
  EXPECT_EQ(world.fakes.shell.startFolders, std::vector<std::string>{kWorking});
  EXPECT_TRUE(world.fakes.view.dialogs.empty());
}

TEST(StartupSequence, PlayerInstallerRefusedOnWindowsNt) {
  InstallerWorld world;
  world.fakes.system.version = VersionRecord{4, 0, 1381, 2, "Service Pack 6"};
  world.image.header.carriesFlashInstaller = true;
  world.image.setSlot(2, "install_flash_player_active_x.exe", 7, "player installer");
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.dialogTexts(), std::vector<std::string>{"This screen saver is not compatible with Windows NT."});
}

// The view is given the picture's file under the name its mode gives it, which must be the
// file the extraction wrote.
TEST(StartupSequence, ThePictureShownIsTheFileItsSlotWrote) {
  struct Row {
    std::uint8_t mode;
    const char* name;
    const char* shown;
  };
  for (const Row& row : {Row{1, "intro.gif", "intro.BMP"}, Row{8, "intro.jpeg", "intro.jpg"}}) {
    SCOPED_TRACE(row.name);
    InstallerWorld world;
    world.image.header.presentationMode = row.mode;
    world.image.setSlot(3, row.name, 7, "the picture");
    world.fakes.view.userActions.push_back([&world, &row] {
      EXPECT_EQ(world.fakes.view.picture, kWorking + row.shown);
      EXPECT_EQ(world.fakes.files.contents(kWorking + row.shown), "the picture");
      world.form.onCancelClick();
    });
    EXPECT_EQ(world.run(), 0);
    EXPECT_TRUE(world.fakes.view.dialogs.empty());
  }
}

// A player installer the package puts outside the working folder is held and run from there.
// A player installer runs only from the working folder, where the run holds it: one a package
// sends to the system folder is written there but never started, as before (-401).
TEST(StartupSequence, APlayerInstallerRunsOnlyFromTheWorkingFolder) {
  for (const int destination : {7, 2}) {
    SCOPED_TRACE(destination);
    InstallerWorld world;
    world.installPlayer(9, 124);
    world.image.header.carriesFlashInstaller = true;
    world.image.setSlot(2, "install_flash_player_10_active_x.exe", destination, "player installer");
    world.fakes.player.lastAnswer = {PlayerVersionAnswer::Outcome::kAnswered, "WIN 10,0,12,36"};
    world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
    EXPECT_EQ(world.run(), 0);
    if (destination == 7) {
      EXPECT_EQ(world.fakes.shell.started,
                std::vector<std::string>{kWorking + "install_flash_player_10_active_x.exe /s"});
    } else {
      EXPECT_TRUE(world.fakes.shell.started.empty());
      EXPECT_EQ(world.dialogTexts().back(), "Installer file is corrupted. Vantrel Error: -401. ");
    }
  }
}

TEST(StartupSequence, ADamagedPictureShowsCorruptFileAndTheWindowStillOpens) {
  InstallerWorld world;
  world.fakes.view.unreadablePictures = {kWorking + "intro.BMP"};
  world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.dialogTexts(), std::vector<std::string>{"CorruptFile: "});
  EXPECT_TRUE(world.logged("installer: centred"));
}

TEST(StartupSequence, AMovieThatCannotPlayInstallsInThePreparingWindow) {
  InstallerWorld world;
  world.image.header.presentationMode = 2;
  world.image.header.askOpenControlPanel = true;
  world.image.setSlot(3, "intro.swf", 7, "FWS movie");
  world.fakes.view.answers = {true};
  EXPECT_EQ(world.run(), 0);
  EXPECT_TRUE(world.logged("preparing caption: Install Screen Saver: Ocean"));
  EXPECT_TRUE(world.logged("preparing message: Installing Screen Saver..."));
  EXPECT_TRUE(world.logged("preparing message: Installation Successful."));
  EXPECT_TRUE(world.fakes.files.exists(world.product() + "saver.dat"));
  EXPECT_EQ(world.launcherTexts().back(), withNul("openScreenSaverControlPanel"));
  EXPECT_FALSE(world.logged("installer: centred"));
  EXPECT_TRUE(world.logged("terminate"));
}

TEST(StartupSequence, AMovieThatPlaysWaitsInTheWindowAndStopsWhenItCloses) {
  InstallerWorld world;
  world.image.header.presentationMode = 3;
  testing::MovieImage movie;
  movie.version = 10;
  world.image.setSlot(3, "intro.swf", 7, movie.background(9, 9, 9).compressed());
  const std::string panelFolder = kLocalData + "Vantrel\\FlashPanel1\\";
  world.fakes.view.userActions.push_back([&world, &panelFolder] {
    EXPECT_TRUE(world.fakes.view.movieVisible);
    EXPECT_EQ(world.fakes.player.livingPlayers, 1);
    EXPECT_EQ(world.fakes.player.calls.back(), "focus");
    EXPECT_TRUE(world.fakes.files.exists(panelFolder + "unCompressedSWF.swf"));
    EXPECT_TRUE(world.logged("installer: centred"));
    world.form.onCancelClick();
  });
  EXPECT_EQ(world.run(), 0);
  EXPECT_EQ(world.fakes.player.calls[7], "Movie " + kWorking + "intro.swf");
  const auto stopped = std::find(world.fakes.player.calls.begin(), world.fakes.player.calls.end(), "StopPlay");
  EXPECT_NE(stopped, world.fakes.player.calls.end());
  EXPECT_EQ(world.fakes.player.livingPlayers, 0);
  EXPECT_EQ(world.fakes.view.movieColor, 0u);
  EXPECT_FALSE(world.fakes.files.exists(panelFolder));
  EXPECT_TRUE(world.fakes.view.dialogs.empty());

  InstallerWorld tooNew;  // the installed player is 10: a version 11 movie falls back
  tooNew.image.header.presentationMode = 2;
  testing::MovieImage eleven;
  eleven.version = 11;
  tooNew.image.setSlot(3, "intro.swf", 7, eleven.background(1, 1, 1).uncompressed());
  EXPECT_EQ(tooNew.run(), 0);
  EXPECT_TRUE(tooNew.logged("preparing message: Installation Successful."));
  EXPECT_EQ(tooNew.fakes.player.creationAttempts, 0);
  EXPECT_TRUE(tooNew.fakes.view.dialogs.empty());
}

TEST(StartupSequence, RaisedErrorsAreReportedAndTheWindowWaits) {
  InstallerWorld badSwitch;
  badSwitch.fakes.view.userActions.push_back([&badSwitch] { badSwitch.form.onCancelClick(); });
  EXPECT_EQ(badSwitch.run({"/l=12ab"}), 0);
  EXPECT_EQ(badSwitch.fakes.view.errorReports, std::vector<std::string>{"'12ab' is not a valid integer value."});
  EXPECT_TRUE(badSwitch.logged("installer: shown"));
  EXPECT_TRUE(badSwitch.fakes.view.dialogs.empty());  // no startup failure message

  InstallerWorld badIndex;
  badIndex.image.header.carriesFlashInstaller = true;
  badIndex.image.header.flashVersionIndex = 2;
  badIndex.image.setSlot(2, "install_flash_player_active_x.exe", 7, "x");
  badIndex.fakes.view.userActions.push_back([&badIndex] { badIndex.form.onCancelClick(); });
  EXPECT_EQ(badIndex.run(), 0);
  EXPECT_EQ(badIndex.fakes.view.errorReports, std::vector<std::string>{"Range check error."});

  InstallerWorld quiet;
  EXPECT_EQ(quiet.run({"/q", "/l=zz"}), -606);  // a quiet run never waits for a user
  EXPECT_TRUE(quiet.logged("terminate"));
}

// The startup's steps run in their fixed order, each only under its condition.
TEST(StartupSequence, StepsRunInTheirOrderUnderTheirConditions) {
  using Steps = std::vector<std::string>;
  {
    InstallerWorld world;
    world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
    EXPECT_EQ(world.run(), 0);
    EXPECT_EQ(world.context.startupStepsRun, (Steps{"package", "command line", "product paths", "read-me", "player",
                                                    "title", "window mode", "presentation", "show", "window"}));
  }
  {
    InstallerWorld world;  // quiet by "/q", twice: read once, heard twice; the picture still extracted
    world.image.header.needsNoFlashPlayer = true;
    EXPECT_EQ(world.run({"/l=4242", "/Q", "/q"}), 0);
    EXPECT_EQ(world.context.startupStepsRun,
              (Steps{"package", "command line", "product paths", "read-me", "presentation", "quiet install"}));
    EXPECT_EQ(world.context.quietSwitches, 2);
    EXPECT_EQ(world.launcherTexts().at(1), withNul("quiet installer"));
    EXPECT_EQ(world.launcherTexts().at(2), withNul("quiet installer"));
  }
  {
    InstallerWorld world;
    world.image.header.saverName = "..";  // stops at the product paths
    EXPECT_EQ(world.run(), 0);
    EXPECT_EQ(world.context.startupStepsRun, (Steps{"package", "command line", "product paths"}));
  }
  EXPECT_EQ(countQuietSwitches({"/q", "/Q", "/qq", "-q", "q", "/l=1"}), 2);
}

}  // namespace
}  // namespace saverkit

namespace saverkit {
namespace {

TEST(StartupSequence, AQuietRunOfAnotherPackageThanTheBoundOneEndsWithMinus608AndChangesNothing) {
  testing::InstallerWorld world;
  const std::string other = "a package of somebody else's";
  world.context.consentedBinding = PackageBinding{other.size(), sha256Of(other.data(), other.size())};
  EXPECT_EQ(world.run({"/l=4242", "/q"}), status::kPackageChanged);
  EXPECT_EQ(world.dialogTexts().size(), 1u);
  EXPECT_TRUE(world.launcherTexts().empty());  // not even the header was read
  EXPECT_FALSE(world.fakes.files.exists(testing::kShared));
  EXPECT_FALSE(world.fakes.files.exists(testing::kWorking));
}

}  // namespace
}  // namespace saverkit
