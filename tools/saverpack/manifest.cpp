// Manifest reading; see the header. Keys keep their order (ordered_json) because implode rules
// apply first match first.
#include "manifest.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "common/text_helpers.h"
#include "header_rules.h"
#include "package/show_defaults.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

class ManifestReader {
 public:
  explicit ManifestReader(fs::path baseFolder) : base_(std::move(baseFolder)) {}

  BuildSpec read(const Json& root);
  const Findings& findings() const { return findings_; }

 private:
  void expectKeys(const Json& object, const std::string& where, std::initializer_list<const char*> keys);
  std::optional<std::string> string(const Json& object, const char* key, const std::string& where);
  std::optional<bool> boolean(const Json& object, const char* key, const std::string& where);
  std::optional<std::int64_t> integer(const Json& object, const char* key, const std::string& where);
  fs::path path(const std::string& text) const { return base_ / pathFromUtf8(text); }
  void readPresentation(const Json& root, BuildSpec& request);
  void readOptions(const Json& root, BuildSpec& request);
  void readSlots(const Json& root, BuildSpec& request);
  std::optional<SlotSpec> readSlot(const Json& value, const std::string& where);
  std::optional<std::int32_t> readDestination(const Json& value, const std::string& where);
  void readData(const Json& root, BuildSpec& request);
  void readEngine(const Json& root, BuildSpec& request);
  void readBranding(const Json& root, BuildSpec& request);
  void readPictures(const Json& root, BuildSpec& request);
  void readShow(const Json& root, BuildSpec& request);
  std::optional<int> bounded(const Json& object, const char* key, const std::string& where, int low, int high);
  void readImplodeRules(const Json& value, const std::string& where, DataFileSpec& data);

  fs::path base_;
  Findings findings_;
};

std::string field(const std::string& where, const char* key) {
  return where.empty() ? key : where + "." + key;
}

// Letters to change, add or remove to turn one key into the other, ignoring letter case, so a
// misspelt key can be matched to the one the author meant.
std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = saverkit::toLowerAscii(a.substr(i - 1, 1)) == saverkit::toLowerAscii(b.substr(j - 1, 1));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

void ManifestReader::expectKeys(const Json& object, const std::string& where,
                                std::initializer_list<const char*> keys) {
  for (const auto& item : object.items()) {
    const std::string& given = item.key();
    bool known = false;
    const char* nearest = nullptr;
    std::size_t best = 0;
    for (const char* key : keys) {
      known = known || given == key;
      const std::size_t distance = editDistance(given, key);
      if (nearest == nullptr || distance < best) {
        nearest = key;
        best = distance;
      }
    }
    if (known) continue;
    // A third of the key's letters is as far as a slip of the fingers goes.
    const bool close = nearest != nullptr && best <= std::max<std::size_t>(1, std::string(nearest).size() / 3);
    findings_.error(field(where, given.c_str()),
                    close ? "unknown key; did you mean " + std::string(nearest) + "?" : "unknown key");
  }
}

std::optional<std::string> ManifestReader::string(const Json& object, const char* key,
                                                  const std::string& where) {
  if (!object.contains(key)) return std::nullopt;
  if (!object[key].is_string()) {
    findings_.error(field(where, key), "must be a string");
    return std::nullopt;
  }
  return object[key].get<std::string>();
}

std::optional<bool> ManifestReader::boolean(const Json& object, const char* key,
                                            const std::string& where) {
  if (!object.contains(key)) return std::nullopt;
  if (!object[key].is_boolean()) {
    findings_.error(field(where, key), "must be true or false");
    return std::nullopt;
  }
  return object[key].get<bool>();
}

std::optional<std::int64_t> ManifestReader::integer(const Json& object, const char* key,
                                                    const std::string& where) {
  if (!object.contains(key)) return std::nullopt;
  if (!object[key].is_number_integer()) {
    findings_.error(field(where, key), "must be a whole number");
    return std::nullopt;
  }
  return object[key].get<std::int64_t>();
}

