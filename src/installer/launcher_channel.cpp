// The launcher channel; see the header.
#include "installer/launcher_channel.h"

#include "common/saverkit_error.h"
#include "common/text_helpers.h"

namespace saverkit {

WindowHandle parseLauncherWindow(const std::vector<std::string>& parameters) {
  for (const std::string& parameter : parameters) {
    if (!startsWith(parameter, "/l=")) continue;
    const std::string rest = removeAllIgnoringCase(parameter, "/l=");
    const std::optional<std::int32_t> value = parseDecimalInt32(rest);
    if (!value) throw SaverkitError("'" + rest + "' is not a valid integer value");
    return static_cast<WindowHandle>(*value);
  }
  return kNoWindow;
}

void findLauncherWindow(InstallerContext& context) {
  context.state.launcherWindow =
      parseLauncherWindow(context.platform.process.commandLineParameters());
}

void sendToLauncher(InstallerContext& context, const std::string& text) {
  if (context.state.launcherWindow == kNoWindow) findLauncherWindow(context);
  if (context.state.launcherWindow == kNoWindow) return;
  std::string block = text;
  block.push_back('\0');
  context.platform.messaging.sendCopyData(context.state.launcherWindow,
                                          context.view.installerWindowHandle(), 0, block);
}

void notifyLauncherClosed(InstallerContext& context) {
  if (context.state.launcherWindow == kNoWindow) return;
  context.platform.messaging.postMessage(context.state.launcherWindow, kLauncherClosedMessage, 0,
                                         0);
}

}  // namespace saverkit
