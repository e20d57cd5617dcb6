// Sound volume; see the header.
#include "sound_volume.h"

#include <algorithm>

namespace saverkit::slideshow {

void applyVolume(std::int16_t* samples, std::size_t count, int volume) {
  const std::int32_t level = std::clamp(volume, 0, 100);
  const std::int32_t gain = level * level;  // out of 10000
  if (gain == 10000) return;
  for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(samples[i] * gain / 10000);
}

}  // namespace saverkit::slideshow