void ManifestReader::readPresentation(const Json& root, BuildSpec& request) {
  if (!root.contains("presentationMode")) {
    findings_.error("presentationMode", "missing (bitmap, flash, quiet, jpeg or 1, 2, 3, 4, 8)");
    return;
  }
  const Json& mode = root["presentationMode"];
  if (mode.is_string()) {
    const std::string name = mode.get<std::string>();
    const struct { const char* name; std::uint8_t value; } kNames[] = {
        {"bitmap", saverkit::kPresentationBitmap}, {"flash", saverkit::kPresentationFlash},
        {"quiet", saverkit::kPresentationQuiet}, {"jpeg", saverkit::kPresentationJpeg}};
    for (const auto& known : kNames) {
      if (name == known.name) {
        request.header.presentationMode = known.value;
        return;
      }
    }
    findings_.error("presentationMode", quoteText(name) + " is not bitmap, flash, quiet or jpeg");
  } else if (mode.is_number_integer() && mode.get<std::int64_t>() >= 0 && mode.get<std::int64_t>() <= 255 &&
             saverkit::isKnownPresentationMode(mode.get<std::uint8_t>())) {
    request.header.presentationMode = mode.get<std::uint8_t>();
  } else {
    findings_.error("presentationMode", "must be bitmap, flash, quiet, jpeg or 1, 2, 3, 4, 8");
  }
}

void ManifestReader::readOptions(const Json& root, BuildSpec& request) {
  // Unless said otherwise, an option is on exactly when its slot carries a file.
  auto& header = request.header;
  header.hasLicense = request.slots[saverkit::kSlotLicense].has_value();
  header.hasReadMe = request.slots[saverkit::kSlotReadMe].has_value();
  header.carriesFlashInstaller = request.slots[saverkit::kSlotFlashInstaller].has_value();
  if (!root.contains("options")) return;
  const Json& options = root["options"];
  if (!options.is_object()) {
    findings_.error("options", "must be an object");
    return;
  }
  expectKeys(options, "options",
             {"license", "readMe", "askOpenControlPanel", "flashInstaller", "flashVersionIndex", "finishWithoutLauncher"});
  header.hasLicense = boolean(options, "license", "options").value_or(header.hasLicense);
  header.hasReadMe = boolean(options, "readMe", "options").value_or(header.hasReadMe);
  header.askOpenControlPanel = boolean(options, "askOpenControlPanel", "options").value_or(false);
  request.finishWithoutLauncher = boolean(options, "finishWithoutLauncher", "options").value_or(false);
  header.carriesFlashInstaller =
      boolean(options, "flashInstaller", "options").value_or(header.carriesFlashInstaller);
  if (const auto index = integer(options, "flashVersionIndex", "options")) {
    if (*index == 0 || *index == 1) {
      header.flashVersionIndex = static_cast<std::uint8_t>(*index);
    } else {
      findings_.error("options.flashVersionIndex", std::to_string(*index) + " is not 0 or 1");
    }
  }
}

std::optional<std::int32_t> ManifestReader::readDestination(const Json& value, const std::string& where) {
  if (value.is_number_integer() && value.get<std::int64_t>() >= 0 &&
      value.get<std::int64_t>() <= saverkit::kMaxDestinationKind) {
    return value.get<std::int32_t>();
  }
  if (value.is_string()) {
    const std::string name = value.get<std::string>();
    if (name == "product") return saverkit::kDestinationProduct;
    if (name == "system") return saverkit::kDestinationSystem;
    if (name == "shared") return saverkit::kDestinationPlayerOrShared;
    if (name == "working") return saverkit::kDestinationWorking;
  }
  findings_.error(where, "must be product, system, shared, working or a kind from 0 to 10");
  return std::nullopt;
}

std::optional<SlotSpec> ManifestReader::readSlot(const Json& value, const std::string& where) {
  if (!value.is_object()) {
    findings_.error(where, "must be an object");
    return std::nullopt;
  }
  expectKeys(value, where, {"file", "name", "destination", "implode"});
  SlotSpec slot;
  if (const auto file = string(value, "file", where)) {
    slot.file = path(*file);
    slot.fileAsWritten = *file;
  }
  slot.name = string(value, "name", where).value_or("");
  if (value.contains("name") && slot.name.empty()) findings_.error(field(where, "name"), "is empty");
  if (value.contains("destination")) slot.destination = readDestination(value["destination"], field(where, "destination"));
  slot.implode = boolean(value, "implode", where).value_or(false);
  return slot;
}

