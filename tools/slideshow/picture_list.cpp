// The picture list; see the header.
#include "picture_list.h"

#include <algorithm>
#include <initializer_list>
#include <numeric>

#include "common/text_helpers.h"

namespace saverkit::slideshow {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One folder or file name against another; digits run against digits by value.
int compareNames(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      std::size_t endA = i, endB = j;
      while (endA < a.size() && isDigit(a[endA])) ++endA;
      while (endB < b.size() && isDigit(b[endB])) ++endB;
      // Leading zeros aside, the longer run is the larger number; of equal length, the digits tell.
      std::size_t startA = i, startB = j;
      while (startA + 1 < endA && a[startA] == '0') ++startA;
      while (startB + 1 < endB && b[startB] == '0') ++startB;
      if (endA - startA != endB - startB) return endA - startA < endB - startB ? -1 : 1;
      if (const int digits = a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB))) return digits;
      i = endA;
      j = endB;
      continue;
    }
    const auto left = static_cast<unsigned char>(lowered(a[i])), right = static_cast<unsigned char>(lowered(b[j]));
    if (left != right) return left < right ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

int compareNaturally(std::string_view a, std::string_view b) {
  std::string_view restA = a, restB = b;
  while (true) {
    const std::size_t endA = std::min(restA.find('\\'), restA.size());
    const std::size_t endB = std::min(restB.find('\\'), restB.size());
    if (const int names = compareNames(restA.substr(0, endA), restB.substr(0, endB))) return names;
    // The same name: a file ends before a folder of that name goes on.
    const bool moreA = endA < restA.size(), moreB = endB < restB.size();
    if (moreA != moreB) return moreA ? 1 : -1;
    if (!moreA) break;
    restA.remove_prefix(endA + 1);
    restB.remove_prefix(endB + 1);
  }
  // Equal but for case or leading zeros ("a01" and "A1"): still a fixed order, so a sort is stable
  // from run to run.
  return a.compare(b);
}

static bool endsWithOneOf(std::string_view name, std::initializer_list<const char*> extensions) {
  const std::string lowered = toLowerAscii(name);
  for (const char* extension : extensions) {
    if (endsWith(lowered, extension) && lowered.size() > std::char_traits<char>::length(extension)) return true;
  }
  return false;
}

bool isPictureFile(std::string_view name) {
  return endsWithOneOf(name, {".bmp", ".dib", ".jpg", ".jpeg", ".jpe", ".jfif", ".png", ".gif", ".tif", ".tiff",
                              ".ico", ".heic", ".heif", ".hif", ".webp", ".avif", ".jxr", ".wdp"});
}

bool isVideoFile(std::string_view name) { return endsWithOneOf(name, {".mp4", ".m4v", ".mov", ".wmv", ".webm"}); }

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
      } else if ((isPictureFile(entry.name) || isVideoFile(entry.name)) && pictures.size() < limit) {
        pictures.push_back(current + entry.name);
      }
    }
  }
  std::sort(pictures.begin(), pictures.end(), naturallyBefore);
  return pictures;
}

PictureOrder::PictureOrder(std::size_t count, bool shuffled, std::uint32_t seed, const OrderPoint& start)
    : count_(count), shuffled_(shuffled), random_(seed), round_(count) {
  if (!shuffled_) {
    std::iota(round_.begin(), round_.end(), std::size_t{0});
    position_ = count_ == 0 ? 0 : start.position % count_;
    return;
  }
  // A round made for another number of pictures would leave some out or name some twice.
  const bool resumed = start.count == count_ && count_ > 0;
  roundSeed_ = resumed ? start.roundSeed : static_cast<std::uint32_t>(random_());
  makeRound();
  position_ = resumed ? std::min(start.position, count_) : 0;
}

void PictureOrder::makeRound() {
  std::iota(round_.begin(), round_.end(), std::size_t{0});
  std::mt19937 roundRandom(roundSeed_);
  std::shuffle(round_.begin(), round_.end(), roundRandom);
}

void PictureOrder::startRound() {
  position_ = 0;
  if (!shuffled_ || count_ < 2) return;
  const std::size_t last = round_.back();
  // The picture just shown never opens the new round; the round must follow from its seed alone,
  // so another seed is drawn rather than the round mended.
  do {
    roundSeed_ = static_cast<std::uint32_t>(random_());
    makeRound();
  } while (round_.front() == last);
}

std::size_t PictureOrder::next() {
  if (count_ == 0) return 0;
  if (position_ == count_) startRound();
  return round_[position_++];
}

}  // namespace saverkit::slideshow
