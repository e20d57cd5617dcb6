// Package header codec; see the header. Fields are read byte by byte in little-endian order
// so the layout never depends on the compiler's struct packing or the host's byte order.
#include "package/package_format.h"

#include <cstring>
#include <stdexcept>

namespace saverkit {
namespace {

// Field offsets inside the header and inside one entry.
constexpr std::size_t kPresentationModeOffset = 0;
constexpr std::size_t kHasLicenseOffset = 1;
constexpr std::size_t kHasReadMeOffset = 2;
constexpr std::size_t kCarriesFlashInstallerOffset = 3;
constexpr std::size_t kFlashVersionIndexOffset = 4;
constexpr std::size_t kAskOpenControlPanelOffset = 5;
constexpr std::size_t kSaverNameOffset = 6;
static_assert(kSaverNameOffset + kSaverNameFieldSize + 2 == kPackageEntriesOffset,
              "two padding bytes separate the saver name from the entries");

constexpr std::size_t kEntryNameOffset = 0;
constexpr std::size_t kEntryStartOffset = 256;
constexpr std::size_t kEntryEndOffset = 260;
constexpr std::size_t kEntryDestinationOffset = 264;
constexpr std::size_t kEntryImplodedOffset = 268;
constexpr std::size_t kEntryReservedOffset = 272;
constexpr std::size_t kEntryExpandedSizeOffset = 276;
static_assert(kEntryExpandedSizeOffset + 4 == kPackageEntrySize, "an entry is 280 bytes");
static_assert(kEntryNameOffset + kEntryNameFieldSize == kEntryStartOffset,
              "the name field fills the first 256 bytes");
static_assert(kEntryReservedOffset == kEntryImplodedOffset + 4, "three padding bytes follow");

PackageEntry decodeEntry(const std::uint8_t* bytes) {
  PackageEntry entry;
  const std::size_t length = bytes[kEntryNameOffset];
  entry.name.assign(reinterpret_cast<const char*>(bytes + kEntryNameOffset + 1), length);
  entry.startOffset = readInt32Le(bytes + kEntryStartOffset);
  entry.endOffset = readInt32Le(bytes + kEntryEndOffset);
  entry.destination = readInt32Le(bytes + kEntryDestinationOffset);
  entry.imploded = bytes[kEntryImplodedOffset] != 0;
  entry.expandedSize = readInt32Le(bytes + kEntryExpandedSizeOffset);
  return entry;
}

void encodeEntry(const PackageEntry& entry, std::size_t slot, std::uint8_t* bytes) {
  if (entry.name.size() > kMaxEntryNameLength) {
    throw std::invalid_argument("slot " + std::to_string(slot) + ": name longer than 255 characters");
  }
  bytes[kEntryNameOffset] = static_cast<std::uint8_t>(entry.name.size());
  std::memcpy(bytes + kEntryNameOffset + 1, entry.name.data(), entry.name.size());
  writeInt32Le(bytes + kEntryStartOffset, entry.startOffset);
  writeInt32Le(bytes + kEntryEndOffset, entry.endOffset);
  writeInt32Le(bytes + kEntryDestinationOffset, entry.destination);
  bytes[kEntryImplodedOffset] = entry.imploded ? 1 : 0;
  writeInt32Le(bytes + kEntryExpandedSizeOffset, entry.expandedSize);
}

// Slot 0 holds exactly `name`, `tag` in the reserved field and zeros everywhere else, but in the
// offsets where `withOffsets` allows any value.
bool isSlot0Record(const std::uint8_t* bytes, std::string_view name, std::int32_t tag, bool withOffsets) {
  if (bytes[kEntryNameOffset] != name.size() ||
      std::memcmp(bytes + kEntryNameOffset + 1, name.data(), name.size()) != 0 ||
      readInt32Le(bytes + kEntryReservedOffset) != tag) {
    return false;
  }
  // Everything else in the slot is zero: the rest of the name field, (offsets,) destination,
  // flags, padding and expanded size.
  for (std::size_t at = 1 + name.size(); at < kPackageEntrySize; ++at) {
    const bool inTag = at >= kEntryReservedOffset && at < kEntryReservedOffset + 4;
    const bool inOffsets = withOffsets && at >= kEntryStartOffset && at < kEntryDestinationOffset;
    if (!inTag && !inOffsets && bytes[at] != 0) return false;
  }
  return true;
}

bool isNoPlayerMarker(const std::uint8_t* bytes) {
  return isSlot0Record(bytes, kNoPlayerMarkerName, kNoPlayerMarkerTag, false);
}

void encodeNoPlayerMarker(const PackageEntry& slot0, std::uint8_t* bytes) {
  if (!slot0.isEmpty()) throw std::invalid_argument("slot 0 cannot both hold a file and the no-player marker");
  std::memset(bytes, 0, kPackageEntrySize);
  bytes[kEntryNameOffset] = static_cast<std::uint8_t>(kNoPlayerMarkerName.size());
  std::memcpy(bytes + kEntryNameOffset + 1, kNoPlayerMarkerName.data(), kNoPlayerMarkerName.size());
  writeInt32Le(bytes + kEntryReservedOffset, kNoPlayerMarkerTag);
}

bool isPlayerInstallerName(std::string_view name) {
  return name == kPlayerInstallerName10 || name == kPlayerInstallerName9;
}

}  // namespace

std::int32_t readInt32Le(const std::uint8_t* bytes) {
  const std::uint32_t value = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) |
                              (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24);
  // Two's complement conversion spelled out: casting an out-of-range unsigned value to a
  // signed type was implementation-defined before C++20.
  return value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value)
                              : static_cast<std::int32_t>(std::int64_t(value) - 0x100000000LL);
}

