// Package assembly; see the header.
#include "package_builder.h"

#include "package/package_extension.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "branding.h"
#include "codec_bridge.h"
#include "common/text_helpers.h"
#include "content_checks.h"
#include "output_guard.h"
#include "package/data_file_format.h"
#include "package/package_binding.h"
#include "package/package_extension.h"
#include "header_rules.h"
#include "tool_error.h"

namespace saverpack {
namespace {

using saverkit::PackageEntry;
using saverkit::toLowerAscii;

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void throwFindings(const Findings& findings) {
  std::string message;
  for (const Finding& finding : findings.all()) {
    if (finding.severity != Finding::Severity::kError) continue;
    message += (message.empty() ? "" : "\n") + finding.text();
  }
  throw invalidInput(message);
}

Bytes loadStub(const BuildSpec& request) {
  const std::filesystem::path& stub = request.stub;
  std::error_code error;
  if (!std::filesystem::is_regular_file(stub, error)) {
    throw invalidInput("stub: no such file " + quoteText(pathToUtf8(stub)));
  }
  InputGuard(request.output).check(stub, "the stub");
  Bytes bytes = readWholeFile(stub);
  if (static_cast<std::int64_t>(bytes.size()) != saverkit::kInstallerSizeInBytes) {
    throw invalidInput("stub: " + quoteText(pathToUtf8(stub)) + " has " + std::to_string(bytes.size()) +
                       " bytes; the installer stub must be exactly 690176");
  }
  return bytes;
}

// Reads every slot's file up front so missing files are all reported together.
// Problems go into `findings`; the caller throws once it has everything.
std::array<std::optional<Bytes>, saverkit::kPackageSlotCount> loadSlotFiles(const BuildSpec& request,
                                                                           Findings& findings) {
  std::array<std::optional<Bytes>, saverkit::kPackageSlotCount> contents;
  for (std::size_t slot = 0; slot < saverkit::kPackageSlotCount; ++slot) {
    if (!request.slots[slot]) continue;
    const auto& file = request.slots[slot]->file;
    if (file.empty()) {
      if (slot != saverkit::kSlotDataFile || !request.data) findings.error(slotField(slot, "file"), "missing");
      continue;
    }
    std::error_code error;
    const std::string& written = request.slots[slot]->fileAsWritten;
    const std::string shown = written.empty() ? pathToUtf8(file) : written;
    if (!std::filesystem::is_regular_file(file, error)) {
      findings.error(slotField(slot, "file"), "no such file " + quoteText(shown));
      continue;
    }
    InputGuard(request.output).check(file, "slot " + std::to_string(slot) + "'s file (" + slotField(slot, "file") + ")");
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (size > std::uintmax_t(kMaxOffset)) {
      findings.error(slotField(slot, "file"), quoteText(shown) + " is larger than 2 GiB");
      continue;
    }
    if (size == 0) {
      // The installer refuses a slot of no bytes and stops the install there.
      findings.error(slotField(slot, "file"), quoteText(shown) + " is empty; the installer cannot write an empty slot");
      continue;
    }
    contents[slot] = readWholeFile(file);
    normaliseText(slot, shown, *contents[slot], findings);
    checkSlotContents(slot, shown, *contents[slot], request.header.presentationMode, findings);
  }
  return contents;
}

saverkit::PackageHeader prospectiveHeader(const BuildSpec& request) {
  saverkit::PackageHeader header = request.header;
  for (std::size_t slot = 0; slot < saverkit::kPackageSlotCount; ++slot) {
    header.entries[slot] = PackageEntry{};
    if (!request.slots[slot]) continue;
    header.entries[slot].name = request.slots[slot]->name;
    header.entries[slot].destination = request.slots[slot]->destination.value_or(defaultDestination(slot));
    header.entries[slot].imploded = request.slots[slot]->implode;
  }
  return header;
}

// The saver kind the data file will have, read cheaply before the data file is built.
std::int32_t expectedSaverKind(const DataFileSpec& data) {
  if (data.saverKind) return *data.saverKind;
  std::error_code error;
  if (!data.recordFile || !std::filesystem::is_regular_file(*data.recordFile, error)) return 0;
  const Bytes record = readWholeFile(*data.recordFile);
  const auto decoded = saverkit::decodeSaverRecord(record.data(), record.size());
  return decoded ? decoded->saverKind() : 0;
}

std::filesystem::path findInstallerMovie(const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (toLowerAscii(entry.path().filename().u8string()) == saverkit::kInstallerMovieName &&
        entry.is_regular_file(error)) {
      return entry.path();
    }
  }
  return {};
}

// A saver of kind 3 plays the installer's own movie, so slot 3 must carry it by the one name
// the installer copies it from.
void resolveInstallerMovie(BuildSpec& request) {
  if (!request.data || expectedSaverKind(*request.data) != saverkit::kSaverKindInstallerMovie) return;
  auto& movie = request.slots[saverkit::kSlotPresentation];
  if (!movie) movie = SlotSpec{};
  if (movie->name.empty()) movie->name = std::string(saverkit::kInstallerMovieName);
  if (movie->name != saverkit::kInstallerMovieName) {
    throw invalidInput("slots.3.name: " + quoteText(movie->name) +
                       " must be \"installer.swf\" for a saver of kind 3");
  }
  if (movie->file.empty()) movie->file = findInstallerMovie(request.data->folder);
  if (movie->file.empty()) {
    throw invalidInput("slots.3.file: a saver of kind 3 needs the installer's movie; name it here "
                       "or put installer.swf in the content folder");
  }
}

// Appends the slot's bytes (imploded if asked) and records where they went.
void appendSlot(Bytes& installer, std::size_t slot, const Bytes& contents, PackageEntry& entry,
                ProgressMeter& progress, Findings& findings) {
  const Bytes stored = entry.imploded ? implodeBytes(contents, &progress) : Bytes();
  if (!entry.imploded) progress.advance(contents.size());
  if (entry.imploded && stored.size() > contents.size()) {
    findings.warning(slotField(slot, "implode"), "imploding makes the file larger (" + std::to_string(contents.size()) +
                                                     " to " + std::to_string(stored.size()) +
                                                     " bytes); store it instead (\"implode\": false)");
  }
  const Bytes& bytes = entry.imploded ? stored : contents;
  const auto start = static_cast<std::int64_t>(installer.size());
  if (start + static_cast<std::int64_t>(bytes.size()) - 1 > kMaxOffset) {
    throw invalidInput(slotField(slot, "file") +
                       ": the installer would exceed 2 GiB, beyond the header's 32-bit offsets");
  }
  entry.startOffset = static_cast<std::int32_t>(start);
  entry.endOffset = static_cast<std::int32_t>(start + static_cast<std::int64_t>(bytes.size()) - 1);
  entry.expandedSize = static_cast<std::int32_t>(contents.size());
  installer.insert(installer.end(), bytes.begin(), bytes.end());
}

// What only today's installers understand goes into the extension record, after the slots: a
// package that asks for none of it keeps the marker (or nothing) in slot 0, byte for byte as
// before.
void appendExtensionRecord(const BuildSpec& request, Bytes& installer, BuildResult& result) {
  const Branding& brand = request.branding;
  if (!request.finishWithoutLauncher && brand.publisher.empty() && brand.version.empty() && brand.website.empty()) return;
  saverkit::PackageExtension extension;
  extension.needsNoFlashPlayer = result.header.needsNoFlashPlayer;
  extension.finishWithoutLauncher = request.finishWithoutLauncher;
  extension.publisher = brand.publisher;
  extension.version = brand.version;
  extension.website = brand.website;
  // What the install writes: the extracted slots and the data file's items, in KB rounded up.
  std::int64_t bytes = 0;
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    const auto& entry = result.header.entries[slot];
    const auto folder = saverkit::targetFolder(entry);
    if (!entry.isEmpty() && slot != saverkit::kSlotDataFile &&
        (folder == saverkit::TargetFolder::kProduct || folder == saverkit::TargetFolder::kSystem ||
         folder == saverkit::TargetFolder::kShared)) {
      bytes += entry.expandedSize;
    }
  }
  for (const PlanItem& item : result.items) bytes += item.size;
  extension.estimatedSizeKb = static_cast<std::int32_t>(std::min<std::int64_t>((bytes + 1023) / 1024, 0x7FFFFFFF));
  std::string block;
  try {
    block = saverkit::encodeExtensionBlock(extension);
  } catch (const std::invalid_argument& problem) {
    throw invalidInput(problem.what());
  }
  const auto start = static_cast<std::int64_t>(installer.size());
  if (start + static_cast<std::int64_t>(block.size()) - 1 > kMaxOffset) {
    throw invalidInput("the installer would exceed 2 GiB, beyond the header's 32-bit offsets");
  }
  installer.insert(installer.end(), block.begin(), block.end());
  result.header.extensionBlock.emplace(static_cast<std::int32_t>(start),
                                       static_cast<std::int32_t>(start + static_cast<std::int64_t>(block.size()) - 1));
}

