// Header rules; see the header.
#include "header_rules.h"

#include <cstdio>
#include <map>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "messages.h"

namespace saverpack {
namespace {

using saverkit::PackageEntry;
using saverkit::PackageHeader;
using saverkit::TargetFolder;

const char* slotRole(std::size_t slot) {
  switch (slot) {
    case 1: return "implode library";
    case 2: return "player installer";
    case 3: return "presentation";
    case 4: return "licence text";
    case 5: return "read-me document";
    case 6: return "screen saver engine";
    case 8: return "data file";
    default: return "product file";
  }
}

// The installer looks for these slots' files in its working folder only.
bool roleNeedsWorkingFolder(std::size_t slot) {
  return slot == saverkit::kSlotFlashInstaller || slot == saverkit::kSlotPresentation ||
         slot == saverkit::kSlotLicense || slot == saverkit::kSlotReadMe ||
         slot == saverkit::kSlotDataFile;
}

void checkSaverName(const PackageHeader& header, Findings& findings) {
  const std::string& name = header.saverName;
  if (name.empty()) {
    findings.error("saverName", "missing; the installer names the product folder after it");
  } else if (name.size() > saverkit::kSaverNameFieldSize) {
    findings.error("saverName", quoteText(name) + " is longer than 64 characters");
  } else if (!isPrintableAscii(name)) {
    findings.error("saverName", quoteText(name) + " must be printable ASCII");
  } else if (!saverkit::isSafeBareName(name)) {
    findings.error("saverName", unsafeNameReason(name) + "; the product folder is named after the saver");
  } else if (const std::string note = droppedEndingNote(name); !note.empty()) {
    findings.warning("saverName", note + ", so the product folder is " +
                                      quoteText(saverkit::storedFileName(name)));
  }
}

void checkOptions(const PackageHeader& header, Findings& findings) {
  const auto& entries = header.entries;
  if (!saverkit::isKnownPresentationMode(header.presentationMode)) {
    findings.error("presentationMode", std::to_string(header.presentationMode) +
                                           " is not one of 1, 2, 3, 4 or 8");
  } else if (saverkit::presentationUsesSlot3(header.presentationMode) &&
             entries[saverkit::kSlotPresentation].isEmpty()) {
    findings.error("slots.3", "presentation mode " + std::to_string(header.presentationMode) +
                                  " shows slot 3, but slot 3 is empty");
  }
  if (header.flashVersionIndex > 1) {
    findings.error("options.flashVersionIndex",
                   std::to_string(header.flashVersionIndex) + " is not 0 or 1");
  }
  const struct {
    bool flag;
    std::size_t slot;
    const char* option;
  } flagged[] = {{header.hasLicense, saverkit::kSlotLicense, "options.license"},
                 {header.hasReadMe, saverkit::kSlotReadMe, "options.readMe"},
                 {header.carriesFlashInstaller, saverkit::kSlotFlashInstaller, "options.flashInstaller"}};
  for (const auto& item : flagged) {
    if (item.flag && entries[item.slot].isEmpty()) {
      findings.error(item.option, std::string("is set, but slot ") + std::to_string(item.slot) +
                                      " (" + slotRole(item.slot) + ") is empty");
    }
  }
}

// Saverkit's "no player" marker only helps a picture or quiet saver that carries no player.
void checkPlayerMarker(const PackageHeader& header, RuleMode mode, Findings& findings) {
  if (!header.needsNoFlashPlayer) return;
  const auto report = [&](const std::string& text) {
    mode == RuleMode::kBuild ? findings.error("needsFlashPlayer", text) : findings.warning("needsFlashPlayer", text);
  };
  if (saverkit::isFlashPresentation(header.presentationMode)) {
    report("false does not go with a movie presentation: the Flash Player plays the movie, so the installer "
           "looks for it all the same; show a bitmap or jpeg picture instead");
  }
  if (header.carriesFlashInstaller) {
    report("false, yet slot 2 carries a player installer that the installer would then never run; remove one "
           "of the two");
  }
}

// The uninstall command runs the saver's own "/u", and the reference engine removes the product
// folder and itself from the system folders. Anything else written outside the product folder
// stays behind after an uninstall.
void checkUninstallLeftovers(const PackageHeader& header, Findings& findings) {
  for (std::size_t slot = saverkit::kSlotReadMe; slot < saverkit::kPackageSlotCount; ++slot) {
    const PackageEntry& entry = header.entries[slot];
    if (entry.isEmpty() || slot == saverkit::kSlotEngine) continue;
    const TargetFolder folder = saverkit::targetFolder(entry);
    if (folder != TargetFolder::kSystem && folder != TargetFolder::kShared) continue;
    findings.warning(slotField(slot, "destination"),
                     quoteText(saverkit::targetFileName(entry)) + " goes to the " + saverkit::targetFolderName(folder) +
                         " folder, which the saver's /u does not clean (the reference engine removes only the "
                         "product folder and its own .scr), so it stays after an uninstall; use the product "
                         "folder unless another program needs it there");
  }
}

void checkImplodeLibrary(const PackageEntry& entry, Findings& findings) {
  if (entry.isEmpty()) {
    findings.error("slots.1", "empty; the installer needs the implode library first");
    return;
  }
  if (entry.name != saverkit::kImplodeLibraryName) {
    findings.error(slotField(1, "name"), quoteText(entry.name) + " must be \"impborl.dat\"");
  }
  if (entry.destination != saverkit::kDestinationWorkingLibrary) {
    findings.error(slotField(1, "destination"), std::to_string(entry.destination) + " must be 4");
  }
  if (entry.imploded) {
    // The library is what expands everything else, so it cannot itself be imploded.
    findings.error(slotField(1, "implode"), "the implode library must be stored, not imploded");
  }
}

void checkEntry(const PackageHeader& header, std::size_t slot, RuleMode mode, Findings& findings) {
  const PackageEntry& entry = header.entries[slot];
  if (!isPrintableAscii(entry.name)) {
    findings.error(slotField(slot, "name"), quoteText(entry.name) +
                                                " must be printable ASCII: the installer reads names in the "
                                                "system's single-byte code page");
    return;
  }
  if (!saverkit::isSafeBareName(entry.name)) {
    findings.error(slotField(slot, "name"), unsafeNameReason(entry.name) + "; a slot name must be one bare file name");
    return;
  }
  if (const std::string note = droppedEndingNote(entry.name); !note.empty()) {
    findings.warning(slotField(slot, "name"), note);
  }
  const TargetFolder folder = saverkit::targetFolder(entry);
  if (folder == TargetFolder::kInvalid) {
    findings.error(slotField(slot, "destination"),
                   std::to_string(entry.destination) + " is not a destination kind (0 to 10)");
    return;
  }
  if (folder == TargetFolder::kNone) {
    const std::string text = "kind " + std::to_string(entry.destination) +
                             " has no target folder; the installer never writes this file";
    mode == RuleMode::kBuild ? findings.error(slotField(slot, "destination"), text)
                             : findings.warning(slotField(slot, "destination"), text);
  } else if (roleNeedsWorkingFolder(slot) && folder != TargetFolder::kWorking) {
    findings.error(slotField(slot, "destination"),
                   std::string("the ") + slotRole(slot) + " must land in the working folder, not the " +
                       saverkit::targetFolderName(folder) + " folder (use 7)");
  }
  if (slot == saverkit::kSlotEngine && folder != TargetFolder::kSystem) {
    // Windows, the uninstall command and launchers all look for the engine in the system folder.
    findings.warning(slotField(slot, "destination"),
                     std::string("the engine goes to the ") + saverkit::targetFolderName(folder) +
                         " folder, where Windows does not look for screen savers and the uninstall command (" +
                         "<system folder>\\" + header.saverName + ".scr /u) does not find it; use the system folder");
  }
  if (slot == saverkit::kSlotEngine && !header.saverName.empty() &&
      saverkit::toLowerAscii(entry.name) != saverkit::toLowerAscii(header.saverName + ".scr")) {
    const std::string text = quoteText(entry.name) + " should be the saver name plus \".scr\" (" +
                             quoteText(header.saverName + ".scr") + ")";
    mode == RuleMode::kBuild ? findings.error(slotField(slot, "name"), text)
                             : findings.warning(slotField(slot, "name"), text);
  }
}

// Two slots writing the same file would leave only the later one installed.
void checkDistinctTargets(const PackageHeader& header, Findings& findings) {
  std::map<std::string, std::size_t> seen;
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    const PackageEntry& entry = header.entries[slot];
    const TargetFolder folder = saverkit::targetFolder(entry);
    if (entry.isEmpty() || folder == TargetFolder::kNone || folder == TargetFolder::kInvalid) continue;
    const std::string key = std::string(saverkit::targetFolderName(folder)) + "\\" +
                            saverkit::toLowerAscii(saverkit::storedFileName(saverkit::targetFileName(entry)));
    const auto [it, inserted] = seen.emplace(key, slot);
    if (!inserted) {
      findings.error(slotField(slot, "name"),
                     "writes " + quoteText(saverkit::targetFileName(entry)) + " to the " +
                         saverkit::targetFolderName(folder) + " folder, as slot " +
                         std::to_string(it->second) + " already does");
    }
  }
}

}  // namespace

