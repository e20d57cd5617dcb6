// The product folder of one screen saver, "<shared folder><saver name>\": deriving it safely,
// asking before an existing saver of the same name is replaced, and making room for it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/file_names.h"
#include "common/status.h"
#include "platform/file_system.h"
#include "system/folders.h"

namespace saverkit {

// The product folder for a saver name, or -600 when the name could reach outside the shared
// folder (empty, ".", "..", separators, ":", control or forbidden characters, device names):
// the folder is later replaced and, on rollback, deleted with everything in it.
// The folder carries the name as Windows stores it (no trailing spaces or full stops).
Status deriveProductFolder(const std::string& sharedFolder, const std::string& saverName,
                           std::string& productFolder, const CodePage& codePage = {});

// True when "<folder><name>.scr" or the folder "<folder><name>\" exists.
bool saverExistsIn(FileSystem& files, const std::string& folder, const std::string& name,
                   const CodePage& codePage = {});
// Deletes both, ignoring failures.
void removeSaverFrom(FileSystem& files, const std::string& folder, const std::string& name,
                     const CodePage& codePage = {});

// Makes the shared folder ours before anything goes into it, and holds it in `hold`: -607 (and
// nothing changed) when it is a link or belongs to another user; otherwise it is created, or
// taken over by Administrators with its rights set anew, with read access for users: 0 or the
// system's code.
Status secureSharedFolder(FileSystem& files, const std::string& sharedFolder, std::unique_ptr<HeldFolder>& hold);

// Makes room for the saver in the shared folder: asks first (when `ask` is set and a saver of
// that name exists there or in the Windows folder), takes whatever stands at the product
// folder's name out of the way (FileSystem::removeEntryIn), removes the old saver's engine
// files, and makes the product folder anew, held in `productHold`. 0, -454 when the user
// declines, -600 for an unsafe name, -607 for a shared folder that is not ours (see
// secureSharedFolder; `sharedHold` is then empty) or for an old product folder that cannot be
// moved aside and removed (nothing is changed then), or the system's code. A plain file at the
// product folder's name stays: 0, with `productHold` empty.
// `confirm` puts the OK/Cancel question and says whether the user chose OK.
using ConfirmQuestion = std::function<bool(const std::string& question)>;
Status prepareProductFolder(FileSystem& files, const ConfirmQuestion& confirm, const Folders& folders,
                            const std::string& saverName, bool ask, const std::string& questionTail,
                            const CodePage& codePage, std::unique_ptr<HeldFolder>& sharedHold,
                            std::unique_ptr<HeldFolder>& productHold);

}  // namespace saverkit