void writeInt32Le(std::uint8_t* bytes, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

bool isKnownPresentationMode(std::uint8_t mode) {
  return mode == kPresentationBitmap || mode == kPresentationFlash ||
         mode == kPresentationFlashAlt || mode == kPresentationQuiet || mode == kPresentationJpeg;
}

bool presentationUsesSlot3(std::uint8_t mode) {
  return isKnownPresentationMode(mode) && mode != kPresentationQuiet;
}

bool isFlashPresentation(std::uint8_t mode) {
  return mode == kPresentationFlash || mode == kPresentationFlashAlt;
}

bool packageNeedsFlashPlayer(const PackageHeader& header) {
  const std::uint8_t mode = header.presentationMode;
  const bool pictureOrQuiet = mode == kPresentationBitmap || mode == kPresentationJpeg || mode == kPresentationQuiet;
  return !(header.needsNoFlashPlayer && pictureOrQuiet);
}

const char* targetFolderName(TargetFolder folder) {
  switch (folder) {
    case TargetFolder::kNone: return "none";
    case TargetFolder::kProduct: return "product";
    case TargetFolder::kSystem: return "system";
    case TargetFolder::kShared: return "shared";
    case TargetFolder::kWorking: return "working";
    case TargetFolder::kInvalid: break;
  }
  return "invalid";
}

std::optional<PackageHeader> decodePackageHeader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kPackageHeaderSize) return std::nullopt;
  PackageHeader header;
  header.presentationMode = data[kPresentationModeOffset];
  header.hasLicense = data[kHasLicenseOffset] != 0;
  header.hasReadMe = data[kHasReadMeOffset] != 0;
  header.carriesFlashInstaller = data[kCarriesFlashInstallerOffset] != 0;
  header.flashVersionIndex = data[kFlashVersionIndexOffset];
  header.askOpenControlPanel = data[kAskOpenControlPanelOffset] != 0;
  const auto* name = reinterpret_cast<const char*>(data + kSaverNameOffset);
  header.saverName.assign(name, strnlen(name, kSaverNameFieldSize));
  for (std::size_t slot = 0; slot < kPackageSlotCount; ++slot) {
    header.entries[slot] = decodeEntry(data + kPackageEntriesOffset + slot * kPackageEntrySize);
  }
  if (isNoPlayerMarker(data + kPackageEntriesOffset)) {
    header.needsNoFlashPlayer = true;
    header.entries[0] = PackageEntry{};
  } else if (isSlot0Record(data + kPackageEntriesOffset, kExtensionRecordName, kExtensionRecordTag, true)) {
    header.extensionBlock.emplace(header.entries[0].startOffset, header.entries[0].endOffset);
    header.entries[0] = PackageEntry{};
  }
  return header;
}

