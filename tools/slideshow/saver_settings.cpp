// Saver settings; see the header.
#include "saver_settings.h"

#include <algorithm>

#include "common/file_names.h"
#include "common/text_helpers.h"

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
                                 const std::optional<std::string>& caption) {
  SaverSettings settings;
  if (seconds) {
    if (const auto number = storedNumber(*seconds)) {
      settings.secondsPerPicture = std::clamp<int>(*number, kMinSeconds, kMaxSeconds);
    }
  }
  if (order) {
    const std::string word = toLowerAscii(trimmed(*order));
    if (word == "shuffled") settings.shuffled = true;
  }
  if (scaling) {
    const std::string word = toLowerAscii(trimmed(*scaling));
    if (word == "fill") settings.scaling = Scaling::kFill;
  }
  if (backdrop && toLowerAscii(trimmed(*backdrop)) == "black") settings.backdrop = Backdrop::kBlack;
  if (caption) {
    const std::string word = toLowerAscii(trimmed(*caption));
    if (word == "name") settings.caption = Caption::kFileName;
    if (word == "date") settings.caption = Caption::kDateTaken;
  }
  return settings;
}

SaverSettings loadSettings(Registry& registry, const std::string& saverName) {
  if (!isSafeBareName(saverName)) return {};
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kRead);
  if (!key) return {};
  return settingsFromStored(key->readString("SecondsPerPicture"), key->readString("Order"),
                            key->readString("Scaling"), key->readString("Backdrop"), key->readString("Caption"));
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
