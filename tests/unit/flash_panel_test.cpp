// The movie panel against a fake player control: the set-up in its order, the player check, the
// creation retries, replacing and stopping a player, focus, and the folder that goes with the
// panel.
#include <gtest/gtest.h>

#include <memory>

#include "flash/flash_panel.h"
#include "flash/player_detection.h"
#include "installer/fake/fake_platform.h"
#include "movie_fixture.h"

namespace saverkit {
namespace {

using testing::MovieImage;
using Calls = std::vector<std::string>;

class FlashPanelTest : public ::testing::Test {
 protected:
  FlashPanelTest() {
    fakes.files.addFolder(kLocal);
    installPlayer(9);
    MovieImage image;
    image.background(0, 0x66, 0xCC);
    fakes.files.addFile(kMovie, image.uncompressed());
  }
  void installPlayer(std::uint32_t major) {
    fakes.files.addFile(kOcx, "ocx");
    fakes.registerPlayerControl(kOcx);
    fakes.system.fileVersions[kOcx] = {major << 16, 124u << 16};
  }
  std::string addMovie(const std::string& name, std::uint8_t version, bool compressed) {
    MovieImage image;
    image.version = version;
    image.background(1, 2, 3);
    fakes.files.addFile("C:\\work\\" + name, compressed ? image.compressed() : image.uncompressed());
    return "C:\\work\\" + name;
  }
  static Calls playing(const std::string& path) {
    return {"create 119", "place", "ScaleMode 0", "SetVariable Align AlClient", "WMode Opaque", "Menu false",
            "verb -3",    "Movie " + path, "Play", "verb -1"};
  }

