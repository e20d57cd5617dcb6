// Building a screen saver data file from a folder of content: every file below the folder
// becomes one item under its relative path, in a stable order, imploded where that helps (or
// as the author's rules say), behind a saver record the author may supply raw.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"
#include "findings.h"
#include "picture_preparation.h"

namespace saverpack {

enum class ImplodeChoice { kAuto, kAlways, kNever };

// First matching rule wins. A pattern without a separator matches the file name in any
// folder; one with a separator matches the whole relative path. "*" and "?" stay within one
// path component, "**" crosses components; letters match without regard to case.
struct ImplodeRule {
  std::string pattern;
  ImplodeChoice choice = ImplodeChoice::kAuto;
  std::string where;  // how messages name the rule: "data.implode.*.jpg" or "--rule *.jpg=never"
};

struct DataFileSpec {
  std::filesystem::path folder;
  ImplodeChoice defaultChoice = ImplodeChoice::kAuto;
  std::vector<ImplodeRule> rules;
  std::optional<std::int32_t> saverKind;        // overrides the record file's value
  std::optional<std::filesystem::path> recordFile;  // exactly 1240 bytes
  // Further product-folder paths that receive copies of the installer's movie (kind 3 items).
  std::vector<std::string> movieCopies;
  // Links inside the folder are refused unless the author asks for them to be followed: a link
  // can pull in files from anywhere, and a link to a parent folder never ends.
  bool followLinks = false;
  // The file being written, which must not be one of the inputs; empty when unknown.
  std::filesystem::path output;
  std::string where = "data";  // how messages name this request
  // Photos scaled down, turned upright and cleaned of revealing metadata as they are packed.
  std::optional<PictureRules> pictures;
  // Names beyond ASCII are spelt in ASCII, each with a note, instead of refused.
  bool asciiNames = false;
  // Files saverpack makes itself, packed after the folder's: a product-folder path and the bytes.
  std::vector<std::pair<std::string, Bytes>> madeFiles;
};

// What preparing the pictures changed: how many, and their bytes before and after.
struct PictureSavings {
  std::size_t prepared = 0;
  std::uint64_t before = 0;
  std::uint64_t after = 0;
};

struct BuiltItem {
  std::string path;
  std::uint8_t kind = 0;
  std::int32_t expandedSize = 0;
  std::int32_t storedSize = 0;
  bool imploded = false;
};

struct BuiltDataFile {
  Bytes bytes;
  std::vector<BuiltItem> items;
  std::int32_t saverKind = 0;
  // For saver kind 3: the folder's own "installer.swf", which becomes item 1 and, unless the
  // manifest names another file, the installer's slot 3 movie.
  std::optional<std::filesystem::path> installerMovie;
  Findings findings;  // warnings only; errors are thrown
  PictureSavings pictures;
};

// Throws ToolError(kInvalid) listing every problem found, or kIo when a file cannot be read.
BuiltDataFile buildDataFile(const DataFileSpec& request, bool showProgress);

bool matchesGlob(std::string_view pattern, std::string_view path);

// "auto", "always" or "never"; nothing for anything else.
std::optional<ImplodeChoice> parseImplodeChoice(std::string_view text);

}  // namespace saverpack
