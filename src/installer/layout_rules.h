// The installer window's layout as pure arithmetic on sizes: the design positions, plain and
// licence mode, the button arrangement, the client height and the resize rule. The view only
// applies the result.
#pragma once

namespace saverkit {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int bottom() const { return top + height; }
  int right() const { return left + width; }
  bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && width == other.width && height == other.height;
  }
};

inline constexpr int kWindowWidth = 490;
inline constexpr int kButtonPanelHeight = 63;
inline constexpr int kLicenseBoxHeight = 103;
inline constexpr int kButtonPanelDesignWidth = 482;
inline constexpr int kProgressBarDesignWidth = 480;
inline constexpr int kDoneButtonDesignLeft = 400;

struct WindowLayout {
  int clientWidth = 482;
  int clientHeight = 338;
  // Relative to the client area.
  Rect contentPanel{0, 1, 482, 272};
  Rect licenseBox{0, 272, 482, kLicenseBoxHeight};
  Rect buttonPanel{0, 275, 482, kButtonPanelHeight};
  // Relative to the button panel.
  Rect statusLabel{2, 3, 360, 13};
  Rect progressBar{1, 20, 480, 12};
  Rect installButton{0, 36, 80, 25};
  Rect cancelButton{0, 36, 80, 25};
  Rect doneButton{400, 36, 80, 25};
  bool licenseVisible = false;
  bool sizeable = false;
  // Window (outer) size limits; 0 means none.
  int minHeight = 0;
  int minWidth = 0;
  int maxWidth = 0;

  int contentBottom() const { return contentPanel.bottom(); }
};

// The sunken edge the content panel draws around its picture.
inline constexpr int kContentPanelBevel = 1;

// The movie panel lies inside the content panel and fills it within its bevel, so that the bevel
// stays visible and the player gets the panel's own size. In the content panel's coordinates.
Rect moviePanelWithin(const Rect& contentPanel);

// Cancel 1 pixel from the button panel's right edge, Install 6 pixels to its left.
void placeButtons(WindowLayout& layout);
// Content, 2 pixels, the button panel, and the licence box with 4 pixels when it is shown.
void fitClientHeight(WindowLayout& layout, bool hasLicense);
void arrangeButtons(WindowLayout& layout, bool hasLicense);
// Plain mode: fixed border, no licence, an 80-pixel Install button, minimum height 340.
void setupPlainMode(WindowLayout& layout);
// Licence mode: sizeable in height only (width fixed at 490), a 103-pixel licence box, a
// 115-pixel "Accept and Install" button, minimum height 465.
void setupLicenseMode(WindowLayout& layout);
// What every change of the client size does: the button panel at the bottom, the buttons at
// its right, the licence box filling the height between the content and the buttons.
void applyResizeRule(WindowLayout& layout, int clientWidth, int clientHeight);

}  // namespace saverkit
