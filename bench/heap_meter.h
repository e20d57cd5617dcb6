// Counts heap use inside this benchmark process, so memory figures cover whatever a codec
// allocates besides the work area it is given.
#pragma once

#include <cstddef>

namespace bench {

// Starts a measurement window; heapPeak() then reports the highest heap growth since.
void heapReset();
std::size_t heapPeak();

}  // namespace bench
