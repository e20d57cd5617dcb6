// Which pictures a show has and in which order: the pictures of the product folder and its
// subfolders (links and junctions are never entered), sorted by path, and the order they are
// shown in, in turn or shuffled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace saverkit::slideshow {

// More than this many files would only cost memory: nobody watches a million pictures.
inline constexpr std::size_t kMaxPictures = 100000;

// A file the engine tries to show, by its extension (any case): BMP, JPEG, PNG and GIF.
bool isPictureFile(std::string_view name);

// Every picture below `folder` (with a trailing backslash), sorted by path without regard to
// letter case. A folder that is itself a link gives nothing.
std::vector<std::string> collectPictures(FileSystem& files, const std::string& folder,
                                         std::size_t limit = kMaxPictures);

// The order of a show over `count` pictures: 0, 1, ... again and again; or, shuffled, one
// permutation after another, where a new round never starts with the picture that ended the
// last one.
class PictureOrder {
 public:
  PictureOrder(std::size_t count, bool shuffled, std::uint32_t seed);
  // The next picture's index; 0 when there are no pictures.
  std::size_t next();

 private:
  void startRound();

  std::size_t count_;
  bool shuffled_;
  std::mt19937 random_;
  std::vector<std::size_t> round_;
  std::size_t position_ = 0;
};

}  // namespace saverkit::slideshow
