// A complete sample project that builds as it is: a manifest, a 482 x 272 picture, a licence,
// a read-me, a stand-in engine and a small content tree. Authors start from it and replace the
// files one by one; the tests build it to keep it working.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "file_io.h"

namespace saverpack {

struct SampleProject {
  std::string saverName;
  std::vector<std::string> written;  // "/"-separated, relative to the folder, in writing order
  std::vector<std::string> notes;    // what the author should know before building
};

// What the author brings instead of the sample's own files; empty paths keep the sample's.
struct SampleChoices {
  std::filesystem::path video;    // a clip the saver plays, copied into content/
  std::filesystem::path picture;  // the installer window's picture, a BMP or JPEG
};

inline constexpr const char* kFallbackSaverName = "My Screen Saver";

// A saver name made from the folder's name ("ocean-sample" gives "Ocean Sample"), or
// "My Screen Saver" when the folder's name does not make a valid one.
std::string saverNameForFolder(const std::filesystem::path& folder);

// Writes the sample into `folder`, creating it. Throws ToolError(kUsage) when the folder holds
// anything and `force` is false, or when the name is not a valid saver name; kIo when a chosen
// file cannot be read, kInvalid when it is not what it should be. Nothing is written then.
SampleProject writeSampleProject(const std::filesystem::path& folder, const std::string& saverName, bool force,
                                 const SampleChoices& choices = {});

// The sample's picture: a 24-bit BMP of exactly the presentation area's size.
Bytes samplePicture();

}  // namespace saverpack
