// Files and folders, as the installer uses them: paths are single-byte Windows paths with
// backslashes, compared without regard to letter case. Operations that can fail say so with a
// Boolean and leave the operating system's code in lastError(), the way the installer's steps
// fetch it; streams report a status (0 or the system's code) directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"

namespace saverkit {

// Windows error codes the core tests for by name.
namespace win_error {
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kPathNotFound = 3;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kSharingViolation = 32;
inline constexpr Status kHandleEof = 38;
inline constexpr Status kFileExists = 80;
inline constexpr Status kDirNotEmpty = 145;
inline constexpr Status kAlreadyExists = 183;
}  // namespace win_error

struct FolderEntry {
  std::string name;
  bool isFolder = false;
  // A symbolic link or junction: removed as itself, never followed.
  bool isLink = false;
};

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual Status seek(std::uint64_t offset) = 0;
  // Reads up to `size` bytes; fewer at the end of the file (not an error).
  virtual Status read(void* buffer, std::size_t size, std::size_t& bytesRead) = 0;
  virtual std::uint64_t size() const = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status write(const void* data, std::size_t size) = 0;
  // Flushes and closes; later writes fail. Destruction closes too, ignoring errors.
  virtual Status close() = 0;
};

// A file the installer makes and then reads back through the same handle, for as long as it
// holds it: nobody else may write, rename or delete it meanwhile. close() ends the writing only;
// the file stays open for reading until the object goes.
class ScratchFile : public ReadableFile, public WritableFile {};

// A folder held open: while held, neither it nor any folder above it can be renamed, deleted or
// replaced by a link.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;
};

// Who may use a folder the installer makes for itself. Both give SYSTEM and Administrators full
// control and Administrators the ownership, and inherit nothing from above.
enum class FolderRights {
  kAdministratorsOnly,  // the working folder: nobody else may even look
  kUsersMayRead,        // the shared folder: everyone may read and run what is in it
};

// What stands at a path where the installer wants a folder of its own.
struct FolderSafety {
  bool exists = false;
  bool isLink = false;        // a symbolic link, junction or other reparse point
  bool foreignOwner = false;  // owned by someone other than SYSTEM, Administrators or this user
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool fileExists(const std::string& path) = 0;
  virtual bool folderExists(const std::string& path) = 0;
  // A symbolic link or junction itself (with or without a trailing backslash).
  virtual bool isLink(const std::string& path) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // FILE_ATTRIBUTE_NORMAL: clears read-only, hidden and system.
  virtual bool setNormalAttributes(const std::string& path) = 0;
  virtual bool addArchiveAttribute(const std::string& path) = 0;
  virtual bool createFolder(const std::string& path) = 0;
  virtual bool removeFolder(const std::string& path) = 0;
  virtual bool copyFile(const std::string& source, const std::string& target,
                        bool failIfExists) = 0;
  // The code of the last failed operation on this thread.
  virtual Status lastError() const = 0;
  // The entries of a folder, without "." and "..".
  virtual std::vector<FolderEntry> listFolder(const std::string& folder) = 0;
  virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
  virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path, Status& error) = 0;
  // Creates the file as a new one; an existing file is deleted first, never written into.
  virtual std::unique_ptr<WritableFile> createFile(const std::string& path, Status& error) = 0;

  // Creates a folder with the given rights set at its creation, so that nobody else ever has a
  // moment of write access to it. False with lastError() when it cannot be made.
  virtual bool createProtectedFolder(const std::string& path, FolderRights rights) = 0;
  // Creates a new folder with the given rights and holds it, in one step, so that nobody can
  // put another folder in its place between the two. Nothing, with the system's code in
  // `error`, when it cannot be made (it exists already: 183).
  virtual std::unique_ptr<HeldFolder> createHeldFolder(const std::string& path, FolderRights rights,
                                                       Status& error) = 0;
  // Makes a folder ours and holds it: made with the rights when missing; otherwise opened as
  // itself (never through a link), judged on that handle, given to Administrators with the
  // rights set anew. Nothing, with -607 in `error`, for a link or a folder that someone other
  // than SYSTEM, Administrators or this user owns, and for a shared folder (kUsersMayRead) that
  // this user's programs made without administrator rights; the system's code otherwise.
  virtual std::unique_ptr<HeldFolder> secureFolder(const std::string& path, FolderRights rights, Status& error) = 0;
  virtual FolderSafety folderSafety(const std::string& path) = 0;
  // Nothing, with the system's code in `error`, when the folder cannot be opened.
  virtual std::unique_ptr<HeldFolder> holdFolder(const std::string& path, Status& error) = 0;
  // Creates a new file (an existing one is deleted first) that others may only read.
  virtual std::unique_ptr<ScratchFile> createScratchFile(const std::string& path, Status& error) = 0;

  // Removes a folder (with or without a trailing backslash) and everything in it, relative to
  // what it has opened, so that nothing swapped in meanwhile can lead it elsewhere: a symbolic
  // link or junction, at the top or at any depth, goes as itself and is never entered. 0 when
  // the folder is gone (or never was, or is a file, which stays); -1 when it stays or the text
  // is empty; -32 when a file directly in it would not go even with normal attributes (the walk
  // stops there; such a file deeper down stops only its own folder's walk, and the top stays: -1).
  virtual Status removeFolderTree(const std::string& folder) = 0;

  // Work relative to a held folder: nothing below it is looked up by its path again, and a link
  // or junction met on the way is never followed.

  // Walks a full path from its drive (or share) root, opening each folder relative to the one
  // before as itself, and holds the last one. Nothing, with -607 in `error`, when a link stands
  // anywhere on the way; the system's code when a folder cannot be opened (2 or 3: not there).
  virtual std::unique_ptr<HeldFolder> holdFolderWithoutLinks(const std::string& path, Status& error) = 0;
  // A new folder `name` in a held folder, made with the rights and held in one step; never an
  // existing one (183 when anything stands at that name).
  virtual std::unique_ptr<HeldFolder> createHeldFolderIn(HeldFolder& parent, const std::string& name,
                                                         FolderRights rights, Status& error) = 0;
  // Takes whatever stands at `name` in a held folder (a folder, a file or a link) out of the way:
  // opened as itself, renamed through that handle to a new name in the same folder, then removed
  // relative to handles (a link as itself). What cannot be removed wholly is renamed back.
  // 0 when nothing stands at the name any more; -607 when the entry stays where it was.
  virtual Status removeEntryIn(HeldFolder& parent, const std::string& name) = 0;
  // Creates a file at `relativePath` (names joined by backslashes) below a held folder, making
  // missing folders one at a time, each relative to the one before; an existing file there is
  // deleted first, never written into. Nothing, with -607 in `error`, when a link stands on the
  // way or at the name; the system's code otherwise.
  virtual std::unique_ptr<WritableFile> createFileIn(HeldFolder& folder, const std::string& relativePath,
                                                     Status& error) = 0;
  // Deletes `name` in a held folder when it is a plain file: opened as itself, its attributes
  // reset when the first deletion is refused, deleted through that handle. 0 when it is gone or
  // never was; -32 when it stays, or is a folder or a link (which are left alone).
  virtual Status deletePlainFileIn(HeldFolder& folder, const std::string& name) = 0;
  // Removes everything in a held folder relative to its handle, as removeFolderTree does, and
  // marks the folder itself, which goes when the last hold on it ends: 0, -1 when something in
  // it stays, -32 when a file directly in it would not go.
  virtual Status removeTreeThrough(HeldFolder& folder) = 0;
};

}  // namespace saverkit
