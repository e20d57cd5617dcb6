// Layout arithmetic; see the header.
#include "installer/layout_rules.h"

#include <algorithm>

namespace saverkit {

Rect moviePanelWithin(const Rect& contentPanel) {
  const int width = contentPanel.width - 2 * kContentPanelBevel;
  const int height = contentPanel.height - 2 * kContentPanelBevel;
  return {0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

void placeButtons(WindowLayout& layout) {
  layout.cancelButton.left = layout.buttonPanel.width - layout.cancelButton.width - 1;
  layout.installButton.left = layout.cancelButton.left - layout.installButton.width - 6;
}

void fitClientHeight(WindowLayout& layout, bool hasLicense) {
  layout.clientHeight = layout.contentBottom() + 2 + layout.buttonPanel.height;
  if (hasLicense) layout.clientHeight += layout.licenseBox.height + 4;
}

void arrangeButtons(WindowLayout& layout, bool hasLicense) {
  placeButtons(layout);
  fitClientHeight(layout, hasLicense);
}

void setupPlainMode(WindowLayout& layout) {
  layout.installButton.width = 80;
  layout.licenseVisible = false;
  layout.sizeable = false;
  layout.minHeight = layout.contentBottom() + 4 + layout.buttonPanel.height;
  layout.minWidth = 0;
  layout.maxWidth = 0;
  layout.clientHeight = layout.minHeight;
  placeButtons(layout);
}

void setupLicenseMode(WindowLayout& layout) {
  layout.licenseVisible = true;
  layout.sizeable = true;
  layout.licenseBox.height = kLicenseBoxHeight;
  layout.minHeight =
      layout.contentBottom() + 2 + layout.licenseBox.height + 4 + layout.buttonPanel.height + 20;
  layout.minWidth = kWindowWidth;
  layout.maxWidth = kWindowWidth;
  layout.installButton.width = 115;
  placeButtons(layout);
}

void applyResizeRule(WindowLayout& layout, int clientWidth, int clientHeight) {
  layout.clientWidth = clientWidth;
  layout.clientHeight = clientHeight;
  layout.buttonPanel = {1, clientHeight - kButtonPanelHeight, clientWidth - 2, kButtonPanelHeight};
  placeButtons(layout);
  // The progress bar (anchored left and right) and the Close button (anchored right) keep their
  // distances to the panel's right edge as designed.
  const int widthChange = layout.buttonPanel.width - kButtonPanelDesignWidth;
  layout.progressBar.width = kProgressBarDesignWidth + widthChange;
  layout.doneButton.left = kDoneButtonDesignLeft + widthChange;
  // The licence box never gets smaller than its minimum height, even in the smallest window.
  layout.licenseBox = {0, layout.contentBottom() + 2, clientWidth,
                       std::max(kLicenseBoxHeight, layout.buttonPanel.top - layout.contentBottom() - 6)};
}

}  // namespace saverkit
