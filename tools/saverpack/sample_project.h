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
};

inline constexpr const char* kFallbackSaverName = "My Screen Saver";

// A saver name made from the folder's name ("ocean-sample" gives "Ocean Sample"), or
// "My Screen Saver" when the folder's name does not make a valid one.
std::string saverNameForFolder(const std::filesystem::path& folder);

// Writes the sample into `folder`, creating it. Throws ToolError(kUsage) when the folder holds
// anything and `force` is false, or when the name is not a valid saver name.
SampleProject writeSampleProject(const std::filesystem::path& folder, const std::string& saverName, bool force);

// The sample's picture: a 24-bit BMP of exactly the presentation area's size.
Bytes samplePicture();

}  // namespace saverpack
