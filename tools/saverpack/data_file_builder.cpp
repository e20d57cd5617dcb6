// Data file building; see the header.
#include "data_file_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

#include "codec_bridge.h"
#include "common/file_names.h"
#include "common/text_helpers.h"
#include "header_rules.h"
#include "package/data_file_format.h"
#include "package/package_format.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;
using saverkit::kInstallerMovieName;

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

struct SourceFile {
  std::string path;  // "\"-separated, relative to the content folder
  fs::path file;
  std::uint64_t size = 0;
};

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool globAt(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return text.empty();
  if (pattern.substr(0, 2) == "**") {
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (globAt(pattern.substr(2), text.substr(i))) return true;
    }
    return false;
  }
  if (pattern[0] == '*') {
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (globAt(pattern.substr(1), text.substr(i))) return true;
      if (i < text.size() && text[i] == '\\') break;
    }
    return false;
  }
  if (text.empty() || (text[0] == '\\' && pattern[0] != '\\')) return false;
  if (pattern[0] != '?' && foldCase(pattern[0]) != foldCase(text[0])) return false;
  return globAt(pattern.substr(1), text.substr(1));
}

std::string withBackslashes(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

ImplodeChoice choiceFor(const DataFileSpec& request, const std::string& path) {
  for (const ImplodeRule& rule : request.rules) {
    if (matchesGlob(rule.pattern, path)) return rule.choice;
  }
  return request.defaultChoice;
}

std::vector<SourceFile> collectFiles(const DataFileSpec& request, Findings& findings) {
  const std::string where = request.where + ".folder";
  std::error_code error;
  if (!fs::is_directory(request.folder, error)) {
    throw invalidInput(where + ": no such folder " + quoteText(pathToUtf8(request.folder)));
  }
  std::vector<SourceFile> files;
  fs::recursive_directory_iterator it(request.folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    const std::string path = withBackslashes(it->path().lexically_relative(request.folder).generic_u8string());
    if (it->is_directory(error)) {
      if (it->is_symlink(error)) findings.warning(where, quoteText(path) + " is a linked folder; not followed");
      continue;
    }
    if (!it->is_regular_file(error)) {
      findings.warning(where, quoteText(path) + " is not a regular file; skipped");
      continue;
    }
    files.push_back({path, it->path(), static_cast<std::uint64_t>(it->file_size(error))});
  }
  if (error) throw ioError(where + ": cannot list " + quoteText(pathToUtf8(request.folder)) + ": " + error.message());
  // Directory listing order differs between file systems; sorting keeps builds reproducible.
  std::sort(files.begin(), files.end(),
            [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
  return files;
}

void checkItemPaths(const DataFileSpec& request, const std::vector<std::string>& paths,
                    Findings& findings) {
  std::map<std::string, std::string> seen;
  for (const std::string& path : paths) {
    const std::string where = request.where + ".folder";
    if (path.size() > saverkit::kMaxItemPathLength) {
      findings.error(where, quoteText(path) + " is longer than 255 characters");
    } else if (!isPrintableAscii(path)) {
      findings.error(where, quoteText(path) + " must be printable ASCII");
    } else if (!saverkit::isSafeRelativePath(path)) {
      findings.error(where, quoteText(path) + " is not a valid Windows path");
    } else if (const auto [it, inserted] = seen.emplace(saverkit::toLowerAscii(path), path); !inserted) {
      findings.error(where, quoteText(path) + " and " + quoteText(it->second) + " are the same file on Windows");
    }
  }
  if (paths.size() > std::size_t(saverkit::kMaxDataFileItems)) {
    findings.error(request.where, std::to_string(paths.size()) + " items; the installer takes at most 1010");
  }
}

saverkit::SaverRecord loadRecord(const DataFileSpec& request) {
  saverkit::SaverRecord record;
  if (!request.recordFile) return record;
  std::error_code error;
  if (!fs::is_regular_file(*request.recordFile, error)) {
    throw invalidInput(request.where + ".recordFile: no such file " + quoteText(pathToUtf8(*request.recordFile)));
  }
  const Bytes bytes = readWholeFile(*request.recordFile);
  if (bytes.size() != saverkit::kSaverRecordSize) {
    throw invalidInput(request.where + ".recordFile: " + quoteText(pathToUtf8(*request.recordFile)) + " has " +
                       std::to_string(bytes.size()) + " bytes; a saver record has exactly 1240");
  }
  std::memcpy(record.bytes.data(), bytes.data(), bytes.size());
  return record;
}

// Appends one item record and fills in its directory entry.
void appendItem(Bytes& out, std::int32_t number, BuiltItem& item, const Bytes& stored) {
  if (std::int64_t(out.size()) + std::int64_t(saverkit::kItemHeaderSize + stored.size()) > kMaxOffset) {
    throw invalidInput("data: the data file would exceed 2 GiB, beyond 32-bit offsets");
  }
  saverkit::DirectoryRecord record;
  record.itemKind = item.kind;
  record.path = item.path;
  record.itemOffset = static_cast<std::int32_t>(out.size());
  const auto directory = saverkit::encodeDirectoryRecord(record);
  std::copy(directory.begin(), directory.end(),
            out.begin() + static_cast<std::ptrdiff_t>(saverkit::directoryRecordOffset(number)));
  const auto header = saverkit::encodeItemHeader({item.expandedSize, item.storedSize, item.imploded});
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), stored.begin(), stored.end());
}

BuiltItem packFile(const DataFileSpec& request, const SourceFile& source, Bytes& stored,
                   ProgressMeter& progress, Findings& findings) {
  if (source.size > std::uint64_t(kMaxOffset)) {
    throw invalidInput(request.where + ".folder: " + quoteText(source.path) + " is larger than 2 GiB");
  }
  Bytes contents = readWholeFile(source.file);
  BuiltItem item{source.path, saverkit::kItemKindData, static_cast<std::int32_t>(contents.size()), 0, false};
  if (contents.empty()) {
    findings.warning(request.where + ".folder", quoteText(source.path) +
                                                 " is empty; the installer writes nothing for it");
  }
  const ImplodeChoice choice = contents.empty() ? ImplodeChoice::kNever : choiceFor(request, source.path);
  if (choice != ImplodeChoice::kNever) {
    Bytes imploded = implodeBytes(contents, &progress);
    if (choice == ImplodeChoice::kAlways || imploded.size() < contents.size()) {
      item.imploded = true;
      item.storedSize = static_cast<std::int32_t>(imploded.size());
      stored = std::move(imploded);
      return item;
    }
  } else {
    progress.advance(contents.size());
  }
  item.storedSize = item.expandedSize;
  stored = std::move(contents);
  return item;
}

// For a saver of kind 3, item 1 is the installer's movie and any requested copies follow it;
// the folder's own installer.swf is taken out of the ordinary items. Also checks every item
// path, throwing with all problems found.
std::vector<BuiltItem> planMovieItems(const DataFileSpec& request, BuiltDataFile& result,
                                      std::vector<SourceFile>& files) {
  Findings problems;
  std::vector<BuiltItem> movieItems;
  if (result.saverKind == saverkit::kSaverKindInstallerMovie) {
    const auto movie = std::find_if(files.begin(), files.end(), [](const SourceFile& f) {
      return saverkit::toLowerAscii(f.path) == kInstallerMovieName;
    });
    if (movie != files.end()) {
      result.installerMovie = movie->file;
      files.erase(movie);
    }
    movieItems.push_back({std::string(kInstallerMovieName), saverkit::kItemKindMovieCopy, 0, 0, false});
    for (const std::string& copy : request.movieCopies) {
      movieItems.push_back({withBackslashes(copy), saverkit::kItemKindMovieCopy, 0, 0, false});
    }
  } else if (!request.movieCopies.empty()) {
    problems.error(request.where + ".movieCopies", "only a saver of kind 3 has an installer movie to copy");
  }
  std::vector<std::string> paths;
  for (const BuiltItem& item : movieItems) paths.push_back(item.path);
  for (const SourceFile& file : files) paths.push_back(file.path);
  checkItemPaths(request, paths, problems);
  if (problems.hasErrors()) {
    std::string message;
    for (const Finding& finding : problems.all()) message += (message.empty() ? "" : "\n") + finding.text();
    throw invalidInput(message);
  }
  return movieItems;
}

}  // namespace

