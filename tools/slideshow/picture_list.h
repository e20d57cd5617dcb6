// Which pictures a show has and in which order: the pictures of the product folder and its
// subfolders (links and junctions are never entered), in the order Explorer lists them, and the
// order they are shown in, in turn or shuffled, from where the last show stopped.
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

// A file the engine tries to show, by its extension (any case): BMP, JPEG, PNG, GIF, TIFF and ICO,
// which every Windows decodes, and HEIC, WebP, AVIF and JPEG XR, which a machine decodes when
// their codecs are installed (without them the file is passed over as unreadable).
bool isPictureFile(std::string_view name);
// A video the engine plays through Media Foundation: MP4, M4V, MOV, WMV and WebM. Like a picture, a
// video the machine cannot decode is passed over.
bool isVideoFile(std::string_view name);

// Explorer's order of two names: letter case aside, and a run of digits by its value, so "img2"
// comes before "img10". Paths go folder by folder. Negative, zero or positive, as strcmp; zero
// only for equal texts.
int compareNaturally(std::string_view a, std::string_view b);
inline bool naturallyBefore(std::string_view a, std::string_view b) { return compareNaturally(a, b) < 0; }

// Every picture and video below `folder` (with a trailing backslash), in natural order. A folder
// that is itself a link gives nothing.
std::vector<std::string> collectPictures(FileSystem& files, const std::string& folder,
                                         std::size_t limit = kMaxPictures);

// Where a show stands in its order, so that the next show goes on from there. A shuffled round
// is made again from its seed alone; it is only taken up again over as many pictures as it was
// made for.
struct OrderPoint {
  std::size_t position = 0;  // pictures of the round already shown
  std::uint32_t roundSeed = 0;
  std::size_t count = 0;  // 0: no shuffled round to take up
};

// The order of a show over `count` pictures: 0, 1, ... again and again; or, shuffled, one
// permutation after another, where a new round never starts with the picture that ended the
// last one. It starts at `start`: in order its position is the first index, shuffled its round
// is taken up when it was made for `count` pictures.
class PictureOrder {
 public:
  PictureOrder(std::size_t count, bool shuffled, std::uint32_t seed, const OrderPoint& start = {});
  // The next picture's index; 0 when there are no pictures.
  std::size_t next();
  OrderPoint point() const { return {position_, roundSeed_, shuffled_ ? count_ : 0}; }

 private:
  void makeRound();
  void startRound();

  std::size_t count_;
  bool shuffled_;
  std::mt19937 random_;
  std::uint32_t roundSeed_ = 0;
  std::vector<std::size_t> round_;
  std::size_t position_ = 0;
};

}  // namespace saverkit::slideshow
