// The author's name on the programs she ships: the installer stub and the reference engine get
// her icon and a version record naming her saver, her company and her version. Both programs are
// built with room in their resources for this (package/branding_room.h); branding rewrites their
// resources within that room, so the stub keeps its fixed size and the package offsets stay put.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "file_io.h"
#include "icon_file.h"
#include "package_builder.h"

namespace saverpack {

// Whether the manifest asks for her name on the programs: a publisher, a version or an icon.
// Without them the stub and the engine go out exactly as built.
bool wantsBranding(const Branding& branding);

struct ProgramBrand {
  std::vector<IconImage> icon;  // none: the program keeps no icon
  std::vector<std::pair<std::string, std::string>> strings;  // version record name, UTF-8 text
  std::array<std::uint16_t, 4> version{};                    // the record's numeric version
};

// The installer is "<saver> Setup"; the engine is the saver itself. Throws ToolError(kInvalid)
// naming the manifest key and the limit when a text is too long for the room.
ProgramBrand installerBrand(const std::string& saverName, const Branding& branding, std::vector<IconImage> icon);
ProgramBrand engineBrand(const std::string& saverName, const Branding& branding, std::vector<IconImage> icon);

// The icon named by the manifest, read and checked against the room. Throws ToolError(kInvalid)
// starting with "icon: ".
std::vector<IconImage> loadBrandingIcon(const std::filesystem::path& icon, const std::string& shown);

// "2.1.7" and "2.1 beta" give 2,1,7,0 and 2,1,0,0: the numbers before anything else.
std::array<std::uint16_t, 4> numericVersion(const std::string& version);

// A VS_VERSIONINFO record with the brand's strings, in US English and UTF-16.
Bytes versionRecord(const ProgramBrand& brand);

// Rewrites `program`'s resources: its placeholder room and old version record out, the brand's
// icon and version record in. Throws ToolError(kInvalid) naming `what` when it is not a program
// or the brand does not fit.
void brandProgram(Bytes& program, const ProgramBrand& brand, const std::string& what);

}  // namespace saverpack
