// The program's start and the close handling every ending goes through.
#include <gtest/gtest.h>

#include <algorithm>

#include "installer/fake/fake_platform.h"
#include "installer/program_start.h"
#include "installer_world.h"

namespace saverkit {
namespace {

class ProgramStartTest : public ::testing::Test {
 protected:
  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
  InstallerForm form{context};

  std::ptrdiff_t indexOf(const std::string& entry) {
    const auto& log = fakes.view.log;
    const auto found = std::find(log.begin(), log.end(), entry);
    return found == log.end() ? -1 : found - log.begin();
  }
};

TEST(ProgramStart, PreparingWindowFirstThenInstallerWindowThenLoop) {
  saverkit::testing::InstallerWorld world;
  world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
  EXPECT_EQ(world.run(), 0);
  const auto& log = world.fakes.view.log;
  const auto indexOf = [&log](const std::string& entry) -> std::ptrdiff_t {
    const auto found = std::find(log.begin(), log.end(), entry);
    return found == log.end() ? -1 : found - log.begin();
  };
  const std::vector<std::string> expectedOrder = {
      "app title: Preparing installation...",
      "preparing: created",
      "preparing caption: Ocean Setup.exe",
      "preparing message: Preparing installation...",
      "process messages",
      "installer: created",
      "installer: shown",
      "message loop",
      "installer: destroyed",
      "terminate",
  };
  std::ptrdiff_t previous = -1;
  for (const std::string& entry : expectedOrder) {
    SCOPED_TRACE(entry);
    const std::ptrdiff_t index = indexOf(entry);
    ASSERT_GE(index, 0);
    EXPECT_GT(index, previous);
    previous = index;
  }
}

// A "/q" on the command line is known before any window exists: the windows are made hidden.
// A package that chooses quiet mode is known only later, so its windows are made as usual.
TEST(ProgramStart, OnlyQuietByCommandLineMakesTheWindowsHidden) {
  const auto preparingEntry = [](const std::vector<std::string>& parameters) {
    saverkit::testing::InstallerWorld world;
    world.fakes.view.userActions.push_back([&world] { world.form.onCancelClick(); });
    world.run(parameters);
    for (const std::string& entry : world.fakes.view.log) {
      if (entry.rfind("preparing: created", 0) == 0) return entry;
    }
    return std::string("none");
  };
  EXPECT_EQ(preparingEntry({"/Q"}), "preparing: created hidden");
  EXPECT_EQ(preparingEntry({"/x", "/q"}), "preparing: created hidden");
  EXPECT_EQ(preparingEntry({"/qq"}), "preparing: created");
  EXPECT_EQ(preparingEntry({}), "preparing: created");
}

TEST_F(ProgramStartTest, CaptionIsTheBareFileNameWhateverTheSeparator) {
  fakes.process.path = "D:/mixed\\path/Fish Saver Setup.EXE";
  fakes.view.userActions.push_back([this] { form.onDoneClick(); });
  runProgram(context, form);
  EXPECT_EQ(fakes.view.preparingCaption, "Fish Saver Setup.EXE");
}

TEST_F(ProgramStartTest, ClosingNotifiesAKnownLauncherOnceAndIsRefusedWhileInstalling) {
  fakes.messaging.windows[55] = "launcher";
  context.state.launcherWindow = 55;
  context.state.installing = true;
  form.onCloseRequested();
  EXPECT_FALSE(fakes.view.terminated);
  EXPECT_TRUE(fakes.messaging.posted.empty());

  context.state.installing = false;
  form.onCloseRequested();
  form.onCloseRequested();
  EXPECT_TRUE(fakes.view.terminated);
  EXPECT_TRUE(fakes.view.installerDestroyed);
  ASSERT_EQ(fakes.messaging.posted.size(), 1u);
  EXPECT_EQ(fakes.messaging.posted[0].message, 0x0501u);
}

TEST_F(ProgramStartTest, CancelWhileWaitingClosesButNotWhileInstalling) {
  context.state.installing = true;
  form.onCancelClick();
  EXPECT_FALSE(fakes.view.terminated);
  context.state.installing = false;
  form.onCancelClick();
  EXPECT_TRUE(fakes.view.terminated);
}

}  // namespace
}  // namespace saverkit

namespace saverkit {
namespace {

// The working folder goes through its own hold, let go last: whatever its name leads to by
// then (here another run's folder) is not touched.
TEST_F(ProgramStartTest, ClosingRemovesTheWorkingFolderThroughItsHoldAndNothingElse) {
  Status error = 0;
  fakes.files.addFolder("C:\\Local\\Vantrel");
  context.workingFolderHold = fakes.files.createHeldFolder("C:\\Local\\Vantrel\\ZOR2", FolderRights::kAdministratorsOnly, error);
  ASSERT_TRUE(context.workingFolderHold);
  fakes.files.addFile("C:\\Local\\Vantrel\\ZOR2\\temp.dat", "copy");
  fakes.files.addFile("C:\\Local\\Vantrel\\ZOR2\\deep\\impborl.dll", "library");
  fakes.files.addFile("C:\\Local\\Vantrel\\ZOR1\\temp.dat", "older run");
  context.folders.workingFolder = "C:\\Local\\Vantrel\\ZOR1\\";
  form.close();
  EXPECT_FALSE(fakes.files.exists("C:\\Local\\Vantrel\\ZOR2"));
  EXPECT_FALSE(context.workingFolderHold);
  EXPECT_TRUE(fakes.files.exists("C:\\Local\\Vantrel\\ZOR1\\temp.dat"));
  const auto& log = fakes.files.log;
  EXPECT_NE(std::find(log.begin(), log.end(), "remove through hold C:\\Local\\Vantrel\\ZOR2"), log.end());
}

}  // namespace
}  // namespace saverkit
