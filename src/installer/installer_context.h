// The program-wide records of one run, created by main/WinMain and passed down: the platform,
// the view, the installer state, and (as later steps need them) folders, paths and the package header.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flash/flash_services.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/layout_rules.h"
#include "package/compressor.h"
#include "package/data_file_format.h"
#include "package/package_binding.h"
#include "package/package_extension.h"
#include "package/package_format.h"
#include "platform/platform.h"
#include "system/folders.h"

namespace saverkit {

// The screen saver data file while it is being expanded: the open file and whether it is open.
struct DataFileState {
  std::unique_ptr<ReadableFile> file;
  bool open = false;
};

struct InstallerContext {
  InstallerContext(Platform& platformIn, InstallerView& viewIn) : platform(platformIn), view(viewIn) {}

  Platform& platform;
  // The windows and dialogs; the administrator's switches may stand a wrapper in front of them.
  InstallerView& view;
  // The first version read from the player control answers every later read of the run.
  PlayerVersionCache playerVersionCache;
  // What the movie panel and the player steps get of all this.
  FlashServices flash{platform.files, platform.system, platform.registry, platform.clock,
                      platform.shell, platform.player, view,             playerVersionCache};
  InstallerState state;
  // Set once by the startup sequence; the working folder is removed when the window closes.
  Folders folders;
  // What the run holds open from its start to the window's close, so that the user's other
  // programs cannot change it in between: the working folder (and so every folder above it),
  // the working copy "temp.dat" through which the whole package is read, the implode library
  // while it may be loaded, and the player installer until it has run.
  std::unique_ptr<HeldFolder> workingFolderHold;
  // The installer's own file, opened first thing and held so that it cannot be written,
  // renamed or replaced from then on; the working copy is made from this handle.
  std::unique_ptr<ReadableFile> installerFile;
  Status installerFileError = 0;
  std::unique_ptr<ScratchFile> package;
  // What the stub's own image says of its package, read by main before anything else: the run
  // installs that package or nothing. Empty for a package appended by hand.
  std::optional<PackageBinding> consentedBinding;
  std::unique_ptr<ReadableFile> heldLibrary;
  std::unique_ptr<ReadableFile> heldPlayerInstaller;
  // The data file as the install loop found it: a stored one where it lies in the working copy,
  // an imploded one as expanded into the working folder and read back through the same handle.
  std::unique_ptr<ReadableFile> dataFileSource;
  // The shared folder, made ours and held while an install writes into it.
  std::unique_ptr<HeldFolder> sharedFolderHold;
  // The product folder, made anew by the install and held while it writes into it (relative to
  // this hold) and while a rollback removes it (through this hold).
  std::unique_ptr<HeldFolder> productFolderHold;
  // The package header, read once from the working copy.
  PackageHeader header;
  // What the package's extension record says, read with the header; nothing without a record
  // or with one whose block the installer does not know.
  std::optional<PackageExtension> extension;
  std::string installerPath;
  std::string workCopyPath;
  std::string saverName;
  std::string productFolder;
  std::string dataFilePath;
  // The saver record: read from the data file, written out as "saver.dat".
  SaverRecord saverRecord;
  DataFileState dataFile;
  // The implode library, loaded at the first imploded file of a startup or an install and let go
  // when that ends (see loadedCodec): loading it for each of hundreds of files costs more than
  // expanding them.
  std::unique_ptr<TCompressor> codec;
  // The installer window's layout, kept by the core and applied by the view.
  WindowLayout layout;
  // The system's ANSI code page, for judging names from the package character by character.
  CodePage codePage;
  // How many "/q" switches the command line gives, read once at the start.
  int quietSwitches = 0;
  // The startup's steps in the order they ran.
  std::vector<std::string> startupStepsRun;
  // The process exit code: the install's status in quiet mode, 0 otherwise.
  int exitCode = 0;
};

}  // namespace saverkit
