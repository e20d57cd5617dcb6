// A private place to run one installer under Wine: its own folder, its own X display (Xvfb,
// admitting only holders of the session's cookie) and its own Wine prefix, copied from a
// template prefix that is made once and kept in the user's cache folder. The prefix has no
// drive for the Linux file system, only one for the session's exchange folder, and its programs
// get almost none of the author's environment. Nothing of the user's own Wine prefix or display
// is touched, and everything the session started or wrote is gone when it ends.
// Linux only: on Windows, findPreviewPrograms says so and nothing else is reached.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"

namespace saverpack {

// The programs a preview runs, found on PATH.
struct PreviewPrograms {
  std::filesystem::path wine;
  std::filesystem::path wineserver;
  std::filesystem::path xvfb;
  std::filesystem::path xwininfo;
  std::filesystem::path import;
  std::filesystem::path copy;
  std::filesystem::path convert;  // ImageMagick's, for animations only: may be empty
};

// Throws ToolError(kIo) naming every missing program and the Debian packages that bring it.
PreviewPrograms findPreviewPrograms();

class WineSession {
 public:
  // The private display's one screen.
  static constexpr int kScreenWidth = 1024;
  static constexpr int kScreenHeight = 768;

  // Makes the session's folder in the cache folder (and removes those of earlier previews
  // whose process is gone). Progress lines go to `progress`. Throws ToolError(kIo).
  WineSession(PreviewPrograms programs, std::ostream& progress);
  // Ends every Wine program of the prefix, stops the display and removes the folder.
  ~WineSession();
  WineSession(const WineSession&) = delete;
  WineSession& operator=(const WineSession&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // The session's Wine prefix, once preparePrefix has made it.
  const std::filesystem::path& prefix() const { return prefix_; }
  // The folder that Wine programs of the session see as their only drive besides C:. Files the
  // installer is to run, read or write go here.
  std::filesystem::path shared() const { return folder_ / "shared"; }
  // The path Wine programs use for the file `name` of the shared folder.
  static std::string windowsPath(const std::string& name);

  // Starts Xvfb on a free display number. Throws ToolError(kIo).
  void startDisplay();
  // Copies the template prefix into the session, making the template first when there is
  // none for this Wine. Needs the display. Throws ToolError(kIo).
  void preparePrefix();

  // Runs a Wine program to its end (or the timeout) with the session's prefix and display.
  ProgramResult runWine(const std::vector<std::string>& args, std::chrono::milliseconds timeout);
  // Starts a Wine program and leaves it running; exitedProgram() tells when it has ended.
  void startWine(const std::vector<std::string>& args);
  // The exit code of the started program once it has ended (-1 for a signal).
  std::optional<int> exitedProgram();
  // Runs an X program (xwininfo, import) against the session's display, capturing its output.
  ProgramResult runOnDisplay(const std::filesystem::path& program, const std::vector<std::string>& args);

  // Sleeps, but throws ToolError when the user interrupts saverpack (Ctrl-C), so that the
  // destructor cleans up.
  static void pause(std::chrono::milliseconds length);

 private:
  std::filesystem::path authorityFile() const { return folder_ / "xauthority"; }
  void writeAuthority() const;
  void limitDrives();
  std::vector<std::string> sessionSettings() const;
  std::vector<std::string> wineEnvironment(const std::filesystem::path& prefix, bool forTemplate) const;
  std::filesystem::path makeTemplate(const std::filesystem::path& where, const std::string& wineVersion);
  void endWine() noexcept;

  PreviewPrograms programs_;
  std::ostream& progress_;
  std::filesystem::path cache_;
  std::filesystem::path folder_;
  std::filesystem::path prefix_;
  std::string display_;
  int displayProcess_ = -1;
  int startedProgram_ = -1;
  std::optional<int> startedExit_;
  bool wineUsed_ = false;
};

}  // namespace saverpack