// The stub records the package's digest in its own image, so that the running installer can tell
// the package it was started with from one put in its file's place later. A stub without the
// place (one built before it existed) is left as it is.
void bindPackage(Bytes& installer) {
  const std::size_t stubSize = static_cast<std::size_t>(saverkit::kInstallerSizeInBytes);
  const auto place = saverkit::findBindingRecord(installer.data(), stubSize);
  if (!place) return;
  saverkit::PackageBinding binding;
  binding.packageLength = installer.size() - stubSize;
  binding.digest = saverkit::sha256Of(installer.data() + stubSize, installer.size() - stubSize);
  const auto record = saverkit::encodeBinding(binding);
  std::copy(record.begin(), record.end(), installer.begin() + static_cast<std::ptrdiff_t>(*place));
}

// Her icon and version record go into the stub's reserved room and the reference engine's. An
// engine of her own (slots.6.file) is hers to brand.
void brandPrograms(const BuildSpec& request, Bytes& installer, std::optional<Bytes>& engine) {
  const Branding& branding = request.branding;
  const auto icon = branding.icon.empty() ? std::vector<IconImage>{}
                                          : loadBrandingIcon(branding.icon, pathToUtf8(branding.icon));
  const std::string& saver = request.header.saverName;
  brandProgram(installer, installerBrand(saver, branding, icon), "stub " + quoteText(pathToUtf8(request.stub)));
  if (request.referenceEngine && engine) brandProgram(*engine, engineBrand(saver, branding, icon), "the reference engine");
}

}  // namespace

