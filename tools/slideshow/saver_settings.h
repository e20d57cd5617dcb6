// A user's settings for one saver: seconds per picture, the order and the scaling. They are kept
// per user under HKCU, one key per saver name, as text values: "SecondsPerPicture" (decimal),
// "Order" ("sorted" or "shuffled") and "Scaling" ("fit" or "fill").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "placement.h"
#include "platform/registry.h"

namespace saverkit::slideshow {

inline constexpr int kMinSeconds = 2;
inline constexpr int kMaxSeconds = 600;
inline constexpr int kDefaultSeconds = 8;
inline constexpr const char* kSettingsKeyPrefix = "Software\\Saverkit\\Slideshow\\";

struct SaverSettings {
  int secondsPerPicture = kDefaultSeconds;
  bool shuffled = false;
  Scaling scaling = Scaling::kFit;
};

// What the settings dialog accepts: a whole number of seconds within the bounds, blanks around
// it allowed; nothing otherwise.
std::optional<int> parseSeconds(std::string_view text);

// Settings from stored texts: a missing or unreadable value keeps its default; a number beyond
// the bounds (someone edited the registry) is brought within them.
SaverSettings settingsFromStored(const std::optional<std::string>& seconds,
                                 const std::optional<std::string>& order,
                                 const std::optional<std::string>& scaling);

// Defaults when the key is missing or the saver name could name another key.
SaverSettings loadSettings(Registry& registry, const std::string& saverName);
// False when the key cannot be written, or for such a name.
bool saveSettings(Registry& registry, const std::string& saverName, const SaverSettings& settings);

}  // namespace saverkit::slideshow
