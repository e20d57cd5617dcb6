// The Flash Player control: asked for its "$version" without showing anything, or hosted in the
// movie panel to play a movie.
#pragma once

#include <memory>
#include <string>

#include "platform/platform_types.h"

namespace saverkit {

struct PlayerVersionAnswer {
  enum class Outcome { kNotCreated, kQueryFailed, kAnswered };
  Outcome outcome = Outcome::kNotCreated;
  std::string text;  // the "$version" answer, e.g. "WIN 10,0,45,2"
};

// OLE verbs the movie panel sends to its player.
inline constexpr int kVerbShow = -1;
inline constexpr int kVerbHide = -3;

// One player control living in the movie panel. Each operation throws SaverkitError when the
// control refuses it. Destruction frees the control and its window.
class HostedPlayer {
 public:
  virtual ~HostedPlayer() = default;
  // Attaches the created control to its host window in the panel; a control that cannot be
  // attached is still the panel's player.
  virtual void placeInPanel() = 0;
  virtual void setScaleMode(int mode) = 0;
  virtual void setVariable(const std::string& name, const std::string& value) = 0;
  virtual void setWindowMode(const std::string& mode) = 0;
  virtual void setMenu(bool shown) = 0;
  virtual void doVerb(int verb) = 0;
  virtual void setMovie(const std::string& path) = 0;
  virtual void play() = 0;
  virtual void stopPlay() = 0;
  virtual void takeFocus() = 0;
};

// The control is made from `controlFile`, the full path of the file the machine registers for
// it, loaded by that path: never through COM's lookup, which takes the user's own registration
// first, and never by a name searched for beside the installer.
class PlayerControl {
 public:
  virtual ~PlayerControl() = default;
  // Creates a temporary control, asks it, and frees it again.
  virtual PlayerVersionAnswer queryVersion(const std::string& controlFile) = 0;
  // A control created for `panel`, with a host window filling it, not yet attached; nullptr
  // when no control can be created.
  virtual std::unique_ptr<HostedPlayer> createHostedPlayer(WindowHandle panel, const std::string& controlFile) = 0;
};

}  // namespace saverkit
