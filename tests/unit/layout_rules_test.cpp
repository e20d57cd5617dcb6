// The installer window's layout arithmetic: both modes, the button arrangement, the client
// height and the resize rule.
#include <gtest/gtest.h>

#include "installer/layout_rules.h"

namespace saverkit {
namespace {

TEST(LayoutRules, PlainModeIsFixedAt338WithButtonsBottomRight) {
  WindowLayout layout;
  setupPlainMode(layout);
  EXPECT_FALSE(layout.sizeable);
  EXPECT_FALSE(layout.licenseVisible);
  EXPECT_EQ(layout.minHeight, 340);
  EXPECT_EQ(layout.clientHeight, 340);
  arrangeButtons(layout, false);
  EXPECT_EQ(layout.clientHeight, 338);
  EXPECT_EQ(layout.cancelButton.left, 482 - 80 - 1);
  EXPECT_EQ(layout.installButton.left, 401 - 80 - 6);
  EXPECT_EQ(layout.installButton.width, 80);
}

TEST(LayoutRules, LicenceModeGrowsOnlyInHeight) {
  WindowLayout layout;
  setupLicenseMode(layout);
  EXPECT_TRUE(layout.sizeable);
  EXPECT_TRUE(layout.licenseVisible);
  EXPECT_EQ(layout.minHeight, 465);
  EXPECT_EQ(layout.minWidth, 490);
  EXPECT_EQ(layout.maxWidth, 490);
  EXPECT_EQ(layout.installButton.width, 115);
  EXPECT_EQ(layout.installButton.left, 401 - 115 - 6);
  arrangeButtons(layout, true);
  EXPECT_EQ(layout.clientHeight, 445);
}

TEST(LayoutRules, ResizeKeepsTheButtonsBottomRightAndTheLicenceBetween) {
  struct Row {
    int width, height;
  };
  for (const Row size : {Row{484, 445}, Row{484, 600}, Row{482, 520}, Row{484, 1000}}) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    WindowLayout layout;
    setupLicenseMode(layout);
    applyResizeRule(layout, size.width, size.height);
    EXPECT_EQ(layout.buttonPanel, (Rect{1, size.height - 63, size.width - 2, 63}));
    EXPECT_EQ(layout.cancelButton.right(), layout.buttonPanel.width - 1);
    EXPECT_EQ(layout.installButton.right(), layout.cancelButton.left - 6);
    EXPECT_EQ(layout.licenseBox.top, 275);
    EXPECT_EQ(layout.licenseBox.bottom(), layout.buttonPanel.top - 4);
    EXPECT_EQ(layout.licenseBox.width, size.width);
  }
}

// The progress bar and the Close button keep their designed distances to the panel's right
// edge; the licence box keeps its minimum height when the window is at its smallest.
TEST(LayoutRules, AnchoredControlsFollowThePanelAndTheLicenceBoxKeepsItsMinimum) {
  WindowLayout layout;
  setupLicenseMode(layout);
  applyResizeRule(layout, 482, 434);  // licence mode's sizeable frame: 490 wide, 465 high
  EXPECT_EQ(layout.buttonPanel.width, 480);
  EXPECT_EQ(layout.progressBar, (Rect{1, 20, 478, 12}));
  EXPECT_EQ(layout.doneButton, (Rect{398, 36, 80, 25}));
  EXPECT_EQ(layout.doneButton.right() + 2, layout.buttonPanel.width);
  EXPECT_EQ(layout.licenseBox.height, 103);
  applyResizeRule(layout, 482, 500);
  EXPECT_EQ(layout.licenseBox.height, 500 - 63 - 273 - 6);
  applyResizeRule(layout, 484, 338);  // plain mode's fixed frame keeps the design
  EXPECT_EQ(layout.progressBar.width, 480);
  EXPECT_EQ(layout.doneButton.left, 400);
}

// The movie panel fills the content panel within its bevel: the bevel stays visible around the
// player, which gets the panel's own size, whatever size the content panel has.
TEST(LayoutRules, TheMoviePanelFillsTheContentPanelWithinItsBevel) {
  EXPECT_EQ(moviePanelWithin(WindowLayout{}.contentPanel), (Rect{0, 0, 480, 270}));
  EXPECT_EQ(moviePanelWithin(Rect{5, 9, 100, 40}), (Rect{0, 0, 98, 38}));
  EXPECT_EQ(moviePanelWithin(Rect{0, 0, 1, 1}), (Rect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace saverkit
