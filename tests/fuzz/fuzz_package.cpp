// Fuzzes the package header reader and the extraction of every slot: whatever the header and
// the slot bytes hold, nothing may crash, allocate without bound, or write outside the
// installer's folders.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text_helpers.h"
#include "fuzz_support.h"
#include "installer/package_reader.h"
#include "installer/slot_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverkit;
  fuzzing::FuzzMachine machine;
  InstallerContext& context = machine.context;
  context.workCopyPath = fuzzing::kWork + "temp.dat";
  std::string installer(static_cast<std::size_t>(kInstallerSizeInBytes), '\0');
  installer.append(reinterpret_cast<const char*>(data), size);
  context.package = machine.heldFile(context.workCopyPath, installer);
  context.state.osKind = data[0] & 1 ? 7 : 6;
  if (context.package && readPackageHeader(context) == 0) {
    for (int slot = 2; slot < 11; ++slot) extractSlot(context, *context.package, slot, slot % 2 == 0);
    context.state.hasReadMe = context.header.hasReadMe;
    extractProductSlots(context);
  }
  for (const std::string& path : machine.fakes.files.pathsUnder()) {
    const std::string lowered = toLowerAscii(path);
    if (!startsWith(lowered, "c:\\local\\vantrel\\zor1") && !startsWith(lowered, "c:\\pd\\vantrel") &&
        !startsWith(lowered, "c:\\windows\\system32") && !startsWith(lowered, "c:\\windows\\sysnative") &&
        lowered != "c:\\local" && lowered != "c:\\local\\vantrel" && lowered != "c:\\pd" &&
        lowered != "c:\\windows") {
      __builtin_trap();  // a file outside the installer's folders
    }
  }
  return 0;
}
