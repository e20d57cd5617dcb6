// inspect's output; see the header.
#include "listing_output.h"

#include <iomanip>
#include <nlohmann/json.hpp>

#include "header_rules.h"

namespace saverpack {
namespace {

using Json = nlohmann::ordered_json;
using saverkit::PackageEntry;

const char* presentationText(std::uint8_t mode) {
  switch (mode) {
    case saverkit::kPresentationBitmap: return "bitmap picture from slot 3";
    case saverkit::kPresentationFlash:
    case saverkit::kPresentationFlashAlt: return "Flash movie from slot 3";
    case saverkit::kPresentationQuiet: return "quiet install, no window";
    case saverkit::kPresentationJpeg: return "JPEG picture from slot 3";
    default: return "unknown";
  }
}

const char* playerText(std::uint8_t index) {
  return index == 0 ? "player 10 release 12" : index == 1 ? "player 9 release 124" : "invalid";
}

const char* yesNo(bool value) { return value ? "yes" : "no"; }

std::string itemKindText(const saverkit::DirectoryRecord& record) {
  return record.isMovieCopy() ? "movie" : "data";
}

// Names come from the file and may hold any byte; JSON output must stay valid UTF-8.
std::string dumpJson(const Json& json) {
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

Json findingsJson(const Findings& findings) {
  Json list = Json::array();
  for (const Finding& finding : findings.all()) {
    list.push_back({{"severity", finding.severityName()},
                    {"where", finding.where},
                    {"message", finding.message}});
  }
  return list;
}

Json dataFileJson(const DataFileReport& report) {
  Json json = {{"readable", report.readable},
               {"itemCount", report.record.itemCount()},
               {"saverKind", report.record.saverKind()}};
  Json items = Json::array();
  for (const ItemReport& item : report.items) {
    Json entry = {{"number", item.number}, {"kind", item.record.itemKind}, {"path", item.record.path},
                  {"offset", item.record.itemOffset}, {"intact", item.intact}};
    if (item.header) {
      entry["expandedSize"] = item.header->expandedSize;
      entry["storedSize"] = item.header->storedSize;
      entry["imploded"] = item.header->imploded;
    }
    items.push_back(entry);
  }
  json["items"] = items;
  return json;
}

void printItems(const DataFileReport& report, std::ostream& out) {
  out << "Saver kind:   " << report.record.saverKind()
      << (report.record.saverKind() == saverkit::kSaverKindInstallerMovie ? " (first item is the installer's movie)" : "")
      << "\nItems:        " << report.record.itemCount() << "\n";
  if (report.items.empty()) return;
  out << "  #     kind   expanded     stored  imploded  path\n";
  for (const ItemReport& item : report.items) {
    out << "  " << std::left << std::setw(5) << item.number << " " << std::setw(5)
        << itemKindText(item.record) << std::right;
    if (item.header) {
      out << " " << std::setw(10) << item.header->expandedSize << " " << std::setw(10)
          << item.header->dataLength() << "  " << std::setw(8) << yesNo(item.header->imploded);
    } else {
      out << " " << std::setw(10) << "-" << " " << std::setw(10) << "-" << "  " << std::setw(8) << "-";
    }
    out << "  " << (item.record.path.empty() ? "(skipped)" : quoteText(item.record.path))
        << (item.intact || item.record.path.empty() ? "" : "  DAMAGED") << "\n";
  }
}

}  // namespace

void printFindings(const Findings& findings, std::ostream& out) {
  for (const Finding& finding : findings.all()) {
    out << finding.severityName() << ": " << finding.text()
        << "\n";
  }
}

void printDiagnostics(const Findings& findings, std::ostream& err) {
  for (const Finding& finding : findings.all()) {
    err << "saverpack: " << finding.severityName() << ": " << finding.text() << "\n";
  }
}

std::string extensionText(const PackageReport& report) {
  if (!report.header.extensionBlock) return "none";
  if (!report.extension) return "present, but not one the installer knows (passed over)";
  const auto& extension = *report.extension;
  std::string text = std::string("finish without a launcher: ") + yesNo(extension.finishWithoutLauncher);
  if (!extension.publisher.empty()) text += ", publisher " + quoteText(extension.publisher);
  if (!extension.version.empty()) text += ", version " + quoteText(extension.version);
  if (!extension.website.empty()) text += ", website " + extension.website;
  return text + ", " + std::to_string(extension.estimatedSizeKb) + " KB installed";
}

void printPackage(const PackageReport& report, const std::string& fileName, std::ostream& out) {
  out << "Installer:    " << fileName << " (" << report.fileSize << " bytes)\n";
  if (report.readable) {
    const auto& header = report.header;
    out << "Saver name:   " << quoteText(header.saverName) << "\n"
        << "Presentation: " << int(header.presentationMode) << " ("
        << presentationText(header.presentationMode) << ")\n"
        << "Licence: " << yesNo(header.hasLicense) << "   Read-me: " << yesNo(header.hasReadMe)
        << "   Ask to open Control Panel: " << yesNo(header.askOpenControlPanel) << "\n"
        << "Player installer: " << yesNo(header.carriesFlashInstaller) << " (version index "
        << int(header.flashVersionIndex) << ": " << playerText(header.flashVersionIndex) << ")\n"
        << "Flash Player: " << flashPlayerText(header) << "\n"
        << "Package digest: " << bindingText(report.binding) << "\n"
        << "Extension record: " << extensionText(report) << "\n\n"
        << "slot  dest  folder    start       end         expanded    imploded  name -> target\n";
    for (const SlotReport& slot : report.slots) {
      const PackageEntry& entry = slot.entry;
      out << std::left << std::setw(5) << slot.slot << " " << std::setw(5) << entry.destination << " "
          << std::setw(9) << saverkit::targetFolderName(saverkit::targetFolder(entry)) << " "
          << std::setw(11) << entry.startOffset << " " << std::setw(11) << entry.endOffset << " "
          << std::setw(11) << entry.expandedSize << " " << std::setw(9) << yesNo(entry.imploded)
          << std::right << " " << quoteText(entry.name);
      if (saverkit::targetFileName(entry) != entry.name) out << " -> " << quoteText(saverkit::targetFileName(entry));
      out << (slot.intact ? "" : "  DAMAGED") << "\n";
    }
  }
  if (report.data) {
    out << "\nData file (slot 8):\n";
    printItems(*report.data, out);
  }
  if (!report.findings.all().empty()) {
    out << "\nProblems:\n";
    printFindings(report.findings, out);
  }
}

void printDataFile(const DataFileReport& report, const std::string& fileName, std::ostream& out) {
  out << "Data file:    " << fileName << "\n";
  printItems(report, out);
  if (!report.findings.all().empty()) {
    out << "\nProblems:\n";
    printFindings(report.findings, out);
  }
}

void printPackageJson(const PackageReport& report, const std::string& fileName, std::ostream& out) {
  const auto& header = report.header;
  Json json = {{"file", fileName}, {"type", "installer"}, {"size", report.fileSize}, {"readable", report.readable}};
  if (report.readable) {
    json["header"] = {{"presentationMode", header.presentationMode},
                      {"hasLicense", header.hasLicense},
                      {"hasReadMe", header.hasReadMe},
                      {"carriesFlashInstaller", header.carriesFlashInstaller},
                      {"flashVersionIndex", header.flashVersionIndex},
                      {"askOpenControlPanel", header.askOpenControlPanel},
                      {"noPlayerMarker", header.needsNoFlashPlayer},
                      {"needsFlashPlayer", saverkit::packageNeedsFlashPlayer(header)},
                      {"saverName", header.saverName}};
    Json slots = Json::array();
    for (const SlotReport& slot : report.slots) {
      const PackageEntry& entry = slot.entry;
      slots.push_back({{"slot", slot.slot}, {"name", entry.name}, {"startOffset", entry.startOffset},
                       {"endOffset", entry.endOffset}, {"storedLength", saverkit::storedLength(entry)},
                       {"destination", entry.destination},
                       {"targetFolder", saverkit::targetFolderName(saverkit::targetFolder(entry))},
                       {"targetName", saverkit::targetFileName(entry)}, {"imploded", entry.imploded},
                       {"expandedSize", entry.expandedSize}, {"intact", slot.intact}});
    }
    json["slots"] = slots;
    if (report.extension) {
      const auto& extension = *report.extension;
      json["extension"] = {{"flashPlayerNone", extension.needsNoFlashPlayer},
                           {"finishWithoutLauncher", extension.finishWithoutLauncher},
                           {"publisher", extension.publisher},
                           {"version", extension.version},
                           {"website", extension.website},
                           {"estimatedSizeKb", extension.estimatedSizeKb}};
    }
    json["digest"] = {{"place", report.binding.hasPlace},
                      {"present", report.binding.recorded.has_value()},
                      {"matches", report.binding.matches}};
  }
  if (report.data) json["dataFile"] = dataFileJson(*report.data);
  json["findings"] = findingsJson(report.findings);
  out << dumpJson(json) << "\n";
}

void printDataFileJson(const DataFileReport& report, const std::string& fileName, std::ostream& out) {
  Json json = {{"file", fileName}, {"type", "dataFile"}};
  json["dataFile"] = dataFileJson(report);
  json["findings"] = findingsJson(report.findings);
  out << dumpJson(json) << "\n";
}

}  // namespace saverpack
