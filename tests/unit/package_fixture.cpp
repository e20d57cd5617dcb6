// Test fixture support; see the header.
#include "package_fixture.h"

#include "saverkit/implode/implode_api.h"

namespace saverkit::testing {

void registerNativeCodec(fake::FakeLibraryLoader& loader, const std::string& path) {
  loader.libraries[path] = {{"_implode", reinterpret_cast<void*>(&_implode)},
                            {"_explode", reinterpret_cast<void*>(&_explode)},
                            {"_crc32", reinterpret_cast<void*>(&_crc32)}};
}

}  // namespace saverkit::testing
