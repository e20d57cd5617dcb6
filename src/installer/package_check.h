// The whole package checked before an install touches the machine. A broken download found
// only halfway through would already have cost the user the working install it replaces: the
// old product folder, engine and uninstall entry go before the new ones are written. So the
// slots the install will extract, and the data file's directory and items, are checked first,
// and the install ends with the status the fault would have had later, with nothing to undo.
#pragma once

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

// 0, or the first fault: -531 (an engine, data file or read-me slot without a name), -601,
// -603, -7 (a stored length of zero or less), -30 (stored bytes beyond the end of the file),
// -605 (an item count or directory that does not fit the data file, an item outside it),
// -604 (an item path that leaves the product folder), or the system's code when the working
// copy cannot be read. Shown as the later steps would show it.
Status checkPackageBeforeInstall(InstallerContext& context);

}  // namespace saverkit
