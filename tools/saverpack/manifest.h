// The build manifest: a JSON file naming the saver, its presentation, its options and the
// files for each slot (or a folder of content for the data file). Reading it checks types and
// spellings and reports every problem by its field; the package rules are checked by the
// builder. Relative paths are taken from the manifest's own folder.
#pragma once

#include <filesystem>
#include <string>

#include "package_builder.h"

namespace saverpack {

// Throws ToolError(kInvalid) listing every problem found. The request's stub is left empty.
BuildSpec parseManifest(const std::string& text, const std::filesystem::path& baseFolder);

// Throws ToolError(kIo) when the manifest cannot be read.
BuildSpec loadManifest(const std::filesystem::path& manifest);

}  // namespace saverpack
