// The movie file as the movie panel reads it before a player sees it: the signature, the
// expansion of a compressed movie into the panel's temporary folder, and the walk over the
// header and tags up to the background colour, which tells the movie's SWF version.
//
// Damage that the reader meets on the way (a file that ends early, a broken zlib stream, one that
// expands too far, a file that cannot be opened or written) is raised as SaverkitError, not
// returned: the caller of playMovie reports it as an error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/status.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace saverkit {

inline constexpr const char* kCompressedSegmentName = "compressedSWFSegment.swf";
inline constexpr const char* kUncompressedMovieName = "unCompressedSWF.swf";
inline constexpr const char* kPanelFolderPrefix = "FlashPanel";
inline constexpr std::uint8_t kOldestMovieVersion = 3;
inline constexpr std::uint8_t kNewestMovieVersion = 11;
// The most a compressed movie may expand to. The expanded copy serves only to read the movie's
// version and walk its first tags, yet it is written in full to the user's local folder before
// the window shows; a header may declare up to 4 GiB. Screen saver movies are a few megabytes,
// so this leaves them room many times over while a crafted stream cannot fill the disk.
inline constexpr std::uint64_t kLargestExpandedMovie = std::uint64_t{64} << 20;

// The movie panel's fields that the reader reads and sets.
struct MovieFileState {
  std::string swfFilename;
  std::string formatSignature;  // the first three characters of the last file read
  std::uint8_t swfVersion = 0;
  std::string tempFolder;  // empty until a compressed movie needs it
  // The temporary folder, held from its creation for as long as the panel lives, and removed
  // through this hold.
  std::shared_ptr<HeldFolder> tempFolderHold;
};

// Sets formatSignature from `swfFilename`: 0, or -404 for neither "FWS" nor "CWS". A missing
// file reads nothing and keeps the old signature.
Status readSWFFileFormatType(FileSystem& files, MovieFileState& movie);

// Copies the compressed body into "compressedSWFSegment.swf" and expands it, behind an "FWS"
// header, into "unCompressedSWF.swf", both in `tempFolder` (created first when empty): 0, or
// the system's code when the folder cannot be created. A stream that ends early ends the
// expansion without an error; the walk over the copy then finds what is missing. A stream that
// would expand past the length the header declares, or past kLargestExpandedMovie, is raised.
Status inflateSWFFileToTempFile(FileSystem& files, SystemInfo& system, MovieFileState& movie);

// Sets swfVersion from an uncompressed movie and walks its tags to the background colour:
// 0, -404 (not "FWS"), -405 (newer than 11) or -406 (older than 3). A missing file gives 0.
Status readSWFFile_FWS_Format(FileSystem& files, MovieFileState& movie, const std::string& path);

// True when the tag header's code is 9 (SetBackgroundColor); shortLength gets its 6-bit length.
bool isBackgroundColorTag(const std::uint8_t header[2], std::uint32_t& shortLength);

}  // namespace saverkit
