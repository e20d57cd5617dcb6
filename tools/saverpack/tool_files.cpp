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

fs::path findImplodeLibrary(const fs::path& stub, const fs::path& programFolder) {
  std::vector<fs::path> places = {stub.parent_path() / kLibraryFileName};
  for (const fs::path& folder : toolFolders(programFolder)) {
    const fs::path place = folder / kLibraryFileName;
    if (place.lexically_normal() != places.front().lexically_normal()) places.push_back(place);
  }
  const fs::path found = firstExisting(places);
  if (found.empty()) {
    throw invalidInput("slots.1.file: " + std::string(kLibraryFileName) + " not found; looked for " +
                       placesText(places) + ". Put it beside the stub, or name it in slots.1.file");
  }
  return found;
}

}  // namespace saverpack
