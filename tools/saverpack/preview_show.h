// saverpack preview --show: the saver's own show as pictures. The installer is run quietly in
// the preview's private prefix, the saver it installed is started full screen (/s) on the
// session's display, and the whole screen is photographed at fixed times: kept as numbered PNG
// frames, or joined by ImageMagick into an animated GIF or WebP. The session removes the
// install with everything else when it ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "package/package_format.h"
#include "window_listing.h"
#include "wine_session.h"

namespace saverpack {

struct ShowRequest {
  enum class Form { kFrames, kGif, kWebp };
  Form form = Form::kFrames;
  int everySeconds = 4;
  int forSeconds = 16;  // the last frame is taken this long after the first
  std::filesystem::path output;
};

// What --show, --every and --for ask for; nothing without --show. Throws ToolError(kUsage) for
// --every or --for without --show, values out of range, or an output that is not .png, .gif or
// .webp.
std::optional<ShowRequest> showRequest(const ParsedArgs& args);

// The files written: "show.png" gives show-01.png, show-02.png, …; an animation is one file.
std::vector<std::filesystem::path> showOutputs(const ShowRequest& request);

// The frames taken: one at the start, then one every everySeconds until forSeconds.
int frameCount(const ShowRequest& request);

// A mapped window covering the whole screen of that size: the saver at work.
std::optional<XWindow> findFullScreenWindow(const std::vector<XWindow>& windows, int width, int height);

// Installs the session's installer (already in its shared folder) quietly, runs the installed
// saver with /s and writes the request's files. Throws ToolError: kInvalid when the install
// fails or the saver shows nothing full screen or ends early, kIo for Wine or ImageMagick.
void recordShow(const CommandContext& context, WineSession& session, const PreviewPrograms& programs,
                const ShowRequest& request, const saverkit::PackageHeader& header, int timeoutSeconds);

}  // namespace saverpack
