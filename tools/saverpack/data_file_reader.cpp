// Data file reading and checking; see the header.
#include "data_file_reader.h"

#include <map>

#include "codec_bridge.h"
#include "common/file_names.h"
#include "common/text_helpers.h"
#include "header_rules.h"
#include "package/data_file_walker.h"

namespace saverpack {
namespace {

using saverkit::DataFileItem;
using saverkit::DataFileWalker;
using saverkit::ItemHeader;
using saverkit::Status;

std::string itemField(const DataFileReadOptions& options, std::int32_t number, const char* field) {
  return options.where + "." + std::to_string(number) + "." + field;
}

// Folds case and separators so paths Windows would treat as one file compare equal.
std::string pathKey(const std::string& path) {
  std::string key = saverkit::toLowerAscii(path);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  return key;
}

// Checks the item's header and bytes and, when they hold up, expands them. The walker judges
// the bounds; a negative size is refused here first, as a tool can say more than the installer.
void readItemBytes(const std::uint8_t* data, DataFileWalker& walker, const DataFileItem& walked,
                   const DataFileReadOptions& options, ItemReport& item, Findings& findings) {
  const Status bounds = walker.readItemHeader(walked, item.header);
  const std::int64_t offset = item.record.itemOffset;
  if (!item.header) {
    findings.error(itemField(options, item.number, "offset"),
                   "item record at " + std::to_string(offset) + " lies outside the file (" +
                       std::to_string(walker.file().size()) + " bytes)");
    return;
  }
  const ItemHeader& header = *item.header;
  if (header.expandedSize < 0 || (header.imploded && header.storedSize < 0)) {
    findings.error(itemField(options, item.number, "size"), "negative size in the item record");
    return;
  }
  if (header.expandedSize == 0) {  // nothing is written, so nothing else is read
    item.intact = true;
    return;
  }
  const std::int64_t start = offset + std::int64_t(saverkit::kItemHeaderSize);
  if (bounds == saverkit::status::kDataFileDamaged) {
    findings.error(itemField(options, item.number, "size"),
                   std::to_string(header.dataLength()) + " data bytes at " + std::to_string(start) +
                       " run past the end of the file");
    return;
  }
  const std::uint8_t* bytes = data + start;
  if (!header.imploded) {
    item.intact = true;
    if (options.keepContents) item.contents.assign(bytes, bytes + header.expandedSize);
    return;
  }
  if (std::uint64_t(header.expandedSize) > maxExpandedSize(std::uint64_t(header.storedSize))) {
    findings.error(itemField(options, item.number, "size"), declaredBeyondTheFormat(header.expandedSize, header.storedSize));
    return;
  }
  ExplodeResult expanded = explodeBytes(bytes, std::size_t(header.storedSize),
                                        std::size_t(header.expandedSize));
  if (expanded.ok && expanded.bytes.size() != std::size_t(header.expandedSize)) {
    expanded.ok = false;
    expanded.error = "expands to " + std::to_string(expanded.bytes.size()) + " bytes, not " +
                     std::to_string(header.expandedSize);
  }
  if (!expanded.ok) {
    findings.error(itemField(options, item.number, "data"), expanded.error);
    return;
  }
  item.intact = true;
  if (options.keepContents) item.contents = std::move(expanded.bytes);
}

void checkItemPath(const DataFileReadOptions& options, const ItemReport& item,
                   std::map<std::string, std::int32_t>& seen, Findings& findings) {
  const std::string& path = item.record.path;
  if (!saverkit::isSafeRelativePath(path)) {
    findings.error(itemField(options, item.number, "path"),
                   quoteText(path) + " is not a safe path inside the product folder");
    return;
  }
  const auto [it, inserted] = seen.emplace(pathKey(path), item.number);
  if (!inserted) {
    findings.error(itemField(options, item.number, "path"),
                   quoteText(path) + " is also written by item " + std::to_string(it->second));
  }
}

void checkMovieCopies(const DataFileReport& report, const DataFileReadOptions& options,
                      Findings& findings) {
  const bool firstIsMovie = !report.items.empty() && report.items.front().record.isMovieCopy();
  if (report.record.saverKind() == saverkit::kSaverKindInstallerMovie && !firstIsMovie) {
    findings.error(options.where + ".1.kind",
                   "saver kind 3 needs item 1 to be the installer's movie (kind 3)");
  }
  const bool firstHasPath = !report.items.empty() && !report.items.front().record.path.empty();
  for (const ItemReport& item : report.items) {
    if (item.number > 1 && item.record.isMovieCopy() && !item.record.path.empty() && !firstHasPath) {
      findings.error(itemField(options, item.number, "kind"),
                     "copies item 1's movie, but item 1 is skipped");
    }
  }
}

}  // namespace

DataFileReport readDataFile(const std::uint8_t* data, std::size_t size,
                            const DataFileReadOptions& options) {
  DataFileReport report;
  if (size < saverkit::kSaverRecordSize) {
    report.findings.error(options.where, "a data file needs at least 1240 bytes; this one has " +
                                             std::to_string(size));
    return report;
  }
  saverkit::ByteSpanFile file(data, size);
  DataFileWalker walker(file, 0, static_cast<std::int64_t>(size));
  const bool fits = walker.readDirectory() == saverkit::status::kSuccess;
  report.record = walker.record();
  const std::int32_t count = report.record.itemCount();
  if (!fits) {
    report.findings.error(options.where, count < 0 || count > saverkit::kMaxDataFileItems
                                             ? "item count " + std::to_string(count) + " is outside 0 to 1010"
                                             : "the directory of " + std::to_string(count) +
                                                   " items runs past the end of the file");
    return report;
  }
  report.readable = true;
  std::map<std::string, std::int32_t> seen;
  walker.visitItems([&](const DataFileItem& walked) {
    ItemReport item;
    item.number = walked.number;
    item.record = walked.record;
    if (!item.record.path.empty()) {
      checkItemPath(options, item, seen, report.findings);
      // The item's own kind decides here, not the installer's rule for item 1 of a kind-3
      // saver: an item 1 that does not say it is the movie is reported, and its bytes shown.
      if (item.record.isMovieCopy()) {
        item.intact = true;
      } else {
        readItemBytes(data, walker, walked, options, item, report.findings);
      }
    }
    report.items.push_back(std::move(item));
    return saverkit::status::kSuccess;
  });
  checkMovieCopies(report, options, report.findings);
  return report;
}

}  // namespace saverpack
