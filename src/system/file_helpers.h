// The installer's file and folder helpers: deletion with an attribute reset and retries,
// removal of a folder tree, copying with the target prepared, creation of a folder chain and
// reading a file's version.
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace saverkit {

// 0 when the file is gone (or never was); -32 when it stays after a second try with normal
// attributes.
Status deleteFileOnce(FileSystem& files, const std::string& path);

// Up to `attempts` tries in a row, without pausing: 0, -32, -38 for a ".scr" (any case), or -1
// when no attempt was allowed.
Status deleteFileRetrying(FileSystem& files, const std::string& path, int attempts);

// Removes a folder (given with a trailing backslash) and everything in it: 0, -1 when the
// folder stays or the text is empty, -32 for a file inside that would not go. Links and
// junctions, at the top or inside, are removed as themselves and never followed, even when one
// is swapped in during the removal (see FileSystem::removeFolderTree).
Status deleteFolderTree(FileSystem& files, const std::string& folder);

// Copies with the target prepared: normal attributes on source and an existing target, the
// target's folder chain created when missing. The caller reads lastError() on failure.
bool copyFilePrepared(FileSystem& files, const std::string& source, const std::string& target,
                      bool failIfExists);

// Creates the folder and any missing parents; failures are not reported.
void forceFolders(FileSystem& files, const std::string& folder);

// The major (first) and third version numbers; both untouched without version data.
void myGetFileVersion(SystemInfo& system, const std::string& path, std::int32_t& major,
                      std::int32_t& third);

}  // namespace saverkit
