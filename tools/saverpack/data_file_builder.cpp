// Data file building; see the header.
#include "data_file_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

#include "codec_bridge.h"
#include "common/file_names.h"
#include "common/text_helpers.h"
#include "content_names.h"
#include "header_rules.h"
#include "messages.h"
#include "output_guard.h"
#include "photo_metadata.h"
#include "package/data_file_format.h"
#include "package/package_format.h"
#include "tool_error.h"
#include "video_probe.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;
using saverkit::kInstallerMovieName;

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

struct SourceFile {
  std::string path;  // "\"-separated, relative to the content folder
  fs::path file;
  std::uint64_t size = 0;
  const Bytes* made = nullptr;  // the bytes of a file saverpack made, which has no `file`
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

// Folds case and the endings Windows drops, so paths that name one file there compare equal.
std::string windowsKey(const std::string& path) {
  std::string key;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\') continue;
    key += saverkit::toLowerAscii(saverkit::storedFileName(std::string_view(path).substr(start, i - start)));
    if (i < path.size()) key += '\\';
    start = i + 1;
  }
  return key;
}

std::string withBackslashes(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

// The rule that decides a file, or nothing when the default does.
const ImplodeRule* ruleFor(const DataFileSpec& request, const std::string& path) {
  for (const ImplodeRule& rule : request.rules) {
    if (matchesGlob(rule.pattern, path)) return &rule;
  }
  return nullptr;
}

// A rule that decides no file is most likely a typing mistake in its pattern.
void checkRulesUsed(const DataFileSpec& request, const std::vector<SourceFile>& files, Findings& findings) {
  for (const ImplodeRule& rule : request.rules) {
    std::size_t matched = 0;
    std::size_t decided = 0;
    for (const SourceFile& file : files) {
      if (!matchesGlob(rule.pattern, file.path)) continue;
      ++matched;
      decided += ruleFor(request, file.path) == &rule;
    }
    if (matched == 0) {
      findings.warning(rule.where, quoteText(rule.pattern) + " matches no file in the content folder");
    } else if (decided == 0) {
      findings.warning(rule.where, quoteText(rule.pattern) + " matches " + plural(std::int64_t(matched), "file") +
                                       ", but earlier rules decide all of them");
    }
  }
}

[[noreturn]] void throwErrors(const Findings& findings) {
  std::string message;
  for (const Finding& finding : findings.all()) {
    if (finding.severity == Finding::Severity::kError) message += (message.empty() ? "" : "\n") + finding.text();
  }
  throw invalidInput(message);
}

class FolderWalk {
 public:
  FolderWalk(const DataFileSpec& request, Findings& warnings)
      : request_(request), where_(request.where + ".folder"), warnings_(warnings), guard_(request.output) {}

  std::vector<SourceFile> run() {
    std::error_code error;
    if (!fs::is_directory(request_.folder, error)) {
      throw invalidInput(where_ + ": no such folder " + quoteText(pathToUtf8(request_.folder)));
    }
    guard_.checkFolder(request_.folder, "the content folder (" + where_ + ")");
    ancestors_.push_back(fs::canonical(request_.folder, error));
    walk(request_.folder, "");
    if (problems_.hasErrors()) throwErrors(problems_);
    // Directory listing order differs between file systems; sorting keeps builds reproducible.
    std::sort(files_.begin(), files_.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
    return std::move(files_);
  }

 private:
  void walk(const fs::path& folder, const std::string& prefix) {
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().u8string();
      const std::string path = prefix.empty() ? name : prefix + "\\" + name;
      if (name.find('\\') != std::string::npos) {
        problems_.error(where_, quoteText(path) + " has \"\\\" in its name, which Windows does not allow");
        continue;
      }
      std::error_code statusError;
      const bool link = it->is_symlink(statusError);
      const fs::file_status status = it->status(statusError);
      if (link && !request_.followLinks) {
        problems_.error(where_, quoteText(path) + " is a link" +
                                    (fs::is_directory(status) ? " to a folder" : "") +
                                    "; links are not packed unless you pass --follow-links (or put the "
                                    "real file there)");
        continue;
      }
      if (link && !fs::exists(status)) {
        problems_.error(where_, quoteText(path) + " is a link to nothing (its target is missing)");
        continue;
      }
      if (fs::is_directory(status)) {
        enter(it->path(), path);
      } else if (fs::is_regular_file(status) && isDesktopLeftover(name)) {
        warnings_.note(where_, quoteText(path) + " left out: the desktop made it, not the author");
      } else if (fs::is_regular_file(status)) {
        guard_.check(it->path(), "the content file " + quoteText(path) + " (" + where_ + ")");
        files_.push_back({path, it->path(), static_cast<std::uint64_t>(fs::file_size(it->path(), statusError))});
      } else {
        warnings_.warning(where_, quoteText(path) + " is not a regular file; skipped");
      }
    }
    if (error) {
      throw ioError(where_ + ": cannot list " + quoteText(pathToUtf8(folder)) + ": " + error.message());
    }
  }

  void enter(const fs::path& folder, const std::string& path) {
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (std::find(ancestors_.begin(), ancestors_.end(), real) != ancestors_.end()) {
      problems_.error(where_, quoteText(path) + " leads back to a folder that holds it; following it would "
                                                "never end");
      return;
    }
    ancestors_.push_back(real);
    walk(folder, path);
    ancestors_.pop_back();
  }

  const DataFileSpec& request_;
  std::string where_;
  Findings& warnings_;
  Findings problems_;
  InputGuard guard_;
  std::vector<fs::path> ancestors_;
  std::vector<SourceFile> files_;
};

// Where a path stops being ASCII: the first folder whose own name is not (everything below it
// goes with it), or else the folder of a file whose name is not. One report per such place.
std::string nonAsciiPlace(const std::string& path, bool& folderName) {
  std::size_t start = 0;
  for (std::size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', start)) {
    if (!isPrintableAscii(path.substr(start, end - start))) {
      folderName = true;
      return path.substr(0, end + 1);
    }
    start = end + 1;
  }
  folderName = false;
  return start == 0 ? std::string(".\\") : path.substr(0, start);
}

void reportNonAsciiNames(const std::string& where, const std::vector<std::string>& paths, Findings& findings) {
  std::map<std::string, std::pair<std::size_t, std::string>> places;  // place -> count, first path
  std::map<std::string, bool> isFolderName;
  for (const std::string& path : paths) {
    if (isPrintableAscii(path)) continue;
    bool folderName = false;
    const std::string place = nonAsciiPlace(path, folderName);
    auto& [count, first] = places[place];
    if (count++ == 0) first = path;
    isFolderName[place] = folderName;
  }
  for (const auto& [place, seen] : places) {
    const std::string files = seen.first == 1 ? "1 file" : std::to_string(seen.first) + " files";
    const std::string what = isFolderName[place]
        ? "the folder " + quoteText(place) + " has a name that is not printable ASCII (" + files + " in it); rename the folder"
        : quoteText(place) + " holds " + files + " whose names are not printable ASCII (the first: " +
              quoteText(seen.second) + "); rename them";
    findings.error(where, what + " with ASCII letters, digits and punctuation only: the installer reads paths in "
                                 "the system's single-byte code page, which differs from machine to machine");
  }
}

void checkItemPaths(const DataFileSpec& request, const std::vector<std::string>& paths,
                    Findings& findings) {
  std::map<std::string, std::string> seen;
  reportNonAsciiNames(request.where + ".folder", paths, findings);
  for (const std::string& path : paths) {
    const std::string where = request.where + ".folder";
    if (path.size() > saverkit::kMaxItemPathLength) {
      findings.error(where, quoteText(path) + " is longer than 255 characters, the longest item path "
                                              "the data file holds");
    } else if (!isPrintableAscii(path)) {
      continue;  // reported once for its folder
    } else if (!saverkit::isSafeRelativePath(path)) {
      findings.error(where, unsafePathReason(path));
    } else if (const auto [it, inserted] = seen.emplace(windowsKey(path), path); !inserted) {
      findings.error(where, quoteText(path) + " and " + quoteText(it->second) + " are the same file on Windows");
    } else if (const std::string note = droppedEndingNote(path); !note.empty()) {
      findings.warning(where, note);
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
  InputGuard(request.output).check(*request.recordFile, "the record file (" + request.where + ".recordFile)");
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

// With rules, a photo is prepared for the screen; without, one that would tell where it was
// taken is noted for the warning.
void preparePhoto(const DataFileSpec& request, const SourceFile& source, Bytes& contents, BuiltDataFile& result,
                  std::vector<std::string>& locatedPhotos) {
  const PictureFormat format = pictureFormatOf(contents);
  if (format == PictureFormat::kNone) return;
  if (!request.pictures) {
    if (format == PictureFormat::kJpeg && readPhotoMetadata(contents).gps) locatedPhotos.push_back(source.path);
    return;
  }
  std::optional<Bytes> prepared = preparePicture(contents, format, *request.pictures,
                                                 request.where + ".folder: " + quoteText(source.path));
  if (!prepared) return;
  result.pictures.prepared += 1;
  result.pictures.before += contents.size();
  result.pictures.after += prepared->size();
  contents = std::move(*prepared);
}

// The engine plays what Media Foundation plays; a video it cannot would be passed over in the
// show without a word, so the author hears of it here.
void warnOfUnplayableVideo(const DataFileSpec& request, const std::string& path, const Bytes& contents,
                           Findings& findings) {
  const ByteReader read = [&contents](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    if (offset >= contents.size()) return std::size_t(0);
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, contents.size() - offset));
    std::copy_n(contents.begin() + std::ptrdiff_t(offset), count, into);
    return count;
  };
  const std::string advice = videoAdvice(probeVideo(read, contents.size()));
  if (!advice.empty()) findings.warning(request.where + ".folder", quoteText(path) + " " + advice);
}

BuiltItem packFile(const DataFileSpec& request, const SourceFile& source, Bytes& stored,
                   ProgressMeter& progress, BuiltDataFile& result, std::vector<std::string>& locatedPhotos) {
  if (source.size > std::uint64_t(kMaxOffset)) {
    throw invalidInput(request.where + ".folder: " + quoteText(source.path) + " is larger than 2 GiB");
  }
  Bytes contents = source.made ? *source.made : readWholeFile(source.file);
  if (!source.made) preparePhoto(request, source, contents, result, locatedPhotos);
  // The bar counts the folder's bytes; what preparing took off is done with.
  progress.advance(source.size > contents.size() ? source.size - contents.size() : 0);
  Findings& findings = result.findings;
  BuiltItem item{source.path, saverkit::kItemKindData, static_cast<std::int32_t>(contents.size()), 0, false};
  if (contents.empty()) {
    findings.warning(request.where + ".folder", quoteText(source.path) +
                                                 " is empty; the installer writes nothing for it");
  }
  const ImplodeRule* rule = ruleFor(request, source.path);
  ImplodeChoice choice = contents.empty() ? ImplodeChoice::kNever : rule ? rule->choice : request.defaultChoice;
  const bool video = !source.made && isVideoName(source.path);
  if (video) {
    warnOfUnplayableVideo(request, source.path, contents, findings);
    // A video is compressed already: imploding it saves next to nothing, and the installer
    // would spend as long expanding it as saverpack spent imploding it.
    if (choice == ImplodeChoice::kAuto) choice = ImplodeChoice::kNever;
  }
  if (choice != ImplodeChoice::kNever) {
    Bytes imploded = implodeBytes(contents, &progress);
    if (video) {
      findings.warning(rule ? rule->where : request.where + ".implode",
                       quoteText(source.path) + " is a video and is imploded as asked (" +
                           std::to_string(contents.size()) + " to " + std::to_string(imploded.size()) +
                           " bytes), which slows the install for little; \"auto\" stores videos as they are");
    } else if (choice == ImplodeChoice::kAlways && imploded.size() > contents.size()) {
      findings.warning(rule ? rule->where : request.where + ".implode",
                       quoteText(source.path) + " grows when imploded (" + std::to_string(contents.size()) +
                           " to " + std::to_string(imploded.size()) + " bytes); \"auto\" would store it as is");
    }
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
  if (problems.hasErrors()) throwErrors(problems);
  result.findings.append(problems);
  return movieItems;
}

// Spells every name in ASCII, noting each change; two files that would end up as one are
// refused, since either choice would lose the other.
void spellNamesInAscii(const DataFileSpec& request, std::vector<SourceFile>& files, Findings& findings) {
  const std::string where = request.where + ".folder";
  Findings problems;
  std::map<std::string, std::string> taken;  // Windows' form of a name -> the file that has it
  for (const SourceFile& file : files) {
    if (isPrintableAscii(file.path)) taken.emplace(windowsKey(file.path), file.path);
  }
  for (SourceFile& file : files) {
    if (isPrintableAscii(file.path)) continue;
    const std::string spelt = asciiFileName(file.path);
    if (const auto [it, inserted] = taken.emplace(windowsKey(spelt), file.path); !inserted) {
      problems.error(where, quoteText(file.path) + " and " + quoteText(it->second) + " would both be " + quoteText(spelt) +
                                " on Windows with --ascii-names; rename one of them");
    } else {
      findings.note(where, quoteText(file.path) + " \u2192 " + quoteText(spelt));
    }
    file.path = spelt;
  }
  if (problems.hasErrors()) throwErrors(problems);
  std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
}

void warnOfLocatedPhotos(const DataFileSpec& request, const std::vector<std::string>& photos, Findings& findings) {
  if (photos.empty()) return;
  findings.warning(request.where + ".folder",
                   plural(std::int64_t(photos.size()), "photo") +
                       (photos.size() == 1 ? " carries the place where it was" : " carry the places where they were") +
                       " taken (GPS in their EXIF; the first: " + quoteText(photos.front()) +
                       "); a \"pictures\" section in the manifest removes it");
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
  if (request.pictures && !picturePreparationAvailable()) {
    throw invalidInput(request.where + ".pictures: " + kPicturesNeedLibrary);
  }
  std::vector<SourceFile> files = FolderWalk(request, result.findings).run();
  if (request.asciiNames) spellNamesInAscii(request, files, result.findings);
  for (const auto& [path, bytes] : request.madeFiles) {
    for (const SourceFile& file : files) {
      if (saverkit::toLowerAscii(file.path) == saverkit::toLowerAscii(path)) {
        throw invalidInput(request.where + ".folder: " + quoteText(file.path) + " has the name of the file saverpack "
                           "writes for the manifest's \"show\" section; rename it");
      }
    }
    files.push_back({path, {}, bytes.size(), &bytes});
  }
  if (files.empty()) {
    result.findings.warning(request.where + ".folder", "the folder holds no files; the data file will have no items");
  }
  saverkit::SaverRecord record = loadRecord(request);
  result.saverKind = request.saverKind ? *request.saverKind : record.saverKind();
  std::vector<BuiltItem> movieItems = planMovieItems(request, result, files);
  if (!files.empty()) checkRulesUsed(request, files, result.findings);

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
  std::vector<std::string> locatedPhotos;
  for (const SourceFile& file : files) {
    Bytes stored;
    BuiltItem item = packFile(request, file, stored, progress, result, locatedPhotos);
    appendItem(result.bytes, ++number, item, stored);
    result.items.push_back(item);
  }
  progress.finish();
  warnOfLocatedPhotos(request, locatedPhotos, result.findings);
  return result;
}

}  // namespace saverpack