BuildSpec resolveDefaults(const BuildSpec& original) {
  BuildSpec request = original;
  resolveInstallerMovie(request);
  if (request.data) {
    auto& dataSlot = request.slots[saverkit::kSlotDataFile];
    if (!dataSlot) dataSlot = SlotSpec{};
    if (!dataSlot->file.empty()) {
      throw invalidInput("slots.8.file: slot 8 is built from \"data\"; name a file or a folder, not both");
    }
  }
  auto& library = request.slots[saverkit::kSlotImplodeLibrary];
  if (!library) library = SlotSpec{};
  if (library->file.empty()) {
    library->file = request.defaultLibrary.empty() ? request.stub.parent_path() / "impborl.dll" : request.defaultLibrary;
  }
  if (library->name.empty()) library->name = std::string(saverkit::kImplodeLibraryName);
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    auto& entry = request.slots[slot];
    if (!entry || !entry->name.empty()) continue;
    if (slot == saverkit::kSlotEngine) {
      entry->name = request.header.saverName + ".scr";
    } else if (slot == saverkit::kSlotDataFile && request.data) {
      entry->name = request.header.saverName + ".dat";
    } else {
      entry->name = entry->file.filename().u8string();
    }
  }
  return request;
}

std::int32_t defaultDestination(std::size_t slot) {
  switch (slot) {
    case saverkit::kSlotImplodeLibrary: return saverkit::kDestinationWorkingLibrary;
    case saverkit::kSlotEngine: return saverkit::kDestinationSystem;
    case 7:
    case 9:
    case 10: return saverkit::kDestinationProduct;
    default: return saverkit::kDestinationWorking;
  }
}

BuildResult buildPackage(const BuildSpec& original, bool showProgress) {
  const BuildSpec request = resolveDefaults(original);
  BuildResult result;
  result.header = prospectiveHeader(request);
  // The header's rules and the slot files are judged together, so one run reports both.
  result.findings = checkHeaderRules(result.header, RuleMode::kBuild);
  auto contents = loadSlotFiles(request, result.findings);
  if (result.findings.hasErrors()) throwFindings(result.findings);
  Bytes installer = loadStub(request);
  if (wantsBranding(request.branding)) brandPrograms(request, installer, contents[saverkit::kSlotEngine]);
  if (request.data) {
    DataFileSpec data = *request.data;
    data.output = request.output;
    data.followLinks = request.followLinks;
    BuiltDataFile built = buildDataFile(data, showProgress);
    result.findings.append(built.findings);
    result.items = planItems(built.items);
    result.pictures = built.pictures;
    contents[saverkit::kSlotDataFile] = std::move(built.bytes);
  } else if (const auto& given = contents[saverkit::kSlotDataFile]) {
    // A data file given ready-made is read as the installer will read it.
    const DataFileReport report = readDataFile(given->data(), given->size(), {});
    if (report.findings.hasErrors()) {
      const std::string shown = request.slots[saverkit::kSlotDataFile]->fileAsWritten;
      throw invalidInput(slotField(saverkit::kSlotDataFile, "file") + ": " + quoteText(shown) +
                         " is not a valid screen saver data file (" + report.findings.all().front().text() +
                         "); run saverpack verify on it");
    }
    result.items = planItems(report);
  }
  std::uint64_t total = 0;
  for (const auto& slot : contents) total += slot ? slot->size() : 0;
  ProgressMeter progress("installer", total, showProgress && stderrIsTerminal());

  installer.resize(installer.size() + saverkit::kPackageHeaderSize, 0);
  for (std::size_t slot = 1; slot < saverkit::kPackageSlotCount; ++slot) {
    if (!request.slots[slot] || !contents[slot]) continue;
    appendSlot(installer, slot, *contents[slot], result.header.entries[slot], progress, result.findings);
  }
  progress.finish();
  appendExtensionRecord(request, installer, result);
  const auto header = saverkit::encodePackageHeader(result.header);
  std::copy(header.begin(), header.end(), installer.begin() + saverkit::kInstallerSizeInBytes);
  bindPackage(installer);
  result.installer = std::move(installer);
  return result;
}

}  // namespace saverpack
