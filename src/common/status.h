// The program-wide status: every step returns one. 0 is success, negative values are the
// installer's own codes listed below, positive values are operating-system or file I/O error
// codes passed through unchanged. The numbers are part of the installer's contract with
// launchers and deployment scripts (they become the quiet-mode exit code), so they are written
// here as literals and never derived from errno or GetLastError.
#pragma once

#include <cstdint>
#include <string>

namespace saverkit {

using Status = std::int32_t;

// X(name, value, meaning). The one table of codes; tests pin every value.
#define SAVERKIT_STATUS_MAP(X)                                                                   \
  X(Success, 0, "success")                                                                       \
  X(NothingDone, -1, "folder tree not removed, or nothing was attempted")                        \
  X(AccessDenied, 5, "access denied")                                                            \
  X(NoMemory, -7, "no memory for an entry's data, or no resources to start the player installer") \
  X(ItemBeyondCount, -12, "data-file item number beyond the item count")                         \
  X(SizeMismatch, -13, "expanded file size differs from the recorded size")                      \
  X(DataFileNotOpen, -15, "data file not open when an item is read")                             \
  X(FileMissing, -16, "a file expected after writing, or a document to copy, is missing")        \
  X(ShortCopy, -30, "fewer bytes read or copied than the entry's stored size")                   \
  X(HeaderTooShort, -31, "package header shorter than 3152 bytes")                               \
  X(FileBusy, -32, "a file to be deleted or replaced is busy")                                   \
  X(LibraryNotLoaded, -35, "implode library not loaded")                                         \
  X(SaverNotReplaceable, -38, "the screen saver file cannot be replaced")                        \
  X(PlayerInstallerMissing, -401, "player installer file missing, or no player for the movie")   \
  X(NoPlayer, -402, "no Flash Player installed and none carried")                                \
  X(PlayerNotCreated, -403, "the movie panel failed to create the player")                       \
  X(MovieUnreadable404, -404, "the movie file cannot be read")                                   \
  X(MovieUnreadable405, -405, "the movie file cannot be read")                                   \
  X(MovieUnreadable406, -406, "the movie file cannot be read")                                   \
  X(PlayerNotReleased, -409, "the movie panel failed to release its player")                   \
  X(PlayerTooOld, -410, "installed player older than the movie requires")                        \
  X(OverwriteDeclined, -454, "the user declined to overwrite the existing screen saver")         \
  X(PlayerInstallerIncompatible, -455, "carried player installer cannot run on this system")     \
  X(WorkingCopyFailed, -523, "copying the installer file to the working copy failed")            \
  X(SlotNameEmpty, -531, "a package slot that must be extracted has no file name")               \
  X(DataCopyFailed, -532, "copying a file of the data file into the product folder failed")      \
  X(UninstallWriteFailed, -2201, "writing the uninstall entry failed")                           \
  X(UninstallRemoveFailed, -2202, "removing the uninstall entry failed")                        \
  X(UnsafeSaverName, -600, "the screen saver's name is not a valid folder name")                \
  X(UnsafeSlotName, -601, "a package slot's name is not a bare file name")                      \
  X(SlotOutsideFile, -602, "a package slot's data lies outside the installer file")             \
  X(SlotWithoutTarget, -603, "a package slot to be extracted has no destination folder")        \
  X(UnsafeItemPath, -604, "a data-file item's path leaves the product folder")                  \
  X(DataFileDamaged, -605, "the data file's directory or an item lies outside the file")         \
  X(QuietStartupRaised, -606, "a quiet run's startup ended with an unexpected error")          \
  X(UnsafeFolder, -607, "a folder of the installer's is a link or belongs to another user")     \
  X(PackageChanged, -608, "the package is not the one the installer was built with")

namespace status {
#define SAVERKIT_STATUS_CONSTANT(name, value, meaning) inline constexpr Status k##name = value;
SAVERKIT_STATUS_MAP(SAVERKIT_STATUS_CONSTANT)
#undef SAVERKIT_STATUS_CONSTANT
}  // namespace status

// The table's meaning for one of the installer's own codes; an empty text for any other value
// (operating-system codes have the system's own words).
const char* statusMeaning(Status code);

// True for the codes of the table above (0 included).
bool isKnownStatus(Status code);

}  // namespace saverkit
