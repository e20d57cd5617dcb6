// The three C functions the DLL and its native twin export.
//
// They keep the historical shapes: pointer arguments for type, dictionary size and buffer
// size, cdecl, numeric return codes. On Windows the .def file gives them their exported
// names; natively they carry those names directly.
#include <cstdint>

#include "crc32.h"
#include "saverkit/implode/codec.h"

namespace {

unsigned int implodeExport(SaverkitReadBuf read, SaverkitWriteBuf write, char* work, void* param,
                           unsigned int* type, unsigned int* dsize) {
  using namespace saverkit::implode;
  if (dsize == nullptr || (*dsize != 1024 && *dsize != 2048 && *dsize != 4096)) {
    return SAVERKIT_CMP_INVALID_DICTSIZE;
  }
  if (type == nullptr || *type > 1) return SAVERKIT_CMP_INVALID_MODE;
  ImplodeOptions options;
  options.mode = static_cast<LiteralMode>(*type);
  options.dictSize = *dsize;
  return static_cast<unsigned>(implodeStream(read, write, work, param, options));
}

unsigned int explodeExport(SaverkitReadBuf read, SaverkitWriteBuf write, char* work, void* param) {
  return static_cast<unsigned>(saverkit::implode::explodeStream(read, write, work, param));
}

unsigned long crc32Export(char* buffer, unsigned int* size, unsigned long* oldCrc) {
  const auto crc = static_cast<std::uint32_t>(*oldCrc);
  return saverkit::implode::detail::crc32Raw(crc, reinterpret_cast<const std::uint8_t*>(buffer), *size);
}

}  // namespace

extern "C" {

#ifdef _WIN32
// Plain names here; impborl.def exports them as _implode, _explode and _crc32.
unsigned int implode(SaverkitReadBuf read, SaverkitWriteBuf write, char* work, void* param,
                     unsigned int* type, unsigned int* dsize) {
  return implodeExport(read, write, work, param, type, dsize);
}
unsigned int explode(SaverkitReadBuf read, SaverkitWriteBuf write, char* work, void* param) {
  return explodeExport(read, write, work, param);
}
unsigned long crc32(char* buffer, unsigned int* size, unsigned long* old_crc) {
  return crc32Export(buffer, size, old_crc);
}
#else
__attribute__((visibility("default"))) unsigned int _implode(SaverkitReadBuf read,
                                                             SaverkitWriteBuf write, char* work,
                                                             void* param, unsigned int* type,
                                                             unsigned int* dsize) {
  return implodeExport(read, write, work, param, type, dsize);
}
__attribute__((visibility("default"))) unsigned int _explode(SaverkitReadBuf read,
                                                             SaverkitWriteBuf write, char* work,
                                                             void* param) {
  return explodeExport(read, write, work, param);
}
__attribute__((visibility("default"))) unsigned long _crc32(char* buffer, unsigned int* size,
                                                           unsigned long* old_crc) {
  return crc32Export(buffer, size, old_crc);
}
#endif

}  // extern "C"
