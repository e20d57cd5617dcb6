// The screen saver data file carried in slot 8: its saver record, read and written out again
// as "saver.dat", and its items, expanded or copied into the product folder.
#pragma once

#include <string>

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

inline constexpr const char* kSaverRecordFileName = "saver.dat";

// Reads the 1240-byte record from the data file in the working folder; an I/O error (a short
// file too) is shown with its code and the path, and returned.
Status readSaverRecord(InstallerContext& context);

// Writes the record as "saver.dat" into the product folder.
Status writeSaverRecord(InstallerContext& context);

// Opens the data file and reads its directory. A second open only says the file is in use.
// More than 1010 items, or a directory that does not fit the file, is -605. On any failure the
// file is closed again, so that the install can delete it.
Status openDataFile(InstallerContext& context, const std::string& path, bool showErrors,
                    bool& isOpen);

// Writes item `item` (counted from 1) below `folder`: -12 beyond the count, -15 when the file
// is not open, -604 for a path that leaves the folder, -605 for data outside the file, -7, -35,
// -16, -13, or the system's code. A failed item leaves no file.
Status extractDataItem(InstallerContext& context, const std::string& folder, int item);

Status closeDataFile(InstallerContext& context);

// The box for a data file that cannot be opened or whose directory does not fit it.
void showDataFileOpenProblem(InstallerContext& context, const std::string& path, Status code);

// The expansion step: every item into the product folder, the kind-3 movie items copied.
Status expandDataFile(InstallerContext& context);

}  // namespace saverkit
