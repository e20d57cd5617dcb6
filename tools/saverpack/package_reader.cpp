// Package reading and checking; see the header.
#include "package_reader.h"

#include "codec_bridge.h"
#include "header_rules.h"

namespace saverpack {
namespace {

using saverkit::PackageEntry;

constexpr std::int64_t kHeaderEnd =
    saverkit::kInstallerSizeInBytes + static_cast<std::int64_t>(saverkit::kPackageHeaderSize);

std::string slotName(std::size_t slot) { return "slots." + std::to_string(slot); }

// Checks one slot's bytes and, when they hold up, expands them into report.contents.
void readSlotBytes(const Bytes& file, SlotReport& report, bool keep, Findings& findings) {
  const PackageEntry& entry = report.entry;
  const std::string where = slotName(report.slot);
  const std::int64_t length = saverkit::storedLength(entry);
  if (length < 0) {
    findings.error(where, "end offset " + std::to_string(entry.endOffset) +
                              " lies before start offset " + std::to_string(entry.startOffset));
    return;
  }
  if (!saverkit::storedBytesWithin(entry, static_cast<std::int64_t>(file.size()))) {
    findings.error(where, "bytes " + std::to_string(entry.startOffset) + " to " +
                              std::to_string(entry.endOffset) + " lie outside the file (" +
                              std::to_string(file.size()) + " bytes)");
    return;
  }
  if (entry.expandedSize < 0) {
    findings.error(slotField(report.slot, "expandedSize"), "is negative");
    return;
  }
  const std::uint8_t* bytes = file.data() + entry.startOffset;
  if (!entry.imploded) {
    if (entry.expandedSize != length) {
      findings.warning(slotField(report.slot, "expandedSize"),
                       std::to_string(entry.expandedSize) + " differs from the " +
                           std::to_string(length) + " stored bytes");
    }
    report.intact = true;
    if (keep) report.contents.assign(bytes, bytes + length);
    return;
  }
  if (std::uint64_t(entry.expandedSize) > maxExpandedSize(std::uint64_t(length))) {
    findings.error(slotField(report.slot, "expandedSize"), declaredBeyondTheFormat(entry.expandedSize, length));
    return;
  }
  ExplodeResult expanded = explodeBytes(bytes, std::size_t(length), std::size_t(entry.expandedSize));
  if (expanded.ok && expanded.bytes.size() != std::size_t(entry.expandedSize)) {
    expanded.ok = false;
    expanded.error = "expands to " + std::to_string(expanded.bytes.size()) + " bytes, not " +
                     std::to_string(entry.expandedSize);
  }
  if (!expanded.ok) {
    findings.error(where, expanded.error);
    return;
  }
  report.intact = true;
  if (keep) report.contents = std::move(expanded.bytes);
}

// A data file whose first item is the installer's movie needs that movie in slot 3 under the
// name the installer copies it from.
void checkInstallerMovie(const PackageReport& report, Findings& findings) {
  if (!report.data || !report.data->readable) return;
  const bool firstIsMovie = !report.data->items.empty() &&
                            report.data->items.front().record.isMovieCopy() &&
                            !report.data->items.front().record.path.empty();
  if (!firstIsMovie && report.data->record.saverKind() != saverkit::kSaverKindInstallerMovie) return;
  const PackageEntry& movie = report.header.entries[saverkit::kSlotPresentation];
  if (movie.isEmpty()) {
    findings.error("slots.3", "empty, but the data file's first item is the installer's movie");
  } else if (movie.name != saverkit::kInstallerMovieName) {
    findings.error(slotField(saverkit::kSlotPresentation, "name"),
                   quoteText(movie.name) + " must be \"installer.swf\": the data file's first item is "
                                        "the installer's movie");
  }
}

}  // namespace

bool looksLikeInstaller(const Bytes& file) {
  // Judged by the first bytes alone, so that a truncated installer is reported as one.
  return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
}

PackageReport readPackage(const Bytes& file, const PackageReadOptions& options) {
  PackageReport report;
  report.fileSize = static_cast<std::int64_t>(file.size());
  if (report.fileSize < kHeaderEnd) {
    report.findings.error("", "the file has " + std::to_string(file.size()) +
                                  " bytes, too few to hold the stub and a package header (" +
                                  std::to_string(kHeaderEnd) + ")");
    return report;
  }
  report.readable = true;
  report.header = *saverkit::decodePackageHeader(file.data() + saverkit::kInstallerSizeInBytes,
                                                 file.size() - std::size_t(saverkit::kInstallerSizeInBytes));
  if (const auto& block = report.header.extensionBlock) {
    const std::int64_t length = std::int64_t{block->second} - block->first + 1;
    if (block->first >= 0 && length > 0 && block->first + length <= report.fileSize) {
      report.extension = saverkit::parseExtensionBlock(file.data() + block->first, static_cast<std::size_t>(length));
    }
    if (!report.extension) {
      report.findings.warning("slots.0", "the extension record's block is out of the file or not one the installer "
                                         "knows: the installer passes over it, and over what it says");
    }
    if (report.extension && report.extension->needsNoFlashPlayer) report.header.needsNoFlashPlayer = true;
  }
  report.findings.append(checkHeaderRules(report.header, RuleMode::kVerify));
  for (std::size_t slot = 0; slot < saverkit::kPackageSlotCount; ++slot) {
    if (report.header.entries[slot].isEmpty()) continue;
    SlotReport slotReport;
    slotReport.slot = slot;
    slotReport.entry = report.header.entries[slot];
    const bool keep = options.keepContents || slot == saverkit::kSlotDataFile;
    readSlotBytes(file, slotReport, keep, report.findings);
    if (slot == saverkit::kSlotDataFile && slotReport.intact) {
      DataFileReadOptions dataOptions;
      dataOptions.keepContents = options.keepItemContents;
      dataOptions.where = "slots.8.items";
      report.data = readDataFile(slotReport.contents.data(), slotReport.contents.size(), dataOptions);
      report.findings.append(report.data->findings);
      if (!options.keepContents) Bytes().swap(slotReport.contents);
    }
    report.slots.push_back(std::move(slotReport));
  }
  checkInstallerMovie(report, report.findings);
  report.binding = saverkit::checkBinding(file.data(), file.size());
  if (report.binding.recorded && !report.binding.matches) {
    // The installer refuses such a package (-608) before it reads any of it.
    report.findings.error("package", "its SHA-256 digest differs from the one its stub records: the package was "
                                     "changed after it was built, and the installer will refuse it; build it again");
  }
  return report;
}

std::string bindingText(const saverkit::BindingCheck& binding) {
  if (!binding.hasPlace) return "none: the stub has no place for one, so the installer cannot check its package";
  if (!binding.recorded) return "none: the stub's place for it is empty (a package appended by hand)";
  return std::string(binding.matches ? "present, and the package matches it" : "present, and the package DIFFERS from it") +
         " (SHA-256 " + saverkit::hexDigest(binding.recorded->digest) + " of " +
         std::to_string(binding.recorded->packageLength) + " bytes)";
}

}  // namespace saverpack
