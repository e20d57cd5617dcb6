// Saver naming; see the header.
#include "package/saver_naming.h"

#include "common/text_helpers.h"

namespace saverkit {

bool namesAScreenSaver(const std::string& name, const std::string& extraWord) {
  const std::string lowered = toLowerAscii(name);
  for (const char* word : {"screen saver", "screensaver", "saver"}) {
    if (lowered.find(word) != std::string::npos) return true;
  }
  return !extraWord.empty() && lowered.find(toLowerAscii(extraWord)) != std::string::npos;
}

std::string makeDisplayName(const std::string& saverName, const std::string& screenSaverWord) {
  if (namesAScreenSaver(saverName)) return saverName;
  return saverName + " " + screenSaverWord;
}

}  // namespace saverkit