std::string slotField(std::size_t slot, const char* field) {
  return "slots." + std::to_string(slot) + "." + field;
}

bool isPrintableAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
  }
  return true;
}

std::string quoteText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string flashPlayerText(const PackageHeader& header) {
  if (!header.needsNoFlashPlayer) {
    return "needed (the installer looks for it and stops with -402 where none is installed)";
  }
  if (saverkit::packageNeedsFlashPlayer(header)) {
    return "needed (the no-player marker is ignored: a movie presentation is played by the player)";
  }
  if (header.extensionBlock) return "not needed (Saverkit's extension record in slot 0: installs where no player exists)";
  return "not needed (Saverkit's no-player marker in slot 0: installs where no player exists)";
}

Findings checkHeaderRules(const PackageHeader& header, RuleMode mode) {
  Findings findings;
  checkSaverName(header, findings);
  checkOptions(header, findings);
  checkPlayerMarker(header, mode, findings);
  checkUninstallLeftovers(header, findings);
  if (!header.entries[0].isEmpty()) {
    findings.warning("slots.0", "slot 0 is never read by the installer");
  }
  checkImplodeLibrary(header.entries[saverkit::kSlotImplodeLibrary], findings);
  // Names made from a bad saver name are bad for the same reason; saying so once is enough.
  bool badSaverName = false;
  for (const Finding& finding : findings.all()) {
    badSaverName = badSaverName || (finding.where == "saverName" && finding.severity == Finding::Severity::kError);
  }
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    const std::string& name = header.entries[slot].name;
    if (badSaverName && (name == header.saverName + ".scr" || name == header.saverName + ".dat")) continue;
    if (!header.entries[slot].isEmpty()) checkEntry(header, slot, mode, findings);
  }
  // The installer fails on an empty engine or data file slot: it needs both to install anything.
  if (header.entries[saverkit::kSlotEngine].isEmpty()) {
    findings.error("slots.6", "empty; the installer needs the screen saver engine (the .scr file)");
  }
  if (header.entries[saverkit::kSlotDataFile].isEmpty()) {
    findings.error("slots.8", std::string("empty; the installer reads the saver record from the data file and "
                                          "stops without it") +
                                  (mode == RuleMode::kBuild ? " (give \"data\": {\"folder\": ...} or slots.8.file)" : ""));
  }
  checkDistinctTargets(header, findings);
  return findings;
}

}  // namespace saverpack
