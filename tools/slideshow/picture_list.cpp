// The picture list; see the header.
#include "picture_list.h"

#include <algorithm>
#include <numeric>

#include "common/text_helpers.h"

namespace saverkit::slideshow {

bool isPictureFile(std::string_view name) {
  const std::string lowered = toLowerAscii(name);
  for (const char* extension : {".bmp", ".dib", ".jpg", ".jpeg", ".jpe", ".jfif", ".png", ".gif"}) {
    if (endsWith(lowered, extension) && lowered.size() > std::char_traits<char>::length(extension)) return true;
  }
  return false;
}

std::vector<std::string> collectPictures(FileSystem& files, const std::string& folder,
                                         std::size_t limit) {
  std::vector<std::string> pictures;
  if (folder.empty() || files.isLink(folder)) return pictures;
  // Depth first with an explicit list of folders still to read: a deep tree cannot exhaust the
  // stack, and without links there are no cycles.
  std::vector<std::string> pending{withTrailingBackslash(folder)};
  while (!pending.empty() && pictures.size() < limit) {
    const std::string current = pending.back();
    pending.pop_back();
    for (const FolderEntry& entry : files.listFolder(current)) {
      if (entry.isLink) continue;
      if (entry.isFolder) {
        pending.push_back(current + entry.name + "\\");
      } else if (isPictureFile(entry.name) && pictures.size() < limit) {
        pictures.push_back(current + entry.name);
      }
    }
  }
  std::sort(pictures.begin(), pictures.end(), [](const std::string& a, const std::string& b) {
    const std::string lowerA = toLowerAscii(a), lowerB = toLowerAscii(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
  });
  return pictures;
}

PictureOrder::PictureOrder(std::size_t count, bool shuffled, std::uint32_t seed)
    : count_(count), shuffled_(shuffled), random_(seed), round_(count) {
  std::iota(round_.begin(), round_.end(), std::size_t{0});
  if (shuffled_) std::shuffle(round_.begin(), round_.end(), random_);
}

void PictureOrder::startRound() {
  position_ = 0;
  if (!shuffled_ || count_ < 2) return;
  const std::size_t last = round_.back();
  std::shuffle(round_.begin(), round_.end(), random_);
  // The picture just shown moves to a random later place of the new round.
  if (round_.front() == last) {
    std::uniform_int_distribution<std::size_t> place(1, count_ - 1);
    std::swap(round_.front(), round_[place(random_)]);
  }
}

std::size_t PictureOrder::next() {
  if (count_ == 0) return 0;
  if (position_ == count_) startRound();
  return round_[position_++];
}

}  // namespace saverkit::slideshow
