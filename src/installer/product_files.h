// Writing into the product folder. The install makes the folder anew and holds it; every file
// and folder below it is then made relative to that hold (FileSystem::createFileIn), so that no
// name under the product folder is looked up from the drive's root again. Targets elsewhere (the
// system folders, the working folder) are written by their paths as before.
#pragma once

#include <memory>
#include <string>

#include "common/status.h"
#include "installer/installer_context.h"
#include "package/compressor.h"

namespace saverkit {

// True for a target below the product folder when the install made the shared folder ours but
// could not make the product folder (a file stands at its name): nothing below that name is ours,
// so nothing there is made or looked up by its path; its files fail with "path not found".
bool belowUnmadeProductFolder(const InstallerContext& context, const std::string& target);

// A new file at `target` (an existing one is deleted first): nothing, with the system's code or
// -607 in `error`, when it cannot be made.
std::unique_ptr<WritableFile> createTargetFile(InstallerContext& context, const std::string& target, Status& error);

// Expands imploded bytes into a new file at `target`, writing at most `declaredSize` bytes, as
// TCompressor::expandToFile does (its box for a file that cannot be made, -13 past the size).
Status expandToTarget(InstallerContext& context, TCompressor& compressor, const std::string& target,
                      const std::uint8_t* buffer, std::size_t length, std::uint64_t declaredSize);

// Copies `source` to `target` as copyFilePrepared does: 0, or the system's code of the failed
// open, creation, read or write.
Status copyToTarget(InstallerContext& context, const std::string& source, const std::string& target);

}  // namespace saverkit