bool matchesGlob(std::string_view pattern, std::string_view path) {
  const std::string fullPattern = withBackslashes(pattern);
  const std::string fullPath = withBackslashes(path);
  if (fullPattern.find('\\') == std::string::npos) {
    return globAt(fullPattern, std::string_view(fullPath).substr(fullPath.rfind('\\') + 1));
  }
  return globAt(fullPattern, fullPath);
}

std::optional<ImplodeChoice> parseImplodeChoice(std::string_view text) {
  if (text == "auto") return ImplodeChoice::kAuto;
  if (text == "always") return ImplodeChoice::kAlways;
  if (text == "never") return ImplodeChoice::kNever;
  return std::nullopt;
}

BuiltDataFile buildDataFile(const DataFileSpec& request, bool showProgress) {
  BuiltDataFile result;
  std::vector<SourceFile> files = collectFiles(request, result.findings);
  saverkit::SaverRecord record = loadRecord(request);
  result.saverKind = request.saverKind ? *request.saverKind : record.saverKind();
  std::vector<BuiltItem> movieItems = planMovieItems(request, result, files);

  const auto count = static_cast<std::int32_t>(movieItems.size() + files.size());
  record.setItemCount(count);
  record.setSaverKind(result.saverKind);
  result.bytes.assign(record.bytes.begin(), record.bytes.end());
  result.bytes.resize(static_cast<std::size_t>(saverkit::directoryEnd(count)), 0);

  std::uint64_t total = 0;
  for (const SourceFile& file : files) total += file.size;
  ProgressMeter progress("data file", total, showProgress && stderrIsTerminal());
  std::int32_t number = 0;
  for (BuiltItem& item : movieItems) {
    appendItem(result.bytes, ++number, item, {});  // the bytes come from the installer's movie
    result.items.push_back(item);
  }
  for (const SourceFile& file : files) {
    Bytes stored;
    BuiltItem item = packFile(request, file, stored, progress, result.findings);
    appendItem(result.bytes, ++number, item, stored);
    result.items.push_back(item);
  }
  progress.finish();
  return result;
}

}  // namespace saverpack
