// Extraction; see the header.
#include "extractor.h"

#include <set>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "header_rules.h"
#include "held_folder.h"
#include "package_reader.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

// Writes `bytes` to path below the held folder. Returns an empty string or the reason it
// refused. The path is re-checked here so no caller can forget to.
std::string writeInside(HeldFolder& folder, const std::string& path, const Bytes& bytes) {
  if (!saverkit::isSafeRelativePath(path)) return quoteText(path) + " would leave the folder";
  const std::string refusal = folder.write(saverkit::pathComponents(path), bytes);
  return refusal.empty() ? refusal : quoteText(path) + " " + refusal;
}

class Writer {
 public:
  Writer(const fs::path& folder, ExtractResult& result) : folder_(folder), result_(result) {}

  void write(const std::string& where, const std::string& path, const Bytes& bytes) {
    // Folders on Windows ignore case, so "A.txt" and "a.txt" are one file there; keep the
    // first rather than letting a later entry silently replace it.
    std::string key = saverkit::toLowerAscii(path);
    for (char& c : key) c = c == '\\' ? '/' : c;
    if (!seen_.insert(key).second) {
      result_.findings.error(where, "not extracted: " + quoteText(path) + " was already written");
      return;
    }
    const std::string refusal = writeInside(folder_, path, bytes);
    if (!refusal.empty()) {
      result_.findings.error(where, "not extracted: " + refusal);
      return;
    }
    std::string shown = path;
    for (char& c : shown) c = c == '\\' ? '/' : c;
    result_.written.push_back(shown);
  }

 private:
  HeldFolder folder_;
  ExtractResult& result_;
  std::set<std::string> seen_;
};

void writeItems(const DataFileReport& data, const std::string& prefix, const std::string& where,
                const Bytes* movie, Writer& writer, ExtractResult& result) {
  for (const ItemReport& item : data.items) {
    const std::string at = where + "." + std::to_string(item.number);
    if (item.record.path.empty()) continue;
    if (item.record.isMovieCopy()) {
      if (movie != nullptr) writer.write(at, prefix + item.record.path, *movie);
      else result.findings.warning(at, "not extracted: a copy of the installer's movie, which is not in this file");
    } else if (!item.intact) {
      result.findings.error(at, "not extracted: damaged (run saverpack verify)");
    } else if (item.header && item.header->expandedSize == 0) {
      result.findings.warning(at, "not extracted: empty; the installer writes nothing for it");
    } else {
      writer.write(at, prefix + item.record.path, item.contents);
    }
  }
}

}  // namespace

ExtractResult extractPackage(const Bytes& file, const fs::path& folder, bool items) {
  ExtractResult result;
  const PackageReport report = readPackage(file, {true, items});
  if (!report.readable) {
    result.findings.append(report.findings);
    return result;
  }
  Writer writer(folder, result);
  const Bytes* movie = nullptr;
  for (const SlotReport& slot : report.slots) {
    const std::string where = "slots." + std::to_string(slot.slot);
    if (!saverkit::isSafeBareName(slot.entry.name)) {
      result.findings.error(where, "not extracted: " + quoteText(slot.entry.name) + " is not a safe file name");
    } else if (!slot.intact) {
      result.findings.error(where, "not extracted: damaged (run saverpack verify)");
    } else {
      writer.write(where, slot.entry.name, slot.contents);
      if (slot.slot == saverkit::kSlotPresentation) movie = &slot.contents;
    }
  }
  if (items && report.data) writeItems(*report.data, "items\\", "slots.8.items", movie, writer, result);
  return result;
}

ExtractResult extractDataFile(const Bytes& file, const fs::path& folder) {
  ExtractResult result;
  DataFileReadOptions options;
  options.keepContents = true;
  const DataFileReport report = readDataFile(file.data(), file.size(), options);
  if (!report.readable) {
    result.findings.append(report.findings);
    return result;
  }
  Writer writer(folder, result);
  writeItems(report, "", "items", nullptr, writer, result);
  return result;
}

}  // namespace saverpack
