// The install plan; see the header.
#include "install_plan.h"

#include <iomanip>
#include <sstream>

#include "common/file_names.h"
#include "common/texts.h"
#include "header_rules.h"
#include "messages.h"
#include "package/data_file_format.h"
#include "package/saver_naming.h"
#include "video_probe.h"

namespace saverpack {
namespace {

using saverkit::PackageEntry;
using saverkit::TargetFolder;

std::string productFolder(const saverkit::PackageHeader& header) {
  return kPlanSharedFolder + saverkit::storedFileName(header.saverName) + "\\";
}

// Windows drops trailing full stops and spaces from every component of a path it creates.
std::string storedPath(const std::string& path) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
    out += saverkit::storedFileName(std::string_view(path).substr(start, i - start));
    if (i < path.size()) out += '\\';
    start = i + 1;
  }
  return out;
}

std::string slotRole(const saverkit::PackageHeader& header, std::size_t slot) {
  switch (slot) {
    case saverkit::kSlotImplodeLibrary: return "implode library";
    case saverkit::kSlotFlashInstaller: return "Flash Player setup";
    case saverkit::kSlotPresentation:
      if (!saverkit::presentationUsesSlot3(header.presentationMode)) return "presentation (unused)";
      return saverkit::isFlashPresentation(header.presentationMode) ? "presentation movie" : "presentation picture";
    case saverkit::kSlotLicense: return "licence";
    case saverkit::kSlotReadMe: return "read-me";
    case saverkit::kSlotEngine: return "engine";
    case saverkit::kSlotDataFile: return "data file";
    default: return "product file";
  }
}

std::string ratioText(std::int64_t size, std::int64_t packed) {
  if (size <= 0) return "-";
  return std::to_string((packed * 100 + size / 2) / size) + "%";
}

void printRow(std::ostream& out, const std::string& number, const std::string& what, std::int64_t size,
              std::int64_t packed, const std::string& target) {
  out << "  " << std::left << std::setw(4) << number << std::setw(22) << what << std::right << std::setw(11)
      << size << std::setw(11) << packed << std::setw(7) << ratioText(size, packed) << "  " << target << "\n";
}

std::string uninstallCommand(const std::string& saverName) {
  std::string path = std::string(kPlanSystemFolder) + saverName + ".scr";
  if (path.find(' ') != std::string::npos) path = "\"" + path + "\"";
  return path + " /u";
}

void printFolders(const InstallPlan& plan, std::ostream& out) {
  out << "Folders (as on current Windows)\n"
      << "  system   " << kPlanSystemFolder << "\n"
      << "           the 32-bit system folder: C:\\Windows\\SysWOW64\\ on 64-bit Windows, where the engine\n"
      << "           is also copied into the native C:\\Windows\\System32\\\n"
      << "  product  " << productFolder(plan.header) << "\n"
      << "           <common application data>\\Vantrel\\<saver name>\\; a reinstall of the same saver name\n"
      << "           deletes it first (after an OK/Cancel question in interactive mode)\n"
      << "  working  " << kPlanWorkingFolder << "\n"
      << "           <local application data>\\Vantrel\\ZOR<n>\\; temporary, deleted when the installer ends\n";
}

void printSlots(const InstallPlan& plan, std::ostream& out, std::int64_t& size, std::int64_t& packed) {
  out << "\nSlots\n  " << std::left << std::setw(4) << "#" << std::setw(22) << "role" << std::right
      << std::setw(11) << "size" << std::setw(11) << "packed" << std::setw(7) << "ratio" << "  target\n";
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    const PackageEntry& entry = plan.header.entries[slot];
    if (entry.isEmpty()) continue;
    const std::int64_t stored = saverkit::storedLength(entry);
    std::string target = planTarget(plan.header, slot);
    if (target.empty()) target = "(never written: destination " + std::to_string(entry.destination) + ")";
    printRow(out, std::to_string(slot), slotRole(plan.header, slot), entry.expandedSize, stored, target);
    size += entry.expandedSize;
    packed += stored;
  }
}

void printItems(const InstallPlan& plan, std::ostream& out) {
  const std::string folder = productFolder(plan.header);
  out << "\nData file items (" << plural(std::int64_t(plan.items.size()), "item")
      << ", expanded into the product folder)\n  " << std::left << std::setw(4) << "#" << std::setw(22) << "kind"
      << std::right << std::setw(11) << "size" << std::setw(11) << "packed" << std::setw(7) << "ratio"
      << "  target\n";
  for (std::size_t i = 0; i < plan.items.size(); ++i) {
    const PlanItem& item = plan.items[i];
    const std::string number = std::to_string(i + 1);
    if (item.path.empty()) {
      out << "  " << std::left << std::setw(4) << number << "(no path: skipped)" << std::right << "\n";
      continue;
    }
    const std::string target = folder + storedPath(item.path);
    if (item.movieCopy) {
      printRow(out, number, i == 0 ? "copy of slot 3's movie" : "copy of item 1", 0, 0, target);
    } else if (item.size == 0) {
      printRow(out, number, "empty (not written)", 0, 0, target);
    } else {
      // Videos are named as such: the engine plays them, and they are the items that make a package large.
      const std::string kind = isVideoName(item.path) ? "video" : "file";
      printRow(out, number, item.imploded ? kind + ", imploded" : kind, item.size, item.packed, target);
    }
  }
}

