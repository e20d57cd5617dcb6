// How a saver is named in Windows outside its own files: the uninstall entry's key and the
// display name shown in the list of programs. The stub registers these and saverpack's install
// plan prints them, so both take them from here and cannot drift apart.
#pragma once

#include <string>

namespace saverkit {

inline constexpr const char* kUninstallKeyPrefix =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Whether the name already says it is a screen saver ("screen saver", "screensaver", "saver",
// and `extraWord` when given), ignoring the case of ASCII letters.
bool namesAScreenSaver(const std::string& name, const std::string& extraWord = "");

// The name itself when it says it is a screen saver, otherwise the name followed by
// `screenSaverWord` (the "Screen Saver" text of the string table in use).
std::string makeDisplayName(const std::string& saverName, const std::string& screenSaverWord);

}  // namespace saverkit
