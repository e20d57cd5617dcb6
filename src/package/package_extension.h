// The block of settings Saverkit's extension record points at (see kExtensionRecordName): UTF-8
// text, lines of "key=value" separated by line feeds, the first line "saverkit-extension=1".
// Keys it does not know are passed over, so later versions can add to it; a key given twice, a
// line without "=", a value that is not plain text or a block over kMaxExtensionBlockSize makes
// the whole block count for nothing, as a slot 0 the installer does not know.
//   flash-player=none            the package needs no Flash Player (the marker's meaning)
//   finish-without-launcher=yes  an install with no launcher makes the saver active and opens
//                                the screen saver settings itself
//   publisher=, version=, website=  for the uninstall entry (website: http:// or https:// only)
//   estimated-size-kb=N          what the install takes on disk, for the uninstall entry
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace saverkit {

inline constexpr std::size_t kMaxExtensionBlockSize = 16384;
inline constexpr std::size_t kMaxExtensionValueSize = 255;

struct PackageExtension {
  bool needsNoFlashPlayer = false;
  bool finishWithoutLauncher = false;
  std::string publisher;
  std::string version;
  std::string website;
  std::int32_t estimatedSizeKb = 0;
};

std::optional<PackageExtension> parseExtensionBlock(const std::uint8_t* data, std::size_t size);

// Throws std::invalid_argument for a value the parser would refuse, naming its key.
std::string encodeExtensionBlock(const PackageExtension& extension);

}  // namespace saverkit
