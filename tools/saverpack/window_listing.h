// Reading what xwininfo says about the windows on the preview's private display. Wine gives
// every top-level window of a program an X window with the program's title, so the installer
// window is found by its title and size without any Windows-side helper. Pure text parsing:
// the programs themselves are run by the preview.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace saverpack {

struct XWindow {
  std::string id;     // "0xa00004", as xwininfo and import take it
  std::string title;  // empty for a window without a name
  int width = 0;
  int height = 0;
  int left = 0;  // absolute position on the screen; Wine parks hidden windows at -3000
  int top = 0;
};

// Every window line of `xwininfo -root -tree`; other lines are skipped.
std::vector<XWindow> parseWindowTree(const std::string& output);

// The installer window: titled "Install..." and really on the screen. The installer's
// application window shares that title but is a 1 x 1 window far off the screen, and the
// "preparing" window is titled with the program's file name.
std::optional<XWindow> findInstallerWindow(const std::vector<XWindow>& windows);

// The windows a person would see on the screen, for saying what showed up instead.
std::vector<XWindow> visibleWindows(const std::vector<XWindow>& windows);

// Width, height and whether it is mapped, from `xwininfo -id ID`.
struct WindowState {
  int width = 0;
  int height = 0;
  bool viewable = false;
};
std::optional<WindowState> parseWindowState(const std::string& output);

}  // namespace saverpack
