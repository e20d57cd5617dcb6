// Locating the stub and the implode library; see the header.
#include "tool_files.h"

#include "file_io.h"
#include "header_rules.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

std::string placesText(const std::vector<fs::path>& places) {
  std::string text;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i > 0) text += i + 1 == places.size() ? " or " : ", ";
    text += quoteText(pathToUtf8(places[i]));
  }
  return text.empty() ? "(no folder: the program's own folder is unknown)" : text;
}

fs::path firstExisting(const std::vector<fs::path>& places) {
  std::error_code error;
  for (const fs::path& place : places) {
    if (fs::is_regular_file(place, error)) return place;
  }
  return {};
}

}  // namespace

std::vector<fs::path> toolFolders(const fs::path& programFolder) {
  if (programFolder.empty()) return {};
  return {programFolder, (programFolder / ".." / "share" / "saverkit").lexically_normal()};
}

fs::path findStub(const fs::path& programFolder) {
  std::vector<fs::path> places;
  for (const fs::path& folder : toolFolders(programFolder)) places.push_back(folder / kStubFileName);
  const fs::path found = firstExisting(places);
  if (found.empty()) {
    throw invalidInput("stub: " + std::string(kStubFileName) + " not found; looked for " + placesText(places) +
                       ". Pass --stub FILE, or install saverpack with its stub (configure with "
                       "-DSAVERKIT_STUB_DIR=FOLDER, then cmake --install)");
  }
  return found;
}

fs::path findBesideStub(const fs::path& stub, const fs::path& programFolder, const char* fileName,
                        const std::string& where, const std::string& remedy) {
  std::vector<fs::path> places = {stub.parent_path() / fileName};
  for (const fs::path& folder : toolFolders(programFolder)) {
    const fs::path place = folder / fileName;
    if (place.lexically_normal() != places.front().lexically_normal()) places.push_back(place);
  }
  const fs::path found = firstExisting(places);
  if (found.empty()) {
    throw invalidInput(where + ": " + fileName + " not found; looked for " + placesText(places) + ". " + remedy);
  }
  return found;
}

fs::path findImplodeLibrary(const fs::path& stub, const fs::path& programFolder) {
  return findBesideStub(stub, programFolder, kLibraryFileName, "slots.1.file",
                        "Put it beside the stub, or name it in slots.1.file");
}

fs::path findReferenceEngine(const fs::path& stub, const fs::path& programFolder) {
  return findBesideStub(stub, programFolder, kEngineFileName, "engine",
                        "Install saverpack with it (cmake --install puts it beside the stub), or name your "
                        "own .scr in slots.6.file instead");
}

fs::path findPlayerStandIn(const fs::path& stub, const fs::path& programFolder) {
  std::vector<fs::path> places;
  if (!stub.empty()) places.push_back(stub.parent_path() / kPlayerStandInFileName);
  for (const fs::path& folder : toolFolders(programFolder)) places.push_back(folder / kPlayerStandInFileName);
  const fs::path found = firstExisting(places);
  if (found.empty()) {
    throw invalidInput("the package needs a Flash Player, which Wine lacks, and the stand-in player's installer " +
                       std::string(kPlayerStandInFileName) + " was not found; looked for " + placesText(places) +
                       ". It is built by the win32 build and installed with saverpack (SAVERKIT_STUB_DIR)");
  }
  return found;
}

}  // namespace saverpack
