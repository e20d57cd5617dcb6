// Saver settings; see the header.
#include "saver_settings.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "package/show_defaults.h"

namespace saverkit::slideshow {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<std::int32_t> storedNumber(std::string_view text) {
  text = trimmed(text);
  if (text.empty() || text[0] == '+') return std::nullopt;
  return parseDecimalInt32(text);
}

const char* captionWord(Caption caption) {
  switch (caption) {
    case Caption::kFileName: return "name";
    case Caption::kDateTaken: return "date";
    case Caption::kNone: break;
  }
  return "none";
}

}  // namespace

std::optional<int> parseSeconds(std::string_view text) {
  const auto number = storedNumber(text);
  if (!number || *number < kMinSeconds || *number > kMaxSeconds) return std::nullopt;
  return *number;
}

std::optional<int> parseVolume(std::string_view text) {
  const auto number = storedNumber(text);
  if (!number || *number < 0 || *number > 100) return std::nullopt;
  return *number;
}

SaverSettings settingsFromValues(const StoredValue& stored, const SaverSettings& defaults) {
  SaverSettings settings = defaults;
  if (const auto seconds = stored("SecondsPerPicture")) {
    if (const auto number = storedNumber(*seconds)) {
      settings.secondsPerPicture = std::clamp<int>(*number, kMinSeconds, kMaxSeconds);
    }
  }
  if (const auto volume = stored("VideoVolume")) {
    if (const auto number = storedNumber(*volume)) settings.videoVolume = std::clamp<int>(*number, 0, 100);
  }
  // Each value is one of its words or leaves the setting as it was.
  const auto word = [&stored](const char* name) {
    const auto text = stored(name);
    return text ? toLowerAscii(trimmed(*text)) : std::string();
  };
  const std::string order = word("Order"), scaling = word("Scaling"), backdrop = word("Backdrop"),
                    caption = word("Caption"), sound = word("VideoSound"), monitors = word("VideoMonitors");
  if (order == "shuffled") settings.shuffled = true;
  if (order == "sorted") settings.shuffled = false;
  if (scaling == "fill") settings.scaling = Scaling::kFill;
  if (scaling == "fit") settings.scaling = Scaling::kFit;
  if (backdrop == "black") settings.backdrop = Backdrop::kBlack;
  if (backdrop == "blurred") settings.backdrop = Backdrop::kBlurred;
  if (caption == "none") settings.caption = Caption::kNone;
  if (caption == "name") settings.caption = Caption::kFileName;
  if (caption == "date") settings.caption = Caption::kDateTaken;
  if (sound == "on") settings.videoSound = true;
  if (sound == "off") settings.videoSound = false;
  if (monitors == "primary") settings.videosOnPrimaryOnly = true;
  if (monitors == "every") settings.videosOnPrimaryOnly = false;
  return settings;
}

SaverSettings settingsFromStored(const std::optional<std::string>& seconds,
                                 const std::optional<std::string>& order,
                                 const std::optional<std::string>& scaling,
                                 const std::optional<std::string>& backdrop,
                                 const std::optional<std::string>& caption,
                                 const SaverSettings& defaults) {
  const std::map<std::string_view, const std::optional<std::string>*> values{
      {"SecondsPerPicture", &seconds}, {"Order", &order}, {"Scaling", &scaling}, {"Backdrop", &backdrop},
      {"Caption", &caption}};
  return settingsFromValues(
      [&values](const char* name) {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : *found->second;
      },
      defaults);
}

SaverSettings authorDefaults(FileSystem& files, const std::string& productFolder) {
  Status error = 0;
  auto file = files.openForReading(productFolder + std::string(kShowDefaultsFileName), error);
  if (!file || file->size() > kMaxShowDefaultsSize) return {};
  std::string text(static_cast<std::size_t>(file->size()), '\0');
  std::size_t got = 0;
  if (file->read(text.data(), text.size(), got) != 0) return {};
  text.resize(got);
  std::map<std::string, std::string> values;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) values[toLowerAscii(trimmed(line.substr(0, equals)))] = line.substr(equals + 1);
  }
  const auto given = [&values](const char* name) -> std::optional<std::string> {
    const auto found = values.find(toLowerAscii(name));
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
  return settingsFromValues(given);
}

SaverSettings loadSettings(Registry& registry, const std::string& saverName, const SaverSettings& defaults) {
  if (!isSafeBareName(saverName)) return defaults;
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kRead);
  if (!key) return defaults;
  return settingsFromValues([&key](const char* name) { return key->readString(name); }, defaults);
}

bool saveSettings(Registry& registry, const std::string& saverName, const SaverSettings& settings) {
  // A name with a backslash would write under another key.
  if (!isSafeBareName(saverName)) return false;
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kCreate);
  if (!key) return false;
  const int seconds = std::clamp(settings.secondsPerPicture, kMinSeconds, kMaxSeconds);
  return key->setString("SecondsPerPicture", decimal(seconds)) &&
         key->setString("Order", settings.shuffled ? "shuffled" : "sorted") &&
         key->setString("Scaling", settings.scaling == Scaling::kFill ? "fill" : "fit") &&
         key->setString("Backdrop", settings.backdrop == Backdrop::kBlack ? "black" : "blurred") &&
         key->setString("Caption", captionWord(settings.caption)) &&
         key->setString("VideoSound", settings.videoSound ? "on" : "off") &&
         key->setString("VideoVolume", decimal(std::clamp(settings.videoVolume, 0, 100))) &&
         key->setString("VideoMonitors", settings.videosOnPrimaryOnly ? "primary" : "every");
}

}  // namespace saverkit::slideshow
