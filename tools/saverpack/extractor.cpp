// Extraction; see the header.
#include "extractor.h"

#include <fstream>
#include <set>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "header_rules.h"
#include "package_reader.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t separator = path.find_first_of("\\/", start);
    parts.push_back(path.substr(start, separator == std::string::npos ? std::string::npos : separator - start));
    if (separator == std::string::npos) return parts;
    start = separator + 1;
  }
}

// Writes `bytes` to folder/path, creating subfolders. Returns an empty string or the reason
// it refused. Every component is re-checked here so no caller can forget to.
std::string writeInside(const fs::path& folder, const std::string& path, const Bytes& bytes) {
  if (!saverkit::isSafeRelativePath(path)) return quoteText(path) + " would leave the folder";
  fs::path target = folder;
  const std::vector<std::string> parts = splitPath(path);
  std::error_code error;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    target /= pathFromUtf8(parts[i]);
    const fs::file_status status = fs::symlink_status(target, error);
    if (fs::is_symlink(status)) return quoteText(path) + " would be written through a link";
    const bool last = i + 1 == parts.size();
    if (!last && !fs::exists(status) && !fs::create_directory(target, error)) {
      return "cannot create folder for " + quoteText(path) + ": " + error.message();
    }
    if (!last && fs::exists(status) && !fs::is_directory(status)) {
      return quoteText(path) + " needs a folder where a file already is";
    }
    if (last && fs::is_directory(status)) return quoteText(path) + " is already a folder";
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out ? std::string() : "cannot write " + quoteText(path);
}

class Writer {
 public:
  Writer(fs::path folder, ExtractResult& result) : folder_(std::move(folder)), result_(result) {}

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
  fs::path folder_;
  ExtractResult& result_;
  std::set<std::string> seen_;
};

void prepareFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder, error)) {
    throw ioError("cannot create folder " + quoteText(pathToUtf8(folder)));
  }
}

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
  prepareFolder(folder);
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
  prepareFolder(folder);
  Writer writer(folder, result);
  writeItems(report, "", "items", nullptr, writer, result);
  return result;
}

}  // namespace saverpack
