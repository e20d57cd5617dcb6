// The channel to the program that launched the installer: "/l=<decimal window handle>" on the
// command line names its window, which then receives text commands (WM_COPYDATA, synchronous)
// and, when the installer window closes, message 0x0501 (posted).
#pragma once

#include <string>
#include <vector>

#include "installer/installer_context.h"

namespace saverkit {

inline constexpr std::uint32_t kLauncherClosedMessage = 0x0501;

// The launcher commands.
namespace launcher {
inline constexpr const char* kHeaderRead = "read installer heard file";
inline constexpr const char* kQuietInstaller = "quiet installer";
inline constexpr const char* kMakeActiveSaver = "makeActiveSaver-";
inline constexpr const char* kOpenControlPanel = "openScreenSaverControlPanel";
}  // namespace launcher

// The handle named by the first parameter that begins with "/l=" (exactly, lower-case l), with
// every "/l=" removed from it in any letter case; kNoWindow when no parameter begins so.
// Throws SaverkitError ("'x' is not a valid integer value") when the rest is not a decimal
// 32-bit integer.
WindowHandle parseLauncherWindow(const std::vector<std::string>& parameters);

// Sets launcherWindow from the command line.
void findLauncherWindow(InstallerContext& context);

// Sends `text` and its terminating NUL to the launcher, looking for the launcher first while
// none is known. Sends nothing when there is no launcher.
void sendToLauncher(InstallerContext& context, const std::string& text);

// Posts the close notification to a launcher that is already known; never looks for one.
void notifyLauncherClosed(InstallerContext& context);

}  // namespace saverkit
