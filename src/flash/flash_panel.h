// TFlashPanel: the installer window's movie panel. It reads a movie before any player sees it
// (signature, version, the expanded copy of a compressed movie), checks the installed player
// against the movie's version, and hosts one player control that plays the movie. The panel's
// temporary folder lives as long as the panel.
#pragma once

#include <memory>
#include <string>

#include "common/status.h"
#include "flash/swf_reader.h"
#include "platform/player_control.h"
#include "flash/flash_services.h"

namespace saverkit {

class FlashPanel {
 public:
  explicit FlashPanel(FlashServices& services) : services_(services) {}
  // Frees the player and removes the temporary folder with everything in it.
  ~FlashPanel();
  FlashPanel(const FlashPanel&) = delete;
  FlashPanel& operator=(const FlashPanel&) = delete;

  // 0 when the movie plays (or already played from this path); otherwise the first failing
  // step's status: -404..-406 from the reading, a folder-creation code, -401 (no player),
  // -410 (player older than the movie) or -403 (no control could be created). Errors of the
  // reading and of loadAndPlay are raised, not returned.
  Status playMovie(const std::string& path);
  // 0, -401 when no player is installed, -410 when it is older than the movie.
  Status checkFlashPlayerForMovie();
  // 0, or -409 when the player refused to stop or be freed (it is then kept).
  Status releasePlayer();
  // 0, or -403 when no control could be created in 10000 attempts.
  Status createPlayer();
  void loadAndPlay();
  // Gives the keyboard focus to the movie; failures are of no consequence.
  void focusMovie();
  // Back to no player and no movie, on a black panel.
  void stopMovie();

  const MovieFileState& movie() const { return movie_; }
  bool hasPlayer() const { return player_ != nullptr; }

 private:
  void applyPlayerSettings();

  FlashServices& services_;
  std::unique_ptr<HostedPlayer> player_;
  MovieFileState movie_;
};

}  // namespace saverkit
