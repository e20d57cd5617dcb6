// A user's settings: what the dialog accepts, what stored values mean, and the round trip
// through the registry.
#include <gtest/gtest.h>

#include "platform/fake/fake_system.h"
#include "saver_settings.h"

namespace saverkit::slideshow {
namespace {

TEST(ParseSeconds, WholeNumbersWithinTheBounds) {
  EXPECT_EQ(parseSeconds("2"), 2);
  EXPECT_EQ(parseSeconds(" 600 "), 600);
  EXPECT_EQ(parseSeconds("017"), 17);
  for (const char* text : {"1", "601", "0", "-5", "+5", "", "  ", "5s", "2.5", "99999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parseSeconds(text));
  }
}

TEST(SettingsFromStored, DefaultsClampsAndWords) {
  const SaverSettings defaults = settingsFromStored(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(defaults.secondsPerPicture, kDefaultSeconds);
  EXPECT_FALSE(defaults.shuffled);
  EXPECT_EQ(defaults.scaling, Scaling::kFit);
  EXPECT_EQ(defaults.backdrop, Backdrop::kBlurred);
  EXPECT_EQ(defaults.caption, Caption::kNone);

  EXPECT_EQ(settingsFromStored("1", {}, {}).secondsPerPicture, kMinSeconds);
  EXPECT_EQ(settingsFromStored("-40", {}, {}).secondsPerPicture, kMinSeconds);
  EXPECT_EQ(settingsFromStored("9999", {}, {}).secondsPerPicture, kMaxSeconds);
  EXPECT_EQ(settingsFromStored("many", {}, {}).secondsPerPicture, kDefaultSeconds);
  EXPECT_EQ(settingsFromStored(" 30 ", {}, {}).secondsPerPicture, 30);

  EXPECT_TRUE(settingsFromStored({}, "Shuffled", {}).shuffled);
  EXPECT_FALSE(settingsFromStored({}, "random", {}).shuffled);
  EXPECT_EQ(settingsFromStored({}, {}, "FILL").scaling, Scaling::kFill);
  EXPECT_EQ(settingsFromStored({}, {}, "stretch").scaling, Scaling::kFit);

  EXPECT_EQ(settingsFromStored({}, {}, {}, " Black", {}).backdrop, Backdrop::kBlack);
  EXPECT_EQ(settingsFromStored({}, {}, {}, "grey", {}).backdrop, Backdrop::kBlurred);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "NAME ").caption, Caption::kFileName);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "date").caption, Caption::kDateTaken);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "none").caption, Caption::kNone);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "filename").caption, Caption::kNone);
}

TEST(SaverSettings, RoundTripPerSaverUnderTheUser) {
  fake::FakeRegistry registry;
  EXPECT_EQ(loadSettings(registry, "Ocean Waves").secondsPerPicture, kDefaultSeconds);
  ASSERT_TRUE(saveSettings(registry, "Ocean Waves", {45, true, Scaling::kFill, Backdrop::kBlack, Caption::kDateTaken}));
  const std::string key = "Software\\Saverkit\\Slideshow\\Ocean Waves";
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "SecondsPerPicture"), "45");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Order"), "shuffled");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Scaling"), "fill");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Backdrop"), "black");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Caption"), "date");

  const SaverSettings loaded = loadSettings(registry, "Ocean Waves");
  EXPECT_EQ(loaded.secondsPerPicture, 45);
  EXPECT_TRUE(loaded.shuffled);
  EXPECT_EQ(loaded.scaling, Scaling::kFill);
  EXPECT_EQ(loaded.backdrop, Backdrop::kBlack);
  EXPECT_EQ(loaded.caption, Caption::kDateTaken);
  // Every caption and backdrop reads back as it was saved.
  for (const Caption caption : {Caption::kNone, Caption::kFileName, Caption::kDateTaken}) {
    SaverSettings settings;
    settings.caption = caption;
    ASSERT_TRUE(saveSettings(registry, "Ocean Waves", settings));
    EXPECT_EQ(loadSettings(registry, "Ocean Waves").caption, caption);
    EXPECT_EQ(loadSettings(registry, "Ocean Waves").backdrop, Backdrop::kBlurred);
  }
  EXPECT_EQ(loadSettings(registry, "Other Saver").secondsPerPicture, kDefaultSeconds);
}

TEST(SaverSettings, NamesThatWouldReachAnotherKeyAndRefusedWrites) {
  fake::FakeRegistry registry;
  EXPECT_FALSE(saveSettings(registry, "..\\..\\Run", {}));
  EXPECT_FALSE(saveSettings(registry, "", {}));
  EXPECT_TRUE(registry.keys[RegistryRoot::kCurrentUser].empty());
  registry.readOnlyRoots.insert(RegistryRoot::kCurrentUser);
  EXPECT_FALSE(saveSettings(registry, "Ocean Waves", {}));
}

}  // namespace
}  // namespace saverkit::slideshow