  const std::string kLocal = "C:\\Documents and Settings\\user\\Local Settings\\Application Data\\";
  const std::string kMovie = "C:\\work\\intro.swf";
  const std::string kOcx = "C:\\WINDOWS\\system32\\Macromed\\Flash\\player.ocx";
  fake::FakePlatform fakes;
  PlayerVersionCache cache;
  FlashServices services = fakes.flashServices(cache);
};

TEST_F(FlashPanelTest, AMoviePlaysWithTheSetUpInOrderAndOnlyOnce) {
  FlashPanel panel(services);
  ASSERT_EQ(panel.playMovie(kMovie), 0);
  EXPECT_EQ(fakes.player.calls, playing(kMovie));
  EXPECT_EQ(panel.movie().swfVersion, 8);
  EXPECT_EQ(panel.playMovie(kMovie), 0);  // the same path: no restart
  EXPECT_EQ(panel.playMovie(""), 0);
  EXPECT_EQ(fakes.player.calls.size(), playing(kMovie).size());
  EXPECT_EQ(fakes.player.queries, 0);  // the control file's version answered
}

TEST_F(FlashPanelTest, ThePlayerMustBeThereAndAtLeastAsNewAsTheMovie) {
  FlashPanel panel(services);
  EXPECT_EQ(panel.playMovie(addMovie("ten.swf", 10, false)), -410);
  EXPECT_EQ(panel.playMovie(addMovie("nine.swf", 9, true)), 0);
  EXPECT_EQ(fakes.player.controlFiles, Calls{kOcx});
  // The user's own registration is no player for the elevated installer: nothing is made from it.
  fakes.registry.deleteKeyTree(RegistryRoot::kLocalMachine, kPlayerClassKey);
  fakes.registry.openKey(RegistryRoot::kCurrentUser, kPlayerClassKey, KeyAccess::kCreate)->setString("", kOcx);
  FlashPanel withoutPlayer(services);
  cache.major = -1;
  EXPECT_EQ(withoutPlayer.playMovie(kMovie), -401);
  EXPECT_EQ(fakes.player.queries, 0);
  EXPECT_EQ(fakes.clock.now, 500000u);  // the panel's patience, 1000 looks 500 ms apart
  EXPECT_EQ(fakes.player.creationAttempts, 1);  // only the nine played
}

TEST_F(FlashPanelTest, CreationIsRetriedAndARefusedSettingKeepsThePlayer) {
  fakes.player.creationFailures = 3;
  FlashPanel panel(services);
  EXPECT_EQ(panel.playMovie(kMovie), 0);
  EXPECT_EQ(fakes.player.creationAttempts, 4);

  // A player whose control refuses one operation, playing the same movie on a machine of its own.
  const auto refusingOne = [this](const std::string& operation) {
    auto machine = std::make_unique<fake::FakePlatform>();
    machine->player.refusedOperation = operation;
    machine->registerPlayerControl(kOcx);
    machine->files.addFile(kMovie, fakes.files.contents(kMovie).value());
    PlayerVersionCache known{9, 0};
    FlashServices other = machine->flashServices(known);
    FlashPanel panel(other);
    EXPECT_EQ(panel.playMovie(kMovie), 0);
    return machine;
  };
  const auto refusing = refusingOne("WMode");
  EXPECT_EQ(refusing->player.calls, (Calls{"create 119", "place", "ScaleMode 0", "SetVariable Align AlClient",
                                           "WMode Opaque", "verb -3", "Movie " + kMovie, "Play", "verb -1", "free"}));
  // A control that was created but cannot be placed in its host ends the loop as the player:
  // no second creation, no settings, and the movie is still given to it.
  const auto unplaced = refusingOne("place");
  EXPECT_EQ(unplaced->player.creationAttempts, 1);
  EXPECT_EQ(unplaced->player.calls, (Calls{"create 119", "place", "verb -3", "Movie " + kMovie, "Play", "verb -1", "free"}));

  fakes.player.creationFailures = -1;
  FlashPanel never(services);
  EXPECT_EQ(never.playMovie(addMovie("other.swf", 8, false)), -403);
  EXPECT_EQ(fakes.player.creationAttempts, 4 + 10000);
  EXPECT_FALSE(never.hasPlayer());
}

TEST_F(FlashPanelTest, ANewMovieReplacesThePlayerAndStopLeavesABlackPanel) {
  FlashPanel panel(services);
  ASSERT_EQ(panel.playMovie(kMovie), 0);
  const std::string second = addMovie("second.swf", 6, false);
  fakes.player.calls.clear();
  ASSERT_EQ(panel.playMovie(second), 0);
  Calls expected{"StopPlay", "free"};
  for (const std::string& call : playing(second)) expected.push_back(call);
  EXPECT_EQ(fakes.player.calls, expected);
  EXPECT_EQ(fakes.player.livingPlayers, 1);

  fakes.player.calls.clear();
  panel.stopMovie();
  EXPECT_EQ(fakes.player.calls, (Calls{"StopPlay", "free"}));
  EXPECT_EQ(fakes.view.movieColor, 0u);
  EXPECT_EQ(panel.movie().swfFilename, "");
  EXPECT_EQ(panel.releasePlayer(), 0);  // nothing left to release
}

TEST_F(FlashPanelTest, APlayerThatRefusesToStopIsKept) {
  FlashPanel panel(services);
  ASSERT_EQ(panel.playMovie(kMovie), 0);
  fakes.player.refusedOperation = "StopPlay";
  EXPECT_EQ(panel.releasePlayer(), -409);
  EXPECT_TRUE(panel.hasPlayer());
  EXPECT_EQ(fakes.player.livingPlayers, 1);
}

TEST_F(FlashPanelTest, FocusGoesToAVisiblePlayerOnly) {
  FlashPanel panel(services);
  panel.focusMovie();
  ASSERT_EQ(panel.playMovie(kMovie), 0);
  panel.focusMovie();  // hidden panel
  EXPECT_EQ(fakes.player.calls.back(), "verb -1");
  fakes.view.movieVisible = true;
  panel.focusMovie();
  EXPECT_EQ(fakes.player.calls.back(), "focus");
  EXPECT_EQ(fakes.view.log.back(), "movie panel: focused");
}

TEST_F(FlashPanelTest, ACompressedMovieIsGivenAsItIsAndItsCopyGoesWithThePanel) {
  const std::string compressed = addMovie("packed.swf", 7, true);
  const std::string copy = kLocal + "Vantrel\\FlashPanel1\\unCompressedSWF.swf";
  {
    FlashPanel panel(services);
    ASSERT_EQ(panel.playMovie(compressed), 0);
    EXPECT_EQ(fakes.player.calls[7], "Movie " + compressed);
    EXPECT_TRUE(fakes.files.exists(copy));
  }
  EXPECT_FALSE(fakes.files.exists(kLocal + "Vantrel\\FlashPanel1"));
  EXPECT_EQ(fakes.player.livingPlayers, 0);

  const std::vector<std::string> before = fakes.files.pathsUnder();
  { FlashPanel untouched(services); }
  EXPECT_EQ(fakes.files.pathsUnder(), before);
}

TEST_F(FlashPanelTest, AMissingMovieStillGetsAPlayer) {
  FlashPanel panel(services);
  EXPECT_EQ(panel.playMovie("C:\\work\\gone.swf"), 0);
  EXPECT_EQ(fakes.player.calls, playing("C:\\work\\gone.swf"));
}

}  // namespace
}  // namespace saverkit
