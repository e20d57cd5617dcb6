// What the flash layer needs of the program around it, and nothing more: the platform services
// that detect, install and host a player, the window side of the movie panel, and the record of
// the player version the run has read. The installer hands these down; flash never sees the
// installer's context, so the movie panel and the player steps can be tested and changed alone.
#pragma once

#include <cstdint>

#include "platform/platform_types.h"

namespace saverkit {

class Clock;
class FileSystem;
class PlayerControl;
class Registry;
class Shell;
class SystemInfo;

// The window side of the movie panel, which the installer's view provides.
class MovieHost {
 public:
  virtual ~MovieHost() = default;
  // The panel's window, the parent of the player control.
  virtual WindowHandle moviePanelHandle() const = 0;
  virtual bool moviePanelVisible() const = 0;
  virtual void repaintMoviePanel() = 0;
  virtual void focusMoviePanel() = 0;
  virtual void setMoviePanelColor(std::uint32_t rgb) = 0;
  // Takes the panel out of the layout for good: it is being destroyed.
  virtual void collapseMoviePanel() = 0;
  // Handles one message, waiting a short while for one when none is queued.
  virtual void handleOneMessage() = 0;
  virtual void bringApplicationToFront() = 0;
};

// The first version read from a player control answers every later read of the run: asking a
// control again costs a new control each time.
struct PlayerVersionCache {
  std::int32_t major = -1;
  std::int32_t release = -1;
};

struct FlashServices {
  FileSystem& files;
  SystemInfo& system;
  Registry& registry;
  Clock& clock;
  Shell& shell;
  PlayerControl& player;
  MovieHost& host;
  PlayerVersionCache& versionCache;
};

}  // namespace saverkit
