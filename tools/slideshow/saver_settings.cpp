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

SaverSettings settingsFromStored(const std::optional<std::string>& seconds,
                                 const std::optional<std::string>& order,
                                 const std::optional<std::string>& scaling,
                                 const std::optional<std::string>& backdrop,
                                 const std::optional<std::string>& caption,
                                 const SaverSettings& defaults) {
  SaverSettings settings = defaults;
  if (seconds) {
    if (const auto number = storedNumber(*seconds)) {
      settings.secondsPerPicture = std::clamp<int>(*number, kMinSeconds, kMaxSeconds);
    }
  }
  // Each value is one of its words or leaves the setting as it was.
  const auto word = [](const std::optional<std::string>& stored) {
    return stored ? toLowerAscii(trimmed(*stored)) : std::string();
  };
  if (word(order) == "shuffled") settings.shuffled = true;
  if (word(order) == "sorted") settings.shuffled = false;
  if (word(scaling) == "fill") settings.scaling = Scaling::kFill;
  if (word(scaling) == "fit") settings.scaling = Scaling::kFit;
  if (word(backdrop) == "black") settings.backdrop = Backdrop::kBlack;
  if (word(backdrop) == "blurred") settings.backdrop = Backdrop::kBlurred;
  if (word(caption) == "none") settings.caption = Caption::kNone;
  if (word(caption) == "name") settings.caption = Caption::kFileName;
  if (word(caption) == "date") settings.caption = Caption::kDateTaken;
  return settings;
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
  return settingsFromStored(given("SecondsPerPicture"), given("Order"), given("Scaling"), given("Backdrop"),
                            given("Caption"));
}

SaverSettings loadSettings(Registry& registry, const std::string& saverName, const SaverSettings& defaults) {
  if (!isSafeBareName(saverName)) return defaults;
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kRead);
  if (!key) return defaults;
  return settingsFromStored(key->readString("SecondsPerPicture"), key->readString("Order"),
                            key->readString("Scaling"), key->readString("Backdrop"), key->readString("Caption"),
                            defaults);
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
         key->setString("Caption", captionWord(settings.caption));
}

}  // namespace saverkit::slideshow
