// Parsing xwininfo's output; see the header.
#include "window_listing.h"

#include <regex>
#include <sstream>
#include <stdexcept>

namespace saverpack {
namespace {

// A window line of the tree: id, "title" or (has no name), the class hint, then the size and
// position relative to the parent and the absolute position. Positions print as "+-3000" for
// negative values. The title is matched greedily, so quotes and colons inside it are kept.
const std::regex kTreeLine(R"re(^\s*(0x[0-9a-fA-F]+) (?:"(.*)"|\(has no name\)): \(.*\)\s+)re"
                           R"re((\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)\s*$)re");

bool onScreen(const XWindow& window) {
  return window.width > 1 && window.height > 1 && window.left + window.width > 0 && window.top + window.height > 0;
}

}  // namespace

std::vector<XWindow> parseWindowTree(const std::string& output) {
  std::vector<XWindow> windows;
  std::istringstream lines(output);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (!std::regex_match(line, match, kTreeLine)) continue;
    XWindow window;
    window.id = match[1];
    window.title = match[2];
    try {
      window.width = std::stoi(match[3]);
      window.height = std::stoi(match[4]);
      window.left = std::stoi(match[5]);
      window.top = std::stoi(match[6]);
    } catch (const std::out_of_range&) {
      continue;  // no real window is that large
    }
    windows.push_back(window);
  }
  return windows;
}

std::optional<XWindow> findInstallerWindow(const std::vector<XWindow>& windows) {
  for (const XWindow& window : windows) {
    if (window.title.rfind("Install", 0) == 0 && onScreen(window)) return window;
  }
  return std::nullopt;
}

std::vector<XWindow> visibleWindows(const std::vector<XWindow>& windows) {
  std::vector<XWindow> shown;
  for (const XWindow& window : windows) {
    // Wine's input-method windows are named but never drawn.
    if (onScreen(window) && !window.title.empty() && window.title != "Default IME") shown.push_back(window);
  }
  return shown;
}

std::optional<WindowState> parseWindowState(const std::string& output) {
  static const std::regex kWidth(R"(^\s*Width:\s*(\d+)\s*$)");
  static const std::regex kHeight(R"(^\s*Height:\s*(\d+)\s*$)");
  static const std::regex kMapState(R"(^\s*Map State:\s*(\w+)\s*$)");
  WindowState state;
  bool width = false, height = false;
  std::istringstream lines(output);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, match, kWidth)) {
      state.width = std::stoi(match[1]);
      width = true;
    } else if (std::regex_match(line, match, kHeight)) {
      state.height = std::stoi(match[1]);
      height = true;
    } else if (std::regex_match(line, match, kMapState)) {
      state.viewable = match[1] == "IsViewable";
    }
  }
  if (!width || !height) return std::nullopt;
  return state;
}

}  // namespace saverpack
