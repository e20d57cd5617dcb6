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
  for (const Row size : {Row{484, 445}, Row{484, 600}, Row{482, 338}, Row{484, 1000}}) {
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

TEST(LayoutRules, TheDoneButtonIsLeftWhereTheDesignPutIt) {
  WindowLayout layout;
  setupPlainMode(layout);
  applyResizeRule(layout, 600, 500);
  EXPECT_EQ(layout.doneButton, (Rect{400, 36, 80, 25}));
}

}  // namespace
}  // namespace saverkit
