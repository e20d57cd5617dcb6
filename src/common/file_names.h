// Which names from a package may reach the file system. The saver name, slot names and data
// file item paths come from the installer file, which anybody can build: a name that escapes
// its folder would make the installer write, replace or (on rollback) delete files elsewhere.
#pragma once

#include <string_view>

namespace saverkit {

// A name Windows accepts as one file or folder name: 1 to 255 characters, no control character,
// none of < > : " / \ | ? *, not "." or "..", not ending in a space or a full stop, and not a
// reserved device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without extension).
// Spaces inside the name are fine.
bool isSafeBareName(std::string_view name);

// A path relative to a folder that stays inside it: components separated by "\" (or "/"), each
// one a safe bare name; no drive, no leading separator, no empty component.
bool isSafeRelativePath(std::string_view path);

}  // namespace saverkit
