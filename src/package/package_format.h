// The installer package header: the fixed-size record that follows the stub inside every
// installer file and names, for each of its eleven slots, a file, where its bytes lie and
// where it goes. The stub reads it and saverpack writes it, so both go through this one
// module; nothing here touches the file system.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <string_view>

namespace saverkit {

// The stub is padded to exactly this size, so the header always starts here.
inline constexpr std::int64_t kInstallerSizeInBytes = 690176;
inline constexpr std::size_t kPackageHeaderSize = 3152;
inline constexpr std::size_t kPackageSlotCount = 11;
inline constexpr std::size_t kPackageEntrySize = 280;
inline constexpr std::size_t kSaverNameFieldSize = 64;
inline constexpr std::size_t kEntryNameFieldSize = 256;
inline constexpr std::size_t kMaxEntryNameLength = 255;
inline constexpr std::size_t kPackageEntriesOffset = 72;
static_assert(kPackageEntriesOffset + kPackageSlotCount * kPackageEntrySize == kPackageHeaderSize,
              "the header must end right after its last entry");

// Values of PackageHeader::presentationMode.
inline constexpr std::uint8_t kPresentationBitmap = 1;
inline constexpr std::uint8_t kPresentationFlash = 2;
inline constexpr std::uint8_t kPresentationFlashAlt = 3;
inline constexpr std::uint8_t kPresentationQuiet = 4;
inline constexpr std::uint8_t kPresentationJpeg = 8;
bool isKnownPresentationMode(std::uint8_t mode);
// Modes 1, 2, 3 and 8 show slot 3; quiet mode shows nothing.
bool presentationUsesSlot3(std::uint8_t mode);
bool isFlashPresentation(std::uint8_t mode);

// What each slot is for; the format does not enforce this, the builder and verifier do.
inline constexpr std::size_t kSlotImplodeLibrary = 1;
inline constexpr std::size_t kSlotFlashInstaller = 2;
inline constexpr std::size_t kSlotPresentation = 3;
inline constexpr std::size_t kSlotLicense = 4;
inline constexpr std::size_t kSlotReadMe = 5;
inline constexpr std::size_t kSlotEngine = 6;
inline constexpr std::size_t kSlotDataFile = 8;

// Destination kinds (PackageEntry::destination). Several values share a folder because
// older packages used them interchangeably; they must all keep working.
inline constexpr std::int32_t kDestinationNone = 0;
inline constexpr std::int32_t kDestinationProduct = 1;
inline constexpr std::int32_t kDestinationSystem = 2;
inline constexpr std::int32_t kDestinationPlayerOrShared = 3;
inline constexpr std::int32_t kDestinationWorkingLibrary = 4;
inline constexpr std::int32_t kDestinationProduct5 = 5;
inline constexpr std::int32_t kDestinationProduct6 = 6;
inline constexpr std::int32_t kDestinationWorking = 7;
inline constexpr std::int32_t kDestinationNone8 = 8;
inline constexpr std::int32_t kDestinationNone9 = 9;
inline constexpr std::int32_t kDestinationProduct10 = 10;
inline constexpr std::int32_t kMaxDestinationKind = 10;

enum class TargetFolder {
  kNone,     // kinds 0, 8, 9: carried but never extracted
  kProduct,  // the saver's product folder
  kSystem,   // the system folder (and the native one as well on 64-bit Windows)
  kShared,   // the shared-files folder
  kWorking,  // the installer's temporary working folder
  kInvalid,  // a kind outside 0..10
};
const char* targetFolderName(TargetFolder folder);

// The implode library always travels under this name and is renamed when extracted, so that
// nothing scanning the package mistakes it for a loose DLL.
inline constexpr std::string_view kImplodeLibraryName = "impborl.dat";
inline constexpr std::string_view kImplodeLibraryTarget = "impborl.dll";
inline constexpr std::string_view kPlayerInstallerName10 = "install_flash_player_10_active_x.exe";
inline constexpr std::string_view kPlayerInstallerName9 = "install_flash_player_active_x.exe";
// When the data file's first item is the installer's own movie, slot 3 carries it by this name.
inline constexpr std::string_view kInstallerMovieName = "installer.swf";

struct PackageEntry {
  std::string name;  // a bare file name, at most 255 characters; empty marks an unused slot
  std::int32_t startOffset = 0;  // from the beginning of the installer file
  std::int32_t endOffset = 0;    // last data byte, inclusive
  std::int32_t destination = kDestinationNone;
  bool imploded = false;
  std::int32_t expandedSize = 0;

