// A user's settings for one saver: seconds per picture, the order, the scaling, what stands behind
// a picture shown whole and the caption. They are kept per user under HKCU, one key per saver
// name, as text values: "SecondsPerPicture" (decimal), "Order" ("sorted" or "shuffled"),
// "Scaling" ("fit" or "fill"), "Backdrop" ("blurred" or "black"), "Caption" ("none", "name" or
// "date"), "VideoSound" ("off" or "on"), "VideoVolume" (0 to 100) and "VideoMonitors" ("every" or
// "primary").
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "placement.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace saverkit::slideshow {

inline constexpr int kMinSeconds = 2;
inline constexpr int kMaxSeconds = 600;
inline constexpr int kDefaultSeconds = 8;
inline constexpr int kDefaultVolume = 50;
inline constexpr const char* kSettingsKeyPrefix = "Software\\Saverkit\\Slideshow\\";

enum class Backdrop { kBlurred, kBlack };            // behind a picture shown whole
enum class Caption { kNone, kFileName, kDateTaken };  // an optional caption in a corner

struct SaverSettings {
  int secondsPerPicture = kDefaultSeconds;
  bool shuffled = false;
  Scaling scaling = Scaling::kFit;
  Backdrop backdrop = Backdrop::kBlurred;
  Caption caption = Caption::kNone;
  // Videos are silent unless the user asks: a saver comes on in offices and at night.
  bool videoSound = false;
  int videoVolume = kDefaultVolume;
  // Three 4K monitors cannot each decode a video: the main one plays, the others show pictures.
  bool videosOnPrimaryOnly = false;
};

// What the settings dialog accepts: a whole number of seconds within the bounds, blanks around
// it allowed; nothing otherwise.
std::optional<int> parseSeconds(std::string_view text);
// The same for a volume, 0 to 100.
std::optional<int> parseVolume(std::string_view text);

// Settings from stored texts, each found by its value's name: a missing or unreadable value keeps
// its default; a number beyond the bounds (someone edited the registry) is brought within them.
using StoredValue = std::function<std::optional<std::string>(const char* name)>;
SaverSettings settingsFromValues(const StoredValue& stored, const SaverSettings& defaults = {});
// The same from the first five values' texts.
SaverSettings settingsFromStored(const std::optional<std::string>& seconds,
                                 const std::optional<std::string>& order,
                                 const std::optional<std::string>& scaling,
                                 const std::optional<std::string>& backdrop = std::nullopt,
                                 const std::optional<std::string>& caption = std::nullopt,
                                 const SaverSettings& defaults = {});

// The show as the saver's author set it up, from the product folder's show file (see
// package/show_defaults.h), over the engine's own defaults; those alone when the file is missing,
// larger than it may be, or unreadable, and for each value it does not give.
SaverSettings authorDefaults(FileSystem& files, const std::string& productFolder);

// The user's stored settings over `defaults`; the defaults when the key is missing or the saver
// name could name another key.
SaverSettings loadSettings(Registry& registry, const std::string& saverName, const SaverSettings& defaults = {});
// False when the key cannot be written, or for such a name.
bool saveSettings(Registry& registry, const std::string& saverName, const SaverSettings& settings);

}  // namespace saverkit::slideshow
