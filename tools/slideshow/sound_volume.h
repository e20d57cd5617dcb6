// A video's sound at the user's volume. The settings' 0 to 100 is taken as loudness, not as
// amplitude: the ear hears halving the amplitude as a small step, so the amplitude follows the
// square of the setting and the middle of the scale sounds like the middle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace saverkit::slideshow {

// Scales 16-bit samples in place for a volume of 0 (silent) to 100 (as recorded).
void applyVolume(std::int16_t* samples, std::size_t count, int volume);

}  // namespace saverkit::slideshow
