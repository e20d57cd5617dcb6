// Fuzz set-up; see the header.
#include "fuzz_support.h"

#include "saverkit/implode/codec.h"

namespace {

// The library's exports, as the carried impborl.dll offers them, over the codec library.
extern "C" unsigned int fuzzImplode(SaverkitReadBuf read, SaverkitWriteBuf write, char* work,
                                    void* param, unsigned int*, unsigned int*) {
  return static_cast<unsigned int>(saverkit::implode::implodeStream(read, write, work, param, {}));
}
extern "C" unsigned int fuzzExplode(SaverkitReadBuf read, SaverkitWriteBuf write, char* work,
                                    void* param) {
  return static_cast<unsigned int>(saverkit::implode::explodeStream(read, write, work, param));
}
extern "C" unsigned long fuzzCrc32(char* buffer, unsigned int* size, unsigned long* crc) {
  return saverkit::implode::crc32Update(
      static_cast<std::uint32_t>(*crc), {reinterpret_cast<const std::uint8_t*>(buffer), *size});
}

}  // namespace

namespace saverkit::fuzzing {

FuzzMachine::FuzzMachine() {
  context.folders = {"C:\\WINDOWS\\", "C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\Sysnative\\",
                     "C:\\PD\\Vantrel\\", "C:\\Downloads\\", kWork};
  context.productFolder = kProduct;
  for (const std::string& folder : {kWork, kProduct, std::string("C:\\WINDOWS\\system32\\")}) {
    fakes.files.addFolder(folder);
  }
  fakes.files.addFile(kWork + "impborl.dll", "MZ");
  fakes.libraries.libraries[kWork + "impborl.dll"] = {
      {"_implode", reinterpret_cast<void*>(&fuzzImplode)},
      {"_explode", reinterpret_cast<void*>(&fuzzExplode)},
      {"_crc32", reinterpret_cast<void*>(&fuzzCrc32)}};
}

}  // namespace saverkit::fuzzing
