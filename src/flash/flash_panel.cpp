// The movie panel; see the header.
#include "flash/flash_panel.h"

#include "common/saverkit_error.h"
#include "flash/player_detection.h"
#include "platform/file_system.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

// The panel asks the control for the installed player's version much more patiently than the
// startup does: a player installed moments ago may take a while to answer.
constexpr int kPanelPlayerAttempts = 1000;
constexpr int kPlayerCreationAttempts = 10000;
constexpr std::uint32_t kBlack = 0x000000;

}  // namespace

FlashPanel::~FlashPanel() {
  MovieHost& view = services_.host;
  view.collapseMoviePanel();
  player_.reset();
  // Through its own hold, let go last: never by its name in the user's "Vantrel" again.
  if (movie_.tempFolderHold) services_.files.removeTreeThrough(*movie_.tempFolderHold);
  movie_.tempFolderHold.reset();
}

Status FlashPanel::playMovie(const std::string& path) {
  if (path.empty() || path == movie_.swfFilename) return status::kSuccess;
  movie_.swfFilename = path;
  FileSystem& files = services_.files;
  Status result = readSWFFileFormatType(files, movie_);
  if (result == status::kSuccess && movie_.formatSignature == "FWS") {
    result = readSWFFile_FWS_Format(files, movie_, movie_.swfFilename);
  } else if (result == status::kSuccess && movie_.formatSignature == "CWS") {
    result = inflateSWFFileToTempFile(files, services_.system, movie_);
    if (result == status::kSuccess) {
      result = readSWFFile_FWS_Format(files, movie_, movie_.tempFolder + kUncompressedMovieName);
    }
  }
  if (result == status::kSuccess) result = checkFlashPlayerForMovie();
  if (result == status::kSuccess) releasePlayer();
  if (result == status::kSuccess) result = createPlayer();
  if (result == status::kSuccess) loadAndPlay();
  return result;
}

Status FlashPanel::checkFlashPlayerForMovie() {
  const PlayerVersion installed = getInstalledFlashPlayerVersion(services_, kPanelPlayerAttempts);
  if (!installed.found) return status::kPlayerInstallerMissing;
  if (movie_.swfVersion > installed.major) return status::kPlayerTooOld;
  return status::kSuccess;
}

Status FlashPanel::releasePlayer() {
  if (!player_) return status::kSuccess;
  try {
    player_->stopPlay();
    player_.reset();
  } catch (const SaverkitError&) {
    return status::kPlayerNotReleased;
  }
  // The freed control's window goes away with messages of its own; let one through.
  services_.host.handleOneMessage();
  return status::kSuccess;
}

void FlashPanel::applyPlayerSettings() {
  player_->setScaleMode(0);
  player_->setVariable("Align", "AlClient");
  player_->setWindowMode("Opaque");
  player_->setMenu(false);
}

Status FlashPanel::createPlayer() {
  const WindowHandle panel = services_.host.moviePanelHandle();
  // The loop ends with the first control created: one that then cannot be placed in its host,
  // or refuses a setting, is still the panel's player, kept as it is.
  const std::string controlFile = playerControlFile(services_.registry);
  for (int attempt = 0; attempt < kPlayerCreationAttempts && !player_ && !controlFile.empty(); ++attempt) {
    player_ = services_.player.createHostedPlayer(panel, controlFile);
  }
  if (!player_) return status::kPlayerNotCreated;
  try {
    player_->placeInPanel();
    applyPlayerSettings();
  } catch (const SaverkitError&) {
  }
  return player_ ? status::kSuccess : status::kPlayerNotCreated;
}

void FlashPanel::loadAndPlay() {
  player_->doVerb(kVerbHide);
  player_->setMovie(movie_.swfFilename);
  player_->play();
  player_->doVerb(kVerbShow);
}

void FlashPanel::focusMovie() {
  MovieHost& view = services_.host;
  if (!view.moviePanelVisible() || !player_) return;
  try {
    view.repaintMoviePanel();
    view.focusMoviePanel();
    player_->takeFocus();
  } catch (const SaverkitError&) {
  }
}

void FlashPanel::stopMovie() {
  releasePlayer();
  services_.host.setMoviePanelColor(kBlack);
  movie_.swfFilename.clear();
}

}  // namespace saverkit
