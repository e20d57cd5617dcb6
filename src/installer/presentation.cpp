// The presentation; see the header.
#include "installer/presentation.h"

#include "installer/package_reader.h"

namespace saverkit {

std::string changeFileExtension(const std::string& name, const std::string& extension) {
  const std::size_t dot = name.find_last_of('.');
  const std::size_t separator = name.find_last_of("\\/:");
  const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
  std::string changed = (hasExtension ? name.substr(0, dot) : name) + extension;
  if (changed.size() > kMaxEntryNameLength) changed.resize(kMaxEntryNameLength);
  return changed;
}

std::string presentationFileName(const std::string& name, std::uint8_t presentationMode) {
  if (presentationMode == kPresentationBitmap) return changeFileExtension(name, ".BMP");
  if (presentationMode == kPresentationJpeg) return changeFileExtension(name, ".jpg");
  return name;
}

Status extractPresentation(InstallerContext& context) {
  // The header keeps the package's name: the slot's path adds the picture's extension, for the
  // extraction and for the view that shows the picture alike.
  return extractStartupSlot(context, static_cast<int>(kSlotPresentation));
}

}  // namespace saverkit
