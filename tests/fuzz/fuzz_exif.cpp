// Fuzzes the EXIF readers on a picture file's first bytes: any bytes give an orientation from 1 to
// 8 and either no date or a real one, and nothing is read past the bytes given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "exif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverkit::slideshow;
  const int orientation = exifOrientation(data, size);
  if (orientation < 1 || orientation > 8) std::abort();
  if (const auto date = exifDateTaken(data, size)) {
    if (date->year < 1800 || date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31) std::abort();
  }
  return 0;
}
