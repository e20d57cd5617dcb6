// The start of every run: the installer file copied to the working copy "temp.dat", the package
// header read from that copy (and the implode library, slot 1, extracted at once), and the
// paths derived from the header.
#pragma once

#include <string>

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

inline constexpr const char* kWorkCopyName = "temp.dat";
inline constexpr int kWorkCopyDeleteAttempts = 100;

// The installer's own path and the working copy's path in the working folder.
void setInstallerPaths(InstallerContext& context);

// Replaces the working copy with a fresh copy of the installer file: the whole file, or with a
// consented binding the stub and the bound package only, compared with the binding's digest on
// the way. -608 (its own box, naming the installer) when the package differs; -30 (no box) when
// the file ends before the bound package does; otherwise on failure shows the -523 box and
// returns the underlying code (never -523 itself).
Status copyInstallerToWorkFile(InstallerContext& context);

// Reads the header from the working copy and extracts slot 1. -31 (shown) for a short header;
// the system's code (shown) when the copy cannot be opened or read; else slot 1's status.
Status readPackageHeader(InstallerContext& context);

// The saver name, the product folder and the data file's working path from the header; -600
// when the name could lead outside the shared folder.
Status setProductPaths(InstallerContext& context);

// Slots 2, 4 and 5 into their destinations: -531 (unshown) for an empty slot.
Status extractFlashInstaller(InstallerContext& context);
Status extractLicense(InstallerContext& context);
Status extractReadMe(InstallerContext& context);
// Any slot into its destination without progress, as the startup extracts slots 2 to 5.
Status extractStartupSlot(InstallerContext& context, int slot);

}  // namespace saverkit
