// The launcher channel: which parameter names the launcher, what goes over the wire, and when
// nothing is sent.
#include <gtest/gtest.h>

#include "common/saverkit_error.h"
#include "installer/fake/fake_platform.h"
#include "installer/launcher_channel.h"

namespace saverkit {
namespace {

using Parameters = std::vector<std::string>;

TEST(ParseLauncherWindow, FindsTheFirstLowerCaseSwitch) {
  const std::pair<Parameters, WindowHandle> cases[] = {
      {{}, kNoWindow},
      {{"/q"}, kNoWindow},
      {{"/l=1234"}, 1234},
      {{"/q", "/l=65538"}, 65538},
      {{"/L=1234"}, kNoWindow},             // upper-case L is not the switch
      {{"/L=99", "/l=7"}, 7},               // ...so a later lower-case one is used
      {{"/l=7", "/l=8"}, 7},                // only the first counts
      {{"/l=12/L=34"}, 1234},               // every "/l=" is removed, in any case
      {{"/l=-5"}, static_cast<WindowHandle>(-5)},
      {{"/l=2147483647"}, 2147483647u},
      {{"-l=5", "l=6"}, kNoWindow},
  };
  for (const auto& [parameters, expected] : cases) {
    SCOPED_TRACE(parameters.empty() ? "(none)" : parameters.front());
    EXPECT_EQ(parseLauncherWindow(parameters), expected);
  }
}

TEST(ParseLauncherWindow, ARestThatIsNoDecimalIntegerRaisesTheConversionError) {
  const std::pair<const char*, const char*> cases[] = {
      {"/l=", "'' is not a valid integer value"},
      {"/l=12ab", "'12ab' is not a valid integer value"},
      {"/l=0x10", "'0x10' is not a valid integer value"},
      {"/l= 5", "' 5' is not a valid integer value"},
      {"/l=2147483648", "'2147483648' is not a valid integer value"},
  };
  for (const auto& [parameter, message] : cases) {
    SCOPED_TRACE(parameter);
    try {
      parseLauncherWindow({parameter, "/l=5"});
      ADD_FAILURE() << "no error raised";
    } catch (const SaverkitError& error) {
      EXPECT_STREQ(error.what(), message);
    }
  }
}

class LauncherChannelTest : public ::testing::Test {
 protected:
  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
};

TEST_F(LauncherChannelTest, SendsTheTextWithItsNulFromTheInstallerWindow) {
  fakes.process.parameters = {"/l=4242"};
  fakes.messaging.windows[4242] = "launcher";
  fakes.view.installerCreated = true;
  sendToLauncher(context, "read installer heard file");
  sendToLauncher(context, std::string("makeActiveSaver-Ocean.scr") + '\0');
  ASSERT_EQ(fakes.messaging.sent.size(), 2u);
  EXPECT_EQ(fakes.messaging.sent[0].target, 4242u);
  EXPECT_EQ(fakes.messaging.sent[0].sender, fakes.view.handle);
  EXPECT_EQ(fakes.messaging.sent[0].tag, 0u);
  EXPECT_EQ(fakes.messaging.sent[0].data, std::string("read installer heard file\0", 26));
  // The make-active command carries its own NUL: two NULs on the wire, visible length + 2.
  EXPECT_EQ(fakes.messaging.sent[1].data, std::string("makeActiveSaver-Ocean.scr\0\0", 27));
}

TEST_F(LauncherChannelTest, WithoutSwitchNothingIsSentOrPostedAndTheLookupRepeats) {
  sendToLauncher(context, "quiet installer");
  notifyLauncherClosed(context);
  EXPECT_TRUE(fakes.messaging.log.empty());
  // The lookup runs again before every send while no launcher is known.
  fakes.process.parameters = {"/l=77"};
  fakes.messaging.windows[77] = "launcher";
  sendToLauncher(context, "quiet installer");
  EXPECT_EQ(context.state.launcherWindow, 77u);
  EXPECT_EQ(fakes.messaging.sent.size(), 1u);
}

TEST_F(LauncherChannelTest, CloseNotificationGoesOnlyToALauncherAlreadyFound) {
  fakes.process.parameters = {"/l=77"};
  fakes.messaging.windows[77] = "launcher";
  notifyLauncherClosed(context);  // no command was sent, so the launcher is not known yet
  EXPECT_TRUE(fakes.messaging.posted.empty());
  sendToLauncher(context, "read installer heard file");
  notifyLauncherClosed(context);
  ASSERT_EQ(fakes.messaging.posted.size(), 1u);
  EXPECT_EQ(fakes.messaging.posted[0].message, 0x0501u);
  EXPECT_EQ(fakes.messaging.posted[0].wParam, 0u);
  EXPECT_EQ(fakes.messaging.posted[0].lParam, 0u);
}

TEST_F(LauncherChannelTest, AHandleThatIsNoWindowFailsWithoutEffect) {
  fakes.process.parameters = {"/l=999"};
  sendToLauncher(context, "read installer heard file");
  notifyLauncherClosed(context);
  EXPECT_EQ(context.state.launcherWindow, 999u);
  EXPECT_TRUE(fakes.messaging.log.empty());
}

TEST_F(LauncherChannelTest, BadSwitchRaisesAtTheFirstSend) {
  fakes.process.parameters = {"/l=abc"};
  EXPECT_THROW(sendToLauncher(context, "read installer heard file"), SaverkitError);
}

}  // namespace
}  // namespace saverkit
