// The platform contract: what the core relies on from every implementation of the platform
// interfaces. Instantiated with a harness for the fake (natively) and for Win32 (under Wine).
// A harness provides the interfaces plus ways to create windows that record what they get.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace saverkit::contract {

struct ReceivedCopyData {
  WindowHandle sender;
  std::uint32_t tag;
  std::string data;
};

template <typename Harness>
class PlatformContract : public ::testing::Test {
 protected:
  Harness harness;
};

TYPED_TEST_SUITE_P(PlatformContract);

TYPED_TEST_P(PlatformContract, CopyDataArrivesByteExactWithSenderAndTag) {
  auto& h = this->harness;
  const WindowHandle receiver = h.makeReceiver("Saverkit contract receiver");
  const WindowHandle sender = h.makeReceiver("Saverkit contract sender");
  const std::string withNuls("makeActiveSaver-A b.scr\0\0", 25);
  ASSERT_TRUE(h.messaging().sendCopyData(receiver, sender, 0, withNuls));
  ASSERT_TRUE(h.messaging().sendCopyData(receiver, sender, 7, std::string(1, '\0')));
  const std::vector<ReceivedCopyData> got = h.copyDataReceivedBy(receiver);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].data, withNuls);
  EXPECT_EQ(got[0].sender, sender);
  EXPECT_EQ(got[0].tag, 0u);
  EXPECT_EQ(got[1].data, std::string(1, '\0'));
  EXPECT_EQ(got[1].tag, 7u);
}

TYPED_TEST_P(PlatformContract, MessagesToAHandleThatIsNoWindowFailWithoutEffect) {
  auto& h = this->harness;
  const WindowHandle gone = h.handleOfNoWindow();
  EXPECT_FALSE(h.messaging().sendCopyData(gone, kNoWindow, 0, std::string("x\0", 2)));
  EXPECT_FALSE(h.messaging().postMessage(gone, 0x0501, 0, 0));
}

TYPED_TEST_P(PlatformContract, PostedMessageArrivesWithItsParameters) {
  auto& h = this->harness;
  const WindowHandle receiver = h.makeReceiver("Saverkit contract posted");
  ASSERT_TRUE(h.messaging().postMessage(receiver, 0x0501, 0, 0));
  ASSERT_TRUE(h.messaging().postMessage(receiver, 0x0501, 3, 4));
  const std::vector<std::vector<std::uint32_t>> posted = h.postedTo(receiver);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], (std::vector<std::uint32_t>{0x0501, 0, 0}));
  EXPECT_EQ(posted[1], (std::vector<std::uint32_t>{0x0501, 3, 4}));
}

// Windows compares whole titles without regard to letter case; so must the fake.
TYPED_TEST_P(PlatformContract, TopLevelWindowsAreFoundByWholeTitleInAnyCase) {
  auto& h = this->harness;
  const WindowHandle window = h.makeReceiver("Saverkit Display Properties");
  EXPECT_EQ(h.messaging().findTopLevelWindow("Saverkit Display Properties"), window);
  EXPECT_EQ(h.messaging().findTopLevelWindow("saverkit display properties"), window);
  EXPECT_EQ(h.messaging().findTopLevelWindow("Saverkit Display"), kNoWindow);
  EXPECT_EQ(h.messaging().findTopLevelWindow("Saverkit Display Properties "), kNoWindow);
}

TYPED_TEST_P(PlatformContract, ClickingControlTwoPressesTheDialogsCancelButton) {
  auto& h = this->harness;
  const WindowHandle dialog = h.makeDialogWithCancelButton("Saverkit contract dialog");
  h.messaging().clickDialogControl(dialog, 2);
  EXPECT_EQ(h.cancelClicks(dialog), 1);
  h.messaging().clickDialogControl(dialog, 9);  // no such control: ignored
  EXPECT_EQ(h.cancelClicks(dialog), 1);
}

TYPED_TEST_P(PlatformContract, ClockSleepsAtLeastAsLongAsAsked) {
  auto& h = this->harness;
  const std::uint64_t before = h.clock().nowMilliseconds();
  h.clock().sleepMilliseconds(30);
  EXPECT_GE(h.clock().nowMilliseconds() - before, 29u);
}

TYPED_TEST_P(PlatformContract, TextsComeFromTheStringTableByteForByte) {
  auto& h = this->harness;
  EXPECT_EQ(h.texts().text(TextId::kInstall), "Install");
  EXPECT_EQ(h.texts().text(TextId::kScreenSaver), "Screen Saver");
  EXPECT_EQ(h.texts().text(TextId::kButtonAbort), "&Abort");
  EXPECT_EQ(h.texts().text(TextId::kControlPanelQuestion),
            "The installation of the screen saver was successful.\r\n\r\nWould you like to open "
            "the screen saver control panel?");
  EXPECT_EQ(h.texts().text(TextId::kPlayerRequiredMessage),
            builtInText(TextId::kPlayerRequiredMessage));
  // The installer's own codes have no system text.
  EXPECT_EQ(h.texts().systemErrorText(-523), "");
  EXPECT_EQ(h.texts().systemErrorText(-31), "");
}

TYPED_TEST_P(PlatformContract, ProcessKnowsItsOwnPathAndEnvironment) {
  auto& h = this->harness;
  EXPECT_FALSE(h.process().modulePath().empty());
  EXPECT_FALSE(h.process().environmentVariable("SAVERKIT_SURELY_UNSET_VARIABLE").has_value());
}

REGISTER_TYPED_TEST_SUITE_P(PlatformContract, CopyDataArrivesByteExactWithSenderAndTag,
                            MessagesToAHandleThatIsNoWindowFailWithoutEffect,
                            PostedMessageArrivesWithItsParameters,
                            TopLevelWindowsAreFoundByWholeTitleInAnyCase,
                            ClickingControlTwoPressesTheDialogsCancelButton,
                            ClockSleepsAtLeastAsLongAsAsked, TextsComeFromTheStringTableByteForByte,
                            ProcessKnowsItsOwnPathAndEnvironment);

}  // namespace saverkit::contract