void ManifestReader::readSlots(const Json& root, BuildSpec& request) {
  if (!root.contains("slots")) return;
  const Json& slots = root["slots"];
  if (!slots.is_object()) {
    findings_.error("slots", "must be an object keyed by slot number");
    return;
  }
  for (const auto& item : slots.items()) {
    const std::string where = "slots." + item.key();
    std::size_t slot = 0;
    for (std::size_t candidate = 1; candidate < saverkit::kPackageSlotCount; ++candidate) {
      if (item.key() == std::to_string(candidate)) slot = candidate;
    }
    if (slot == 0) {
      findings_.error(where, "not a slot; slots are numbered 1 to 10");
      continue;
    }
    request.slots[slot] = readSlot(item.value(), where);
    if (request.slots[slot] && request.slots[slot]->file.empty() && slot != saverkit::kSlotImplodeLibrary &&
        slot != saverkit::kSlotPresentation && !(slot == saverkit::kSlotDataFile && root.contains("data")) &&
        !(slot == saverkit::kSlotEngine && root.contains("engine"))) {
      findings_.error(field(where, "file"), "missing");
    }
  }
}

void ManifestReader::readImplodeRules(const Json& value, const std::string& where, DataFileSpec& data) {
  const auto choiceOf = [&](const Json& text, const std::string& at) -> std::optional<ImplodeChoice> {
    const auto choice = text.is_string() ? parseImplodeChoice(text.get<std::string>()) : std::nullopt;
    if (!choice) findings_.error(at, "must be auto, always or never");
    return choice;
  };
  if (value.is_string()) {
    data.defaultChoice = choiceOf(value, where).value_or(ImplodeChoice::kAuto);
  } else if (value.is_object()) {
    for (const auto& rule : value.items()) {
      if (const auto choice = choiceOf(rule.value(), where + "." + rule.key())) {
        data.rules.push_back({rule.key(), *choice, where + "." + rule.key()});
      }
    }
  } else {
    findings_.error(where, "must be auto, always, never or an object of glob rules");
  }
}

void ManifestReader::readData(const Json& root, BuildSpec& request) {
  if (!root.contains("data")) return;
  const Json& value = root["data"];
  if (!value.is_object()) {
    findings_.error("data", "must be an object");
    return;
  }
  expectKeys(value, "data", {"folder", "implode", "saverKind", "recordFile", "movieCopies"});
  DataFileSpec data;
  if (const auto folder = string(value, "folder", "data")) {
    data.folder = path(*folder);
  } else if (!value.contains("folder")) {
    findings_.error("data.folder", "missing");
  }
  if (value.contains("implode")) readImplodeRules(value["implode"], "data.implode", data);
  if (const auto kind = integer(value, "saverKind", "data")) {
    if (*kind < INT32_MIN || *kind > INT32_MAX) findings_.error("data.saverKind", "out of range");
    else data.saverKind = static_cast<std::int32_t>(*kind);
  }
  if (const auto record = string(value, "recordFile", "data")) data.recordFile = path(*record);
  if (value.contains("movieCopies")) {
    const Json& copies = value["movieCopies"];
    bool ok = copies.is_array();
    for (const Json& copy : copies) ok = ok && copy.is_string();
    if (!ok) findings_.error("data.movieCopies", "must be a list of paths");
    else for (const Json& copy : copies) data.movieCopies.push_back(copy.get<std::string>());
  }
  request.data = std::move(data);
  if (!request.slots[saverkit::kSlotDataFile]) request.slots[saverkit::kSlotDataFile] = SlotSpec{};
}

