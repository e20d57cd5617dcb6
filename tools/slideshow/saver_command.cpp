// The engine's command line; see the header.
#include "saver_command.h"

#include <cctype>
#include <optional>

#include "common/text_helpers.h"

namespace saverkit::slideshow {
namespace {

// A window handle written in decimal: digits only, within 32 bits, not zero.
std::optional<WindowHandle> parseWindow(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value == 0 || value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<WindowHandle>(value);
}

}  // namespace

SaverCommand parseSaverCommand(const std::vector<std::string>& parameters) {
  SaverCommand command;
  if (parameters.empty()) return command;
  const std::string first = toLowerAscii(parameters[0]);
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return {SaverMode::kInvalid};
  const char letter = first[1];
  std::string rest = first.substr(2);
  const bool hasValue = !rest.empty();
  if (hasValue && rest[0] != ':') return {SaverMode::kInvalid};
  if (hasValue) rest.erase(0, 1);
  // The window comes after a colon or as the next parameter.
  const std::string windowText = hasValue ? rest : (parameters.size() > 1 ? parameters[1] : "");

  switch (letter) {
    case 's':
      if (hasValue) return {SaverMode::kInvalid};
      command.mode = SaverMode::kShow;
      return command;
    case 'p': {
      const auto window = parseWindow(windowText);
      if (!window) return {SaverMode::kInvalid};
      return {SaverMode::kPreview, *window};
    }
    case 'c': {
      command.mode = SaverMode::kSettings;
      // A missing or unusable owner only leaves the dialog without one.
      command.window = parseWindow(windowText).value_or(kNoWindow);
      if (hasValue && command.window == kNoWindow) return {SaverMode::kInvalid};
      return command;
    }
    case 'u':
      if (hasValue) return {SaverMode::kInvalid};
      command.mode = SaverMode::kUninstall;
      command.relaunched = parameters.size() > 1 && toLowerAscii(parameters[1]) == kRelaunchedMarker;
      return command;
    default:
      return {SaverMode::kInvalid};
  }
}

}  // namespace saverkit::slideshow
