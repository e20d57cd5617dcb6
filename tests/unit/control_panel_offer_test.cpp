// The control-panel offer and the make-active request, as the launcher sees them.
#include <gtest/gtest.h>

#include "installer/control_panel_offer.h"
#include "installer/fake/fake_platform.h"

namespace saverkit {
namespace {

class ControlPanelOfferTest : public ::testing::Test {
 protected:
  ControlPanelOfferTest() {
    fakes.process.parameters = {"/l=9"};
    fakes.messaging.windows[9] = "launcher";
  }
  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
};

TEST_F(ControlPanelOfferTest, NotAskedWhenThePackageDoesNotWantIt) {
  offerControlPanel(context, false);
  EXPECT_TRUE(fakes.view.dialogs.empty());
  EXPECT_TRUE(fakes.messaging.sent.empty());
}

TEST_F(ControlPanelOfferTest, NoMeansNothingIsSent) {
  fakes.view.answers = {false};
  offerControlPanel(context, true);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].kind, DialogKind::kYesNo);
  EXPECT_EQ(fakes.view.dialogs[0].text,
            "The installation of the screen saver was successful.\r\n\r\nWould you like to open "
            "the screen saver control panel?");
  EXPECT_TRUE(fakes.messaging.sent.empty());
  EXPECT_FALSE(fakes.view.statusVisible);
}

TEST_F(ControlPanelOfferTest, YesShowsTheStatusLineThenAsksTheLauncher) {
  fakes.view.answers = {true};
  offerControlPanel(context, true);
  EXPECT_EQ(fakes.view.statusText, "Opening the Display Properties control panel. Please standby...");
  ASSERT_EQ(fakes.messaging.sent.size(), 1u);
  EXPECT_EQ(fakes.messaging.sent[0].data, std::string("openScreenSaverControlPanel\0", 28));
}

TEST_F(ControlPanelOfferTest, MakeActiveTravelsWithTwoNuls) {
  requestMakeActive(context, "Ocean.scr");
  ASSERT_EQ(fakes.messaging.sent.size(), 1u);
  EXPECT_EQ(fakes.messaging.sent[0].data, std::string("makeActiveSaver-Ocean.scr\0\0", 27));
}

}  // namespace
}  // namespace saverkit
