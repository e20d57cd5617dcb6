// Shell actions; see the header.
#include "system/shell_actions.h"

#include "common/crc32.h"
#include "common/text_helpers.h"
#include "system/file_helpers.h"

namespace saverkit {

void closeDisplayProperties(WindowMessaging& messaging, const TextSource& texts) {
  // The translated titles first; the English ones still close an untranslated control panel.
  const std::string titles[] = {texts.text(TextId::kDisplayProperties),
                                texts.text(TextId::kScreenSaverSettings), "Display Properties",
                                "Screen Saver Settings"};
  for (const std::string& title : titles) {
    const WindowHandle window = messaging.findTopLevelWindow(title);
    if (window == kNoWindow) continue;
    messaging.clickDialogControl(window, 2);
    return;
  }
}

void openReadMe(Shell& shell, WindowHandle owner, bool hasReadMe, const std::string& productFolder,
                const std::string& readMeName) {
  if (!hasReadMe) return;
  shell.openDocument(owner, productFolder + readMeName);
}

namespace {

bool sameFolder(const std::string& first, const std::string& second) {
  return toLowerAscii(withTrailingBackslash(first)) == toLowerAscii(withTrailingBackslash(second));
}

}  // namespace

std::string startupShortcutName(std::uint32_t crc) { return decimal(crc) + "_installer.lnk"; }

void removeStartupShortcut(FileSystem& files, SystemInfo& system, const std::string& installerPath,
                           const std::function<void(const std::string&)>& report) {
  const SpecialFolderAnswer startup = system.specialFolderLocation(csidl::kStartup);
  if (!startup.path || startup.path->empty()) return;
  // The deletion runs with administrator rights, and the user's own "User Shell Folders" value
  // can name any folder as Startup: it happens only in the folder Windows itself gives the user,
  // reached without passing a link, and only to a plain file of exactly that name.
  const std::optional<std::string> standard = system.defaultFolderPath(csidl::kStartup);
  if (!standard || standard->empty() || !sameFolder(*startup.path, *standard)) return;
  const auto crc = crc32OfText(installerPath, report);
  if (!crc) return;
  Status error = 0;
  const std::unique_ptr<HeldFolder> folder = files.holdFolderWithoutLinks(*standard, error);
  if (folder) files.deletePlainFileIn(*folder, startupShortcutName(*crc));
}

}  // namespace saverkit
