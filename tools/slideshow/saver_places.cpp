// The saver's places; see the header.
#include "saver_places.h"

#include "common/saverkit_error.h"
#include "common/text_helpers.h"
#include "system/folders.h"
#include "system/os_detection.h"
#include "system/product_folder.h"

namespace saverkit::slideshow {

std::string saverNameFromModulePath(const std::string& longModulePath) {
  std::string name = fileNameOf(longModulePath);
  if (endsWith(toLowerAscii(name), ".scr")) name.resize(name.size() - 4);
  return name;
}

SaverPlaces findSaverPlaces(SystemInfo& system, const std::string& longModulePath) {
  SaverPlaces places;
  places.saverName = saverNameFromModulePath(longModulePath);
  const std::string systemFolder = system.systemDirectory();
  if (!systemFolder.empty()) places.systemFolder = withTrailingBackslash(systemFolder);
  bool wow64 = false;
  try {
    wow64 = runningUnderWow64(system);
  } catch (const SaverkitError&) {
    // Without an answer the native folder stays unknown; the system folder still counts.
  }
  // From the system, never from SystemRoot: /u deletes here with administrator rights, and the
  // user's programs set the environment it inherits.
  const std::string windows = system.windowsDirectory();
  if (wow64 && !windows.empty()) places.nativeSystemFolder = withTrailingBackslash(windows) + "Sysnative\\";
  const std::string commonData = getSpecialFolder(system, csidl::kCommonAppData);
  if (!commonData.empty()) {
    // The name comes from a file anybody can rename: one that would leave the shared folder
    // gets no product folder at all, so nothing is shown from there or removed there.
    deriveProductFolder(withTrailingBackslash(commonData) + kCompanyFolderName, places.saverName,
                        places.productFolder);
  }
  return places;
}

std::string pathAsTheUserKnowsIt(const SaverPlaces& places, const std::string& path) {
  const std::string native = places.nativeSystemFolder;
  static const std::string kNativeName = "sysnative\\";
  if (places.systemFolder.empty() || !endsWith(toLowerAscii(native), kNativeName)) return path;
  const std::string windows = native.substr(0, native.size() - kNativeName.size());
  const std::string lowered = toLowerAscii(path);
  if (startsWith(lowered, toLowerAscii(native))) return windows + "System32\\" + path.substr(native.size());
  if (startsWith(lowered, toLowerAscii(places.systemFolder))) {
    return windows + "SysWOW64\\" + path.substr(places.systemFolder.size());
  }
  return path;
}

}  // namespace saverkit::slideshow
