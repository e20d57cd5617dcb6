// What preview reads from other programs: xwininfo's window tree and window state, the
// installer's log, and a PNG's size. The run itself is covered by the Wine case preview.sh.
#include <gtest/gtest.h>

#include "preview.h"
#include "preview_show.h"
#include "tool_error.h"
#include "window_listing.h"

namespace saverpack {
namespace {

// As xwininfo -root -tree prints it while an installer runs under Wine without a window manager.
const char* const kTree =
    "\n"
    "xwininfo: Window id: 0x3ae (the root window) (has no name)\n"
    "\n"
    "  Root window id: 0x3ae (the root window) (has no name)\n"
    "  Parent window id: 0x0 (none)\n"
    "     6 children:\n"
    "     0xa00004 \"Install Screen Saver: Sample\": (\"setup.exe\" \"setup.exe\")  490x472+267+148  +267+148\n"
    "        1 child:\n"
    "        0xa00005 (has no name): ()  484x300+3+22  +270+170\n"
    "     0xa00003 \"setup.exe\": (\"setup.exe\" \"setup.exe\")  270x116+-3000+-3000  +-3000+-3000\n"
    "     0xa00001 \"Install Screen Saver: Sample\": (\"setup.exe\" \"setup.exe\")  1x1+-3000+-3000  +-3000+-3000\n"
    "     0xa00002 \"Default IME\": (\"setup.exe\" \"setup.exe\")  1x1+0+0  +0+0\n"
    "     0xb00001 \"Error: \"quoted\": (x)\": (\"setup.exe\" \"setup.exe\")  300x120+362+324  +362+324\n";

TEST(PreviewWindows, TheTreeGivesEveryWindowWithItsTitleSizeAndPlace) {
  const auto windows = parseWindowTree(kTree);
  ASSERT_EQ(windows.size(), 6u);
  EXPECT_EQ(windows[0].id, "0xa00004");
  EXPECT_EQ(windows[0].title, "Install Screen Saver: Sample");
  EXPECT_EQ(windows[0].width, 490);
  EXPECT_EQ(windows[0].height, 472);
  EXPECT_EQ(windows[1].title, "");
  EXPECT_EQ(windows[1].left, 270);  // absolute, not relative to its parent
  EXPECT_EQ(windows[2].left, -3000);
  EXPECT_EQ(windows[2].top, -3000);
  EXPECT_EQ(windows[5].title, "Error: \"quoted\": (x)");
}

TEST(PreviewWindows, TheInstallerWindowIsTheOneOnTheScreen) {
  auto windows = parseWindowTree(kTree);
  const auto found = findInstallerWindow(windows);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->id, "0xa00004");
  // Before the window is shown, only the application window (1 x 1, far off) has the title.
  windows.erase(windows.begin());
  EXPECT_FALSE(findInstallerWindow(windows));
  // Moved just off the left edge is still on the screen; entirely off is not.
  XWindow edge = parseWindowTree(kTree)[0];
  edge.left = -489;
  EXPECT_TRUE(findInstallerWindow({edge}));
  edge.left = -490;
  EXPECT_FALSE(findInstallerWindow({edge}));
}

TEST(PreviewWindows, WhatShowedInsteadLeavesOutHiddenAndInputMethodWindows) {
  const auto shown = visibleWindows(parseWindowTree(kTree));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].id, "0xa00004");
  EXPECT_EQ(shown[1].id, "0xb00001");
}

TEST(PreviewWindows, WindowStateNeedsBothSizes) {
  const auto state = parseWindowState(
      "xwininfo: Window id: 0xa00004 \"Install\"\n  Width: 490\n  Height: 472\n  Depth: 24\n  Map State: IsViewable\n");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->width, 490);
  EXPECT_EQ(state->height, 472);
  EXPECT_TRUE(state->viewable);
  EXPECT_FALSE(parseWindowState("  Width: 490\n  Height: 472\n  Map State: IsUnMapped\n")->viewable);
  EXPECT_FALSE(parseWindowState("xwininfo: error: No such window with id 0xa00004.\n"));
}

TEST(PreviewLog, ReportsAreTheLinesBeyondStatusTexts) {
  const std::string log =
      "\xEF\xBB\xBFstatus: Preparing installation...\r\n"
      "error box (not shown): No Flash Player.\\r\\n\\r\\nGet one. -> OK/Yes\r\n"
      "\r\n"
      "exit code: -402\r\n";
  EXPECT_EQ(installerReports(log),
            (std::vector<std::string>{"error box (not shown): No Flash Player.\\r\\n\\r\\nGet one. -> OK/Yes",
                                      "exit code: -402"}));
  EXPECT_TRUE(installerReports("status: Preparing installation...\r\n").empty());
}

TEST(PreviewPicture, SizeComesFromTheHeaderOfAPngOnly) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
               0, 0, 0x01, 0xEA, 0, 0, 0x01, 0xD8, 8, 2, 0, 0, 0};
  EXPECT_EQ(pngSize(png), std::make_pair(490, 472));
  png[1] = 'J';
  EXPECT_FALSE(pngSize(png));
  EXPECT_FALSE(pngSize(Bytes(png.begin(), png.begin() + 20)));
}