// "engine": "slideshow" takes the reference engine from saverpack's install layout as slot 6;
// the command that builds finds the file.
void ManifestReader::readEngine(const Json& root, BuildSpec& request) {
  const auto engine = string(root, "engine", "");
  if (!engine) return;
  if (*engine != kReferenceEngine) {
    findings_.error("engine", quoteText(*engine) + " is not an engine saverpack carries; the one it has is \"" +
                                  std::string(kReferenceEngine) + "\" (or leave \"engine\" out and name your .scr in slots.6)");
    return;
  }
  auto& slot = request.slots[saverkit::kSlotEngine];
  if (slot && !slot->file.empty()) {
    findings_.error("engine", "and slots.6.file both name the engine; keep one");
    return;
  }
  if (!slot) slot = SlotSpec{};
  slot->fileAsWritten = std::string(kReferenceEngine) + " (the reference engine)";
  request.referenceEngine = true;
}

// Her name, version, website and icon. Each, when given, has something in it: an empty string
// would put an empty line where her name belongs.
void ManifestReader::readBranding(const Json& root, BuildSpec& request) {
  Branding& branding = request.branding;
  const auto text = [&](const char* key) {
    const std::string value = string(root, key, "").value_or("");
    if (root.contains(key) && root[key].is_string() && value.empty()) findings_.error(key, "is empty");
    return value;
  };
  branding.publisher = text("publisher");
  branding.version = text("version");
  branding.website = text("website");
  if (!branding.website.empty() && !saverkit::startsWith(saverkit::toLowerAscii(branding.website), "https://") &&
      !saverkit::startsWith(saverkit::toLowerAscii(branding.website), "http://")) {
    findings_.error("website", quoteText(branding.website) + " must start with https:// or http://");
  }
  const std::string icon = text("icon");
  if (!icon.empty()) branding.icon = path(icon);
}

std::optional<int> ManifestReader::bounded(const Json& object, const char* key, const std::string& where, int low,
                                           int high) {
  const auto value = integer(object, key, where);
  if (value && (*value < low || *value > high)) {
    findings_.error(field(where, key), std::to_string(*value) + " is not from " + std::to_string(low) + " to " +
                                           std::to_string(high));
    return std::nullopt;
  }
  return value ? std::optional<int>(int(*value)) : std::nullopt;
}

// "pictures": {"longestEdge": 3840, "quality": 90} prepares the data folder's photos as they are
// packed; {} takes both defaults.
void ManifestReader::readPictures(const Json& root, BuildSpec& request) {
  if (!root.contains("pictures")) return;
  const Json& value = root["pictures"];
  if (!value.is_object()) {
    findings_.error("pictures", "must be an object, such as {\"longestEdge\": 3840}");
    return;
  }
  expectKeys(value, "pictures", {"longestEdge", "quality"});
  PictureRules rules;
  rules.longestEdge = bounded(value, "longestEdge", "pictures", kMinLongestEdge, kMaxLongestEdge).value_or(rules.longestEdge);
  rules.quality = bounded(value, "quality", "pictures", 1, 100).value_or(rules.quality);
  if (!request.data) {
    findings_.error("pictures", "prepares the pictures of the data folder; add a \"data\" section with a folder");
    return;
  }
  request.data->pictures = rules;
}

// "show": the engine's defaults for this saver, carried into the product folder as a file the
// engine reads; each user's own settings still win.
void ManifestReader::readShow(const Json& root, BuildSpec& request) {
  if (!root.contains("show")) return;
  const Json& value = root["show"];
  if (!value.is_object()) {
    findings_.error("show", "must be an object, such as {\"seconds\": 8, \"order\": \"shuffled\"}");
    return;
  }
  expectKeys(value, "show", {"seconds", "order", "fit", "backdrop", "caption", "volume", "videos"});
  std::string file;
  if (const auto seconds = bounded(value, "seconds", "show", 2, 600)) file += "SecondsPerPicture=" + std::to_string(*seconds) + "\r\n";
  const auto word = [&](const char* key, const char* name, std::initializer_list<const char*> words) {
    const auto given = string(value, key, "show");
    if (!given) return;
    for (const char* allowed : words) {
      if (*given == allowed) {
        file += std::string(name) + "=" + allowed + "\r\n";
        return;
      }
    }
    std::string list;
    for (const char* allowed : words) list += std::string(list.empty() ? "" : ", ") + "\"" + allowed + "\"";
    findings_.error(field("show", key), quoteText(*given) + " is not one of " + list);
  };
  word("order", "Order", {"sorted", "shuffled"});
  word("fit", "Scaling", {"fit", "fill"});
  word("backdrop", "Backdrop", {"blurred", "black"});
  word("caption", "Caption", {"none", "name", "date"});
  // The volume the viewer's sound starts at, once the viewer turns it on: whether a saver is
  // heard is the viewer's choice alone.
  if (const auto volume = bounded(value, "volume", "show", 0, 100)) file += "VideoVolume=" + std::to_string(*volume) + "\r\n";
  word("videos", "VideoMonitors", {"every", "primary"});
  if (!request.data) {
    findings_.error("show", "goes into the product folder with the data folder's files; add a \"data\" section");
    return;
  }
  request.data->madeFiles.emplace_back(std::string(saverkit::kShowDefaultsFileName), Bytes(file.begin(), file.end()));
}