std::array<std::uint8_t, kPackageHeaderSize> encodePackageHeader(const PackageHeader& header) {
  if (header.saverName.size() > kSaverNameFieldSize) {
    throw std::invalid_argument("saver name longer than 64 characters");
  }
  std::array<std::uint8_t, kPackageHeaderSize> bytes{};
  bytes[kPresentationModeOffset] = header.presentationMode;
  bytes[kHasLicenseOffset] = header.hasLicense ? 1 : 0;
  bytes[kHasReadMeOffset] = header.hasReadMe ? 1 : 0;
  bytes[kCarriesFlashInstallerOffset] = header.carriesFlashInstaller ? 1 : 0;
  bytes[kFlashVersionIndexOffset] = header.flashVersionIndex;
  bytes[kAskOpenControlPanelOffset] = header.askOpenControlPanel ? 1 : 0;
  std::memcpy(bytes.data() + kSaverNameOffset, header.saverName.data(), header.saverName.size());
  for (std::size_t slot = 0; slot < kPackageSlotCount; ++slot) {
    encodeEntry(header.entries[slot], slot,
                bytes.data() + kPackageEntriesOffset + slot * kPackageEntrySize);
  }
  if (header.extensionBlock) {
    // The record says what the marker said, and more: it takes the marker's place.
    if (!header.entries[0].isEmpty()) throw std::invalid_argument("slot 0 cannot both hold a file and the extension record");
    std::uint8_t* slot0 = bytes.data() + kPackageEntriesOffset;
    std::memset(slot0, 0, kPackageEntrySize);
    slot0[kEntryNameOffset] = static_cast<std::uint8_t>(kExtensionRecordName.size());
    std::memcpy(slot0 + kEntryNameOffset + 1, kExtensionRecordName.data(), kExtensionRecordName.size());
    writeInt32Le(slot0 + kEntryStartOffset, header.extensionBlock->first);
    writeInt32Le(slot0 + kEntryEndOffset, header.extensionBlock->second);
    writeInt32Le(slot0 + kEntryReservedOffset, kExtensionRecordTag);
  } else if (header.needsNoFlashPlayer) {
    encodeNoPlayerMarker(header.entries[0], bytes.data() + kPackageEntriesOffset);
  }
  return bytes;
}

std::int64_t storedLength(const PackageEntry& entry) {
  return std::int64_t(entry.endOffset) - std::int64_t(entry.startOffset) + 1;
}

bool storedBytesWithin(const PackageEntry& entry, std::int64_t fileSize) {
  const std::int64_t length = storedLength(entry);
  return entry.startOffset >= 0 && length >= 0 && entry.startOffset + length <= fileSize;
}

TargetFolder targetFolder(const PackageEntry& entry) {
  switch (entry.destination) {
    case kDestinationProduct:
    case kDestinationProduct5:
    case kDestinationProduct6:
    case kDestinationProduct10: return TargetFolder::kProduct;
    case kDestinationSystem: return TargetFolder::kSystem;
    case kDestinationPlayerOrShared:
      return isPlayerInstallerName(entry.name) ? TargetFolder::kWorking : TargetFolder::kShared;
    case kDestinationWorkingLibrary:
    case kDestinationWorking: return TargetFolder::kWorking;
    case kDestinationNone:
    case kDestinationNone8:
    case kDestinationNone9: return TargetFolder::kNone;
    default: return TargetFolder::kInvalid;
  }
}

std::string targetFileName(const PackageEntry& entry) {
  if (entry.destination == kDestinationWorkingLibrary && entry.name == kImplodeLibraryName) {
    return std::string(kImplodeLibraryTarget);
  }
  if (entry.destination == kDestinationPlayerOrShared && !isPlayerInstallerName(entry.name)) {
    const std::size_t dot = entry.name.rfind('.');
    return entry.name.substr(0, dot) + ".dll";
  }
  return entry.name;
}

}  // namespace saverkit
