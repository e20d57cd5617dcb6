// The presentation; see the header.
#include "flash/presentation.h"

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

Status extractPresentation(InstallerContext& context) {
  PackageEntry& entry = context.header.entries[kSlotPresentation];
  if (entry.isEmpty()) return status::kSlotNameEmpty;
  if (context.header.presentationMode == kPresentationBitmap) {
    entry.name = changeFileExtension(entry.name, ".BMP");
  } else if (context.header.presentationMode == kPresentationJpeg) {
    entry.name = changeFileExtension(entry.name, ".jpg");
  }
  return extractStartupSlot(context, static_cast<int>(kSlotPresentation));
}

}  // namespace saverkit