BuildSpec ManifestReader::read(const Json& root) {
  BuildSpec request;
  if (!root.is_object()) {
    findings_.error("", "the manifest must be a JSON object");
    return request;
  }
  expectKeys(root, "", {"saverName", "presentationMode", "needsFlashPlayer", "engine", "options", "slots", "data",
                        "publisher", "version", "website", "icon", "pictures", "show"});
  if (const auto name = string(root, "saverName", "")) request.header.saverName = *name;
  else if (!root.contains("saverName")) findings_.error("saverName", "missing");
  readPresentation(root, request);
  request.header.needsNoFlashPlayer = !boolean(root, "needsFlashPlayer", "").value_or(true);
  readSlots(root, request);
  readEngine(root, request);
  readData(root, request);
  readPictures(root, request);
  readShow(root, request);
  readOptions(root, request);
  readBranding(root, request);
  return request;
}

// The JSON library keeps only the last of two equal keys, so a manifest that sets a field twice
// would silently lose the first value; the parse callback sees every key and can tell.
class DuplicateKeyFinder {
 public:
  explicit DuplicateKeyFinder(Findings& findings) : findings_(findings) {}

  bool operator()(int, nlohmann::json::parse_event_t event, Json& parsed) {
    using Event = nlohmann::json::parse_event_t;
    switch (event) {
      case Event::object_start:
      case Event::array_start:
        frames_.push_back({event == Event::object_start, childPath(), {}, {}, 0});
        break;
      case Event::object_end:
      case Event::array_end:
        frames_.pop_back();
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
        break;
      case Event::key: {
        Frame& frame = frames_.back();
        frame.lastKey = parsed.get<std::string>();
        if (!frame.keys.insert(frame.lastKey).second) {
          findings_.error(field(frame.path, frame.lastKey.c_str()),
                          "given twice; JSON keeps only the last, so remove one");
        }
        break;
      }
      case Event::value:
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
        break;
    }
    return true;
  }

 private:
  struct Frame {
    bool object;
    std::string path;
    std::set<std::string> keys;
    std::string lastKey;
    std::size_t index;
  };

  std::string childPath() const {
    if (frames_.empty()) return {};
    const Frame& parent = frames_.back();
    return field(parent.path, (parent.object ? parent.lastKey : std::to_string(parent.index)).c_str());
  }

  Findings& findings_;
  std::vector<Frame> frames_;
};

}  // namespace

BuildSpec parseManifest(const std::string& text, const fs::path& baseFolder) {
  Json root;
  Findings duplicates;
  try {
    root = Json::parse(text, DuplicateKeyFinder(duplicates));
  } catch (const nlohmann::json::parse_error& error) {
    throw invalidInput(std::string("manifest: not valid JSON: ") + error.what());
  }
  ManifestReader reader(baseFolder);
  BuildSpec request = reader.read(root);
  Findings all = duplicates;
  all.append(reader.findings());
  if (all.hasErrors()) {
    std::string message;
    for (const Finding& finding : all.all()) {
      message += (message.empty() ? "" : "\n") + finding.text();
    }
    throw invalidInput(message);
  }
  return request;
}

BuildSpec loadManifest(const fs::path& manifest) {
  const Bytes bytes = readWholeFile(manifest);
  return parseManifest(std::string(bytes.begin(), bytes.end()), manifest.parent_path());
}

}  // namespace saverpack
