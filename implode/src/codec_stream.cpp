// The streaming entry points over the caller's work area. Kept apart from the in-memory
// helpers so that impborl.dll links only these and the codec itself: no C++ runtime, no heap.
#include "saverkit/implode/codec.h"

#include "explode_decoder.h"
#include "implode_encoder.h"

namespace saverkit::implode {

Status implodeStream(SaverkitReadBuf read, SaverkitWriteBuf write, void* workArea, void* param,
                     const ImplodeOptions& options) {
  return detail::implodeWithWorkArea(read, write, param, workArea, options);
}

Status explodeStream(SaverkitReadBuf read, SaverkitWriteBuf write, void* workArea, void* param) {
  return detail::explodeWithWorkArea(read, write, param, static_cast<std::uint8_t*>(workArea));
}

}  // namespace saverkit::implode
