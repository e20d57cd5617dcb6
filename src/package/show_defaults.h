// The show as the author set it up: saverpack writes the manifest's "show" section into the
// product folder as this file, and the reference engine takes it for its defaults, below each
// user's own settings. Lines of "Name=value", with the names and words of the engine's stored
// settings: SecondsPerPicture (2 to 600), Order (sorted, shuffled), Scaling (fit, fill), Backdrop
// (blurred, black), Caption (none, name, date), VideoVolume (0 to 100), VideoMonitors (every,
// primary).
#pragma once

#include <cstddef>
#include <string_view>

namespace saverkit {

inline constexpr std::string_view kShowDefaultsFileName = "saverkit-show.ini";
inline constexpr std::size_t kMaxShowDefaultsSize = 4096;

}  // namespace saverkit
