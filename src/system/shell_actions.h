// The installer's dealings with the Windows shell around an install: closing an open Display
// control panel, opening the read-me, and removing a start-up shortcut left for the installer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/text_source.h"
#include "platform/window_messaging.h"

namespace saverkit {

// Presses Cancel (control 2) in the first window found titled, in this order: the translated
// "Display Properties" and "Screen Saver Settings", then the English ones.
void closeDisplayProperties(WindowMessaging& messaging, const TextSource& texts);

// Opens "<productFolder><readMeName>" with its program when the package carries a read-me.
void openReadMe(Shell& shell, WindowHandle owner, bool hasReadMe, const std::string& productFolder,
                const std::string& readMeName);

// "<CRC-32 of the installer path, decimal>_installer.lnk".
std::string startupShortcutName(std::uint32_t crc);

// Deletes the shortcut named after the installer's own path from the user's Startup folder, when
// it is a plain file, relative to a hold on the folder (FileSystem::holdFolderWithoutLinks).
// Nothing is deleted when the user's Startup folder is not where Windows itself puts it, or when
// a link stands on the way. `report` shows the CRC self-test's message should it ever fail.
void removeStartupShortcut(FileSystem& files, SystemInfo& system, const std::string& installerPath,
                           const std::function<void(const std::string&)>& report);

}  // namespace saverkit
