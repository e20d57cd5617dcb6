// The words the engine shows, in one place.
#pragma once

#include <string>
#include <vector>

namespace saverkit::slideshow {

std::string confirmRemovalText(const std::string& saverName);
std::string nothingInstalledText(const std::string& saverName);
std::string cannotRaiseRightsText(const std::string& saverName);
// After a removal: done, done at the next restart for some files, or what stayed.
std::string removalOutcomeText(const std::string& saverName, const std::vector<std::string>& leftOver,
                               const std::vector<std::string>& removedAtRestart);
std::string noPicturesText(const std::string& folder);
std::string settingsTitle(const std::string& saverName);
std::string secondsOutOfRangeText();
std::string settingsNotSavedText();
std::string usageText();

}  // namespace saverkit::slideshow
