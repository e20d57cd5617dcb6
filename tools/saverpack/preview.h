// saverpack preview: the installer window as a picture, without Windows. The installer is
// built from a manifest (or taken as given), run under Wine in a private session (its own
// display and prefix, see wine_session.h), photographed once its window is drawn, and ended;
// the session takes everything it made with it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "file_io.h"

namespace saverpack {

// Exit codes: 1 when the installer shows no window (what it showed instead is named), 3 when
// Wine, Xvfb or ImageMagick is missing or a file cannot be read or written.
ExitCode runPreview(const CommandContext& context);

// What an installer's log at `log` says, for an error message: its reports, or that it wrote
// none or no log at all.
std::string installerLogSummary(const std::filesystem::path& log);

// What an installer's log (written with /log=) says beyond its status texts: the boxes it
// showed or answered, errors reported, its exit code. BOM and line ends are dropped.
std::vector<std::string> installerReports(const std::string& log);

// Width and height from a PNG file's header.
std::optional<std::pair<int, int>> pngSize(const Bytes& png);

}  // namespace saverpack
