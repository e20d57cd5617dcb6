// The screen saver data file carried in slot 8: its saver record, read and written out again
// as "saver.dat", and its items, expanded or copied into the product folder.
#pragma once

#include <optional>
#include <string>

#include "common/status.h"
#include "installer/installer_context.h"
#include "package/data_file_walker.h"

namespace saverkit {

inline constexpr const char* kSaverRecordFileName = "saver.dat";

// Reads the 1240-byte record from the data file in the working folder; an I/O error (a short
// file too, and 2 when the package sent the data file elsewhere) is shown with its code and the
// path, and returned.
Status readSaverRecord(InstallerContext& context);

// Writes the record as "saver.dat" into the product folder.
Status writeSaverRecord(InstallerContext& context);

// Lets the data file go, so that the install can delete it; closing a closed one does nothing.
Status closeDataFile(InstallerContext& context);

// The box for a data file that cannot be opened or whose directory does not fit it.
void showDataFileOpenProblem(InstallerContext& context, const std::string& path, Status code);

// An item's header, for the check before the install and for the expansion: 0, -7 for data of
// no length, or the system's code shown in the data file's read-error box. A header or data
// that lies beyond the end of the data file is a read past its end (38), as reading it would be.
Status readDataItemHeader(InstallerContext& context, DataFileWalker& walker, const DataFileItem& item,
                          std::optional<ItemHeader>& header);

// The expansion step: the data file written by the install loop is walked once, every item
// written into the product folder and the movie items copied, in directory order until the
// first fault. A record or directory that cannot be read, or does not fit the file (-605), is
// shown as an open problem. An item is -604 for a path that leaves the folder, 38 for a header
// or data beyond the end of the file (see readDataItemHeader), -7, -35, -16, -13, -532 for a
// movie that cannot be copied, or the system's code. A failed item leaves no file.
Status expandDataFile(InstallerContext& context);

}  // namespace saverkit