void printAlsoWritten(const InstallPlan& plan, std::ostream& out) {
  const auto& header = plan.header;
  const std::string folder = productFolder(header);
  out << "\nAlso written by the installer\n";
  if (!header.entries[saverkit::kSlotDataFile].isEmpty()) {
    out << "  " << folder << "saver.dat  (the saver record from the data file)\n";
  }
  if (header.hasLicense && !header.entries[saverkit::kSlotLicense].isEmpty()) {
    out << "  " << folder << storedPath(header.entries[saverkit::kSlotLicense].name)
        << "  (copy of the licence; the window shows it first)\n";
  }
  if (header.hasReadMe && !header.entries[saverkit::kSlotReadMe].isEmpty()) {
    out << "  " << folder << storedPath(header.entries[saverkit::kSlotReadMe].name)
        << "  (copy of the read-me, opened after the install)\n";
  }
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    const PackageEntry& entry = header.entries[slot];
    if (!entry.isEmpty() && saverkit::targetFolder(entry) == TargetFolder::kSystem) {
      out << "  C:\\Windows\\System32\\" << storedPath(saverkit::targetFileName(entry))
          << "  (on 64-bit Windows: the copy in the native system folder)\n";
    }
  }
}

}  // namespace

std::vector<PlanItem> planItems(const std::vector<BuiltItem>& items) {
  std::vector<PlanItem> plan;
  for (const BuiltItem& item : items) {
    plan.push_back({item.path, item.kind == saverkit::kItemKindMovieCopy, item.expandedSize, item.storedSize,
                    item.imploded});
  }
  return plan;
}

std::vector<PlanItem> planItems(const DataFileReport& report) {
  std::vector<PlanItem> plan;
  // The installer treats item 1 of a kind-3 saver as the movie, whatever its own kind says.
  const bool firstIsMovie = report.record.saverKind() == saverkit::kSaverKindInstallerMovie;
  for (const ItemReport& item : report.items) {
    PlanItem entry;
    entry.path = item.record.path;
    entry.movieCopy = item.record.isMovieCopy() || (item.number == 1 && firstIsMovie);
    if (item.header && !entry.movieCopy) {
      entry.size = item.header->expandedSize;
      entry.packed = item.header->dataLength();
      entry.imploded = item.header->imploded;
    }
    plan.push_back(entry);
  }
  return plan;
}

std::string planTarget(const saverkit::PackageHeader& header, std::size_t slot) {
  const PackageEntry& entry = header.entries[slot];
  std::string folder;
  switch (saverkit::targetFolder(entry)) {
    case TargetFolder::kProduct: folder = productFolder(header); break;
    case TargetFolder::kSystem: folder = kPlanSystemFolder; break;
    case TargetFolder::kShared: folder = kPlanSharedFolder; break;
    case TargetFolder::kWorking: folder = kPlanWorkingFolder; break;
    case TargetFolder::kNone:
    case TargetFolder::kInvalid: return {};
  }
  return folder + storedPath(saverkit::targetFileName(entry));
}

void printPlan(const InstallPlan& plan, std::ostream& out) {
  out << "Install plan for " << quoteText(plan.header.saverName) << "\n\n";
  printFolders(plan, out);
  out << "\nFlash Player\n  " << flashPlayerText(plan.header) << "\n";
  std::int64_t size = 0;
  std::int64_t packed = 0;
  printSlots(plan, out, size, packed);
  out << "  " << std::left << std::setw(26) << "all slots" << std::right << std::setw(11) << size << std::setw(11)
      << packed << std::setw(7) << ratioText(size, packed) << "\n";
  if (!plan.header.entries[saverkit::kSlotDataFile].isEmpty()) printItems(plan, out);
  printAlsoWritten(plan, out);
  // The installer's own built-in words, so the display name comes out as the installer makes it.
  const std::string screenSaverWord = saverkit::builtInText(saverkit::TextId::kScreenSaver);
  out << "\nRegistry (under HKCU instead when HKLM cannot be written)\n"
      << "  HKLM\\" << saverkit::kUninstallKeyPrefix << plan.header.saverName << "\n"
      << "    DisplayName      " << saverkit::makeDisplayName(plan.header.saverName, screenSaverWord) << "\n"
      << "    UninstallString  " << uninstallCommand(plan.header.saverName) << "\n"
      << "\nA reinstall of " << quoteText(plan.header.saverName) << " replaces the product folder and the engine.\n";
}

}  // namespace saverpack
