// The words the engine shows, in one place.
#pragma once

#include <string>
#include <vector>

#include "uninstall.h"

namespace saverkit::slideshow {

std::string confirmRemovalText(const std::string& saverName);
std::string nothingInstalledText(const std::string& saverName);
std::string cannotRaiseRightsText(const std::string& saverName);
// After a removal: done, done at the next restart for some files, or what stayed; and, when the
// user's active-saver setting named this saver, that it is now none.
std::string removalOutcomeText(const std::string& saverName, const std::vector<std::string>& leftOver,
                               const std::vector<std::string>& removedAtRestart, bool settingCleared);
// The same, from what the elevated copy's exit code tells: no lists of files, which only that
// copy knows. settingStays: the setting named this saver and could not be cleared.
std::string handedOverOutcomeText(const std::string& saverName, RemovalResult result, bool settingCleared,
                                  bool settingStays);
std::string noPicturesText(const std::string& folder);
std::string settingsTitle(const std::string& saverName);
std::string secondsOutOfRangeText();
std::string settingsNotSavedText();
std::string volumeOutOfRangeText();
// One line in the settings where this Windows cannot play videos at all.
std::string noVideoPlaybackText();
std::string usageText();

}  // namespace saverkit::slideshow
