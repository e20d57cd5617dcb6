// The engine's words; see the header.
#include "saver_texts.h"

#include "common/text_helpers.h"
#include "saver_settings.h"

namespace saverkit::slideshow {

std::string confirmRemovalText(const std::string& saverName) {
  return "Remove the " + saverName + " screen saver?";
}

std::string nothingInstalledText(const std::string& saverName) {
  return "The " + saverName + " screen saver is not installed: there is nothing to remove.";
}

std::string cannotRaiseRightsText(const std::string& saverName) {
  return "The " + saverName + " screen saver could not ask Windows for the administrator rights its removal needs.";
}

namespace {

constexpr const char* kSettingNowNone = "\r\n\r\nThe screen saver setting went back to (None).";

std::string settingPath() { return std::string("HKEY_CURRENT_USER\\") + kDesktopKey + "\\" + kActiveSaverValue; }

}  // namespace

std::string removalOutcomeText(const std::string& saverName, const std::vector<std::string>& leftOver,
                               const std::vector<std::string>& removedAtRestart, bool settingCleared) {
  std::string text;
  if (leftOver.empty()) {
    text = "The " + saverName + " screen saver has been removed.";
  } else {
    text = "Parts of the " + saverName + " screen saver could not be removed:\r\n";
    for (const std::string& item : leftOver) text += "\r\n" + item;
  }
  if (!removedAtRestart.empty()) {
    text += "\r\n\r\nThese files will be removed when Windows restarts:\r\n";
    for (const std::string& item : removedAtRestart) text += "\r\n" + item;
  }
  if (settingCleared) text += kSettingNowNone;
  return text;
}

std::string handedOverOutcomeText(const std::string& saverName, RemovalResult result, bool settingCleared,
                                  bool settingStays) {
  std::string text;
  if (result == RemovalResult::kPartsStay) {
    text = "Parts of the " + saverName + " screen saver could not be removed.";
  } else {
    text = "The " + saverName + " screen saver has been removed.";
    if (result == RemovalResult::kRemovedAtRestart) text += " Some of its files will be removed when Windows restarts.";
  }
  if (settingStays) text += "\r\n\r\nThe screen saver setting could not be changed:\r\n\r\n" + settingPath();
  if (settingCleared) text += kSettingNowNone;
  return text;
}

std::string noPicturesText(const std::string& folder) {
  return "There are no pictures to show in " + (folder.empty() ? std::string("this screen saver's folder") : folder);
}

std::string settingsTitle(const std::string& saverName) { return saverName + " Settings"; }

std::string secondsOutOfRangeText() {
  return "Enter a whole number of seconds from " + decimal(kMinSeconds) + " to " + decimal(kMaxSeconds) + ".";
}

std::string settingsNotSavedText() { return "The settings could not be saved."; }

std::string volumeOutOfRangeText() { return "Enter a volume from 0 to 100."; }

std::string noVideoPlaybackText() { return "Videos are passed over: this Windows has no Media Foundation."; }

std::string usageText() {
  return "This is a screen saver. Choose it on the Screen Saver page of the Display settings.\r\n\r\n"
         "/s  show it full screen\r\n/p <window>  show it in a preview window\r\n"
         "/c  change its settings\r\n/u  remove it";
}

}  // namespace saverkit::slideshow
