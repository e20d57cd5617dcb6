// Assembling an installer: the padded stub, then the package header, then each slot's bytes
// in slot order, with the header's absolute offsets pointing at them. The same inputs always
// give the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "data_file_builder.h"
#include "file_io.h"
#include "findings.h"
#include "install_plan.h"
#include "package/package_format.h"

namespace saverpack {

// Empty or absent fields take the slot's defaults: the file's own name (slot 1
// "impborl.dat", slot 6 the saver name plus ".scr", slot 8 the saver name plus ".dat", slot 3
// "installer.swf" for a saver of kind 3) and defaultDestination(). Slot 1's file defaults to
// impborl.dll next to the stub; slot 3's to the content folder's installer.swf for kind 3.
struct SlotSpec {
  std::filesystem::path file;  // empty for slot 8 when it is built from `data`
  std::string fileAsWritten;   // the manifest's spelling, for messages
  std::string name;
  std::optional<std::int32_t> destination;
  bool implode = false;
};

// Who made the saver: her name, version, website and icon on the installer, the engine and the
// uninstall entry (manifest keys "publisher", "version", "website" and "icon"; empty when not
// given).
struct Branding {
  std::string publisher;
  std::string version;
  std::string website;
  std::filesystem::path icon;  // an .ico, or a PNG made into one
};

struct BuildSpec {
  // Saver name, presentation mode and options; the entries are filled in by the builder.
  saverkit::PackageHeader header;
  std::array<std::optional<SlotSpec>, saverkit::kPackageSlotCount> slots;
  std::optional<DataFileSpec> data;  // slot 8 built from a folder
  std::filesystem::path stub;
  std::filesystem::path defaultLibrary;  // slot 1 when the manifest names no file; else beside the stub
  std::filesystem::path output;          // refused as an input; empty when unknown
  bool followLinks = false;              // for the data folder
  // Slot 6 is the reference engine from saverpack's install layout; the caller fills in its
  // file (findReferenceEngine) before building.
  bool referenceEngine = false;
  Branding branding;
  // An install with no launcher makes the saver active and opens the settings itself
  // ("options": "finishWithoutLauncher"); carried in the package's extension record.
  bool finishWithoutLauncher = false;
};

inline constexpr const char* kReferenceEngine = "slideshow";

struct BuildResult {
  Bytes installer;
  saverkit::PackageHeader header;
  std::vector<PlanItem> items;  // the data file's items, for the install plan
  Findings findings;            // warnings; errors are thrown
  PictureSavings pictures;      // what preparing the data folder's photos saved
};

// Throws ToolError(kInvalid) listing every problem, or kIo when a file cannot be read.
BuildResult buildPackage(const BuildSpec& request, bool showProgress);

// The destination a slot gets when the manifest names none.
std::int32_t defaultDestination(std::size_t slot);

// The request with every default filled in, as buildPackage uses it. Throws ToolError(kInvalid)
// when a default cannot be found (no installer movie for a saver of kind 3).
BuildSpec resolveDefaults(const BuildSpec& request);

}  // namespace saverpack