ParsedArgs showArgs(const std::vector<std::pair<std::string, std::string>>& options) {
  ParsedArgs args;
  args.positional.push_back("Setup.exe");
  for (const auto& [name, value] : options) args.add(name, value);
  return args;
}

ExitCode codeOf(const ParsedArgs& args) {
  try {
    showRequest(args);
  } catch (const ToolError& error) {
    return error.code();
  }
  return ExitCode::kOk;
}

TEST(PreviewShow, FramesAreNumberedFromTheOutputsName) {
  const auto request = showRequest(showArgs({{"--output", "out/reef.png"}, {"--show", ""}}));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->form, ShowRequest::Form::kFrames);
  EXPECT_EQ(frameCount(*request), 5);  // 0, 4, 8, 12 and 16 seconds
  const auto outputs = showOutputs(*request);
  ASSERT_EQ(outputs.size(), 5u);
  EXPECT_EQ(outputs.front(), std::filesystem::path("out/reef-01.png"));
  EXPECT_EQ(outputs.back(), std::filesystem::path("out/reef-05.png"));

  // One picture only, when --for is shorter than --every; three digits past 99 frames.
  EXPECT_EQ(frameCount(*showRequest(showArgs({{"--output", "a.png"}, {"--show", ""}, {"--for", "3"}}))), 1);
  const auto many = showRequest(showArgs({{"--output", "a.png"}, {"--show", ""}, {"--every", "1"}, {"--for", "119"}}));
  EXPECT_EQ(showOutputs(*many).front(), std::filesystem::path("a-001.png"));
  EXPECT_EQ(showOutputs(*many).back(), std::filesystem::path("a-120.png"));

  const auto gif = showRequest(showArgs({{"--output", "Show.GIF"}, {"--show", ""}, {"--every", "2"}, {"--for", "6"}}));
  EXPECT_EQ(gif->form, ShowRequest::Form::kGif);
  EXPECT_EQ(showOutputs(*gif), std::vector<std::filesystem::path>{"Show.GIF"});
  EXPECT_EQ(showRequest(showArgs({{"--output", "s.webp"}, {"--show", ""}}))->form, ShowRequest::Form::kWebp);
  EXPECT_FALSE(showRequest(showArgs({{"--output", "window.png"}})));
}

TEST(PreviewShow, OptionsOutOfPlaceOrRangeAreUsageErrors) {
  const struct {
    std::vector<std::pair<std::string, std::string>> options;
    ExitCode code;
  } kCases[] = {
      {{{"--output", "w.png"}, {"--every", "2"}}, ExitCode::kUsage},  // without --show
      {{{"--output", "w.png"}, {"--for", "2"}}, ExitCode::kUsage},
      {{{"--output", "s.jpg"}, {"--show", ""}}, ExitCode::kUsage},
      {{{"--output", "s"}, {"--show", ""}}, ExitCode::kUsage},
      {{{"--output", "s.png"}, {"--show", ""}, {"--every", "0"}}, ExitCode::kUsage},
      {{{"--output", "s.png"}, {"--show", ""}, {"--every", "1"}}, ExitCode::kOk},
      {{{"--output", "s.png"}, {"--show", ""}, {"--every", "601"}}, ExitCode::kUsage},
      {{{"--output", "s.png"}, {"--show", ""}, {"--for", "-1"}}, ExitCode::kUsage},
      {{{"--output", "s.png"}, {"--show", ""}, {"--for", "0"}}, ExitCode::kOk},
      {{{"--output", "s.png"}, {"--show", ""}, {"--for", "4s"}}, ExitCode::kUsage},
      {{{"--output", "s.png"}, {"--show", ""}, {"--every", "1"}, {"--for", "119"}}, ExitCode::kOk},   // 120 frames
      {{{"--output", "s.png"}, {"--show", ""}, {"--every", "1"}, {"--for", "120"}}, ExitCode::kUsage},  // 121
  };
  for (const auto& example : kCases) {
    SCOPED_TRACE(example.options.back().first + "=" + example.options.back().second);
    EXPECT_EQ(codeOf(showArgs(example.options)), example.code);
  }
}

TEST(PreviewShow, TheShowIsAWindowCoveringTheWholeScreen) {
  const std::vector<XWindow> windows = {
      {"0x1", "", 1024, 768, -3000, -3000},  // a hidden one, parked far off
      {"0x2", "Install", 490, 472, 267, 148},
      {"0x3", "", 1023, 768, 0, 0},  // one pixel short
      {"0x4", "", 1024, 768, 0, 0},
  };
  ASSERT_TRUE(findFullScreenWindow(windows, 1024, 768));
  EXPECT_EQ(findFullScreenWindow(windows, 1024, 768)->id, "0x4");
  EXPECT_FALSE(findFullScreenWindow({windows[0], windows[1], windows[2]}, 1024, 768));
  // Larger than the screen, and placed over its edges, still covers it.
  EXPECT_TRUE(findFullScreenWindow({{"0x5", "", 1030, 780, -3, -3}}, 1024, 768));
}

}  // namespace
}  // namespace saverpack
