// Turning package slots into files: where each slot goes (the one rule that writers and readers
// share), one slot (`extractSlot`), the install loop over the product slots, and the copy of the
// licence and read-me into the product folder.
#pragma once

#include <string>

#include "common/status.h"
#include "installer/installer_context.h"
#include "platform/file_system.h"

namespace saverkit {

inline constexpr int kReplaceAttempts = 1000;

// Where a slot goes: the target path, and the native system folder copy on 64-bit Windows.
struct SlotTarget {
  std::string path;
  std::string nativeCopy;
};

// The entry's target, or a status: -601 for a name that is no bare file name, -603 for a kind
// with no folder (0, 8, 9, or outside 0..10) or a folder that is not known.
Status resolveSlotTarget(const InstallerContext& context, const PackageEntry& entry,
                         SlotTarget& target);

// The slot's entry as this run writes it: the package's own, except that a picture saver's
// presentation (slot 3) takes the extension by which the view knows its kind.
PackageEntry writtenEntry(const PackageHeader& header, int slot);

// Where the slot is written, with the statuses above. Everything that reads a slot back after
// its extraction finds it through here, so that it reads the file that was written.
Status resolveSlotTarget(const InstallerContext& context, int slot, SlotTarget& target);

// The path of the slot's file, or an empty path when the slot has no target.
std::string slotPath(const InstallerContext& context, int slot);

// Extracts one slot from the open working copy. Statuses: 0 (also when an existing file could
// not be replaced and was kept), -531, -601, -602, -603, -7, -30, -35, -13, -16, -38, or the
// system's code. Failures are shown for ".dll" targets; system codes and the package's own
// faults (-531, -601, -602, -603) always. A failed slot leaves no partly written file.
Status extractSlot(InstallerContext& context, ReadableFile& packageFile, int slot,
                   bool showProgress);

// The implode library for this startup or install, loaded on first use; one that failed to load
// is tried again next time. releaseCodec lets it go (before its folder can be deleted).
TCompressor& loadedCodec(InstallerContext& context);
void releaseCodec(InstallerContext& context);

// Shows a slot's failure the way extraction does: always for the package's own faults and
// system codes, otherwise only for ".dll" targets. The box names the target, or the slot.
void reportSlotFailure(InstallerContext& context, const PackageEntry& entry, const std::string& targetPath,
                       Status result);

// A package file (the working copy), open for reading; a failure is shown with its path and
// nothing is returned.
std::unique_ptr<ReadableFile> openPackageFile(InstallerContext& context, const std::string& path, Status& error);

// The first slot an install writes: the read-me (5) when the package carries one, else the
// engine (6); every slot up to 10 follows.
int firstProductSlot(const InstallerContext& context);

// Slots 7, 9 and 10: further product files, which a package may leave empty.
bool isOptionalProductSlot(int slot);

// Whether the slot's stored bytes can be read: -7 for a stored length of zero or less, -602 for
// a negative start, -30 for bytes beyond the end of the file (a file cut short), else 0.
Status storedBytesStatus(const PackageEntry& entry, std::int64_t fileSize);

// The install loop over the package session: slot 5 (when the package carries a read-me) or 6,
// up to 10, stopping at the first failure or when the user cancels. Empty optional slots are
// passed over; an empty engine, data file or read-me slot is -531.
Status extractProductSlots(InstallerContext& context);

// Copies the licence (when shown) and the read-me from the working folder into the product
// folder: 0, -16 for a missing document, or the system's code of a failed copy.
Status copyDocumentsToProduct(InstallerContext& context);

}  // namespace saverkit
