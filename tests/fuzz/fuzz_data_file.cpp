// Fuzzes the screen saver data file reader: its record, directory and items, expanded into the
// product folder. Nothing may crash, and nothing may be written outside the product folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text_helpers.h"
#include "fuzz_support.h"
#include "installer/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverkit;
  fuzzing::FuzzMachine machine;
  InstallerContext& context = machine.context;
  context.dataFilePath = fuzzing::kWork + "saver.dat";
  context.dataFileSource = machine.heldFile(context.dataFilePath, std::string(reinterpret_cast<const char*>(data), size));
  machine.fakes.files.addFile(fuzzing::kWork + "installer.swf", "movie");
  if (readSaverRecord(context) == 0) expandDataFile(context);
  for (const std::string& path : machine.fakes.files.pathsUnder()) {
    const std::string lowered = toLowerAscii(path);
    if (!startsWith(lowered, "c:\\pd\\vantrel\\fuzz") && !startsWith(lowered, "c:\\local") &&
        !startsWith(lowered, "c:\\windows") && lowered != "c:\\pd" && lowered != "c:\\pd\\vantrel") {
      __builtin_trap();  // an item escaped the product folder
    }
  }
  return 0;
}