  bool isEmpty() const { return name.empty(); }
};

struct PackageHeader {
  std::uint8_t presentationMode = kPresentationQuiet;
  bool hasLicense = false;
  bool hasReadMe = false;
  bool carriesFlashInstaller = false;
  // Kept raw: 0 and 1 are the only valid values, and the installer must see anything else.
  std::uint8_t flashVersionIndex = 0;
  bool askOpenControlPanel = false;
  std::string saverName;  // at most 64 single-byte characters
  std::array<PackageEntry, kPackageSlotCount> entries;
  // Saverkit's own extension: the package says that its presentation and saver need no Flash
  // Player. It travels in slot 0, which the installer never extracts (see kNoPlayerMarkerName),
  // so installers that do not know it read the package exactly as before.
  bool needsNoFlashPlayer = false;
  // Saverkit's extension record, the marker's successor: slot 0 points at a block of settings in
  // the package (see package_extension.h). Where the block lies; nothing without the record.
  // The block itself is read and judged by the installer, through its working copy.
  std::optional<std::pair<std::int32_t, std::int32_t>> extensionBlock;  // start, end (inclusive)
};

// The extension record fills slot 0 with exactly these values: the name below, the block's start
// and end offsets (from the beginning of the installer file, as every slot's), a zero
// destination, flags and expanded size, and kExtensionRecordTag in the reserved field. As with
// the marker, a slot 0 that differs in any byte is not the record.
inline constexpr std::string_view kExtensionRecordName = "Saverkit.Extension";
inline constexpr std::int32_t kExtensionRecordTag = 0x31584B53;  // "SKX1" in file order

// The "no player" marker fills slot 0 with exactly these values and nothing else: the name
// below, zero offsets, destination, flags and expanded size, and kNoPlayerMarkerTag in the
// reserved field. Every one of them must match, so a slot 0 written for any other purpose, or
// left with stray bytes, never counts as the marker.
inline constexpr std::string_view kNoPlayerMarkerName = "Saverkit.NoFlashPlayer";
inline constexpr std::int32_t kNoPlayerMarkerTag = 0x504E4B53;  // "SKNP" in file order

// Whether the installer must look for the Flash Player at startup: always, unless the package
// carries the marker and shows a picture or nothing (a movie needs the player whatever the
// package says).
bool packageNeedsFlashPlayer(const PackageHeader& header);

// Returns nothing when fewer than kPackageHeaderSize bytes are given. Any byte pattern of the
// right size decodes; judging the values is the caller's business.
std::optional<PackageHeader> decodePackageHeader(const std::uint8_t* data, std::size_t size);

// Throws std::invalid_argument when a name does not fit its field (saver name over 64, entry
// name over 255 characters) rather than silently cutting it.
std::array<std::uint8_t, kPackageHeaderSize> encodePackageHeader(const PackageHeader& header);

// Stored bytes of a slot: end - start + 1, in 64 bits so hostile offsets cannot wrap. Negative
// when the offsets are inconsistent.
std::int64_t storedLength(const PackageEntry& entry);

// True when the slot's stored bytes lie inside a file of fileSize bytes.
bool storedBytesWithin(const PackageEntry& entry, std::int64_t fileSize);

TargetFolder targetFolder(const PackageEntry& entry);

// The file name the slot is written under in its target folder.
std::string targetFileName(const PackageEntry& entry);

// Whether the slot lands in the working folder, where the installer looks for the
// presentation, licence, read-me, player installer and data file.
inline bool landsInWorkingFolder(const PackageEntry& entry) {
  return targetFolder(entry) == TargetFolder::kWorking;
}

// Little-endian field access shared by the package and data-file codecs. The caller
// guarantees the bytes exist.
std::int32_t readInt32Le(const std::uint8_t* bytes);
void writeInt32Le(std::uint8_t* bytes, std::int32_t value);

}  // namespace saverkit
