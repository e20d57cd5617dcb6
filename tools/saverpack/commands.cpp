// Command bodies; see the header.
#include "commands.h"

#include "data_file_builder.h"
#include "data_file_reader.h"
#include "extractor.h"
#include "file_io.h"
#include "header_rules.h"
#include "install_plan.h"
#include "listing_output.h"
#include "manifest.h"
#include "messages.h"
#include "output_guard.h"
#include "package_builder.h"
#include "package_reader.h"
#include "sample_project.h"
#include "signature.h"
#include "tool_files.h"
#include "common/text_helpers.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

std::size_t countOf(const Findings& findings, Finding::Severity severity) {
  std::size_t count = 0;
  for (const Finding& finding : findings.all()) count += finding.severity == severity;
  return count;
}

// Prints the warnings of a build. With --strict they are errors: the author's CI wants an
// installer with nothing to warn about, so nothing is written and the command fails.
bool stopForWarnings(const CommandContext& context, const Findings& findings) {
  const bool strict = context.args.has("--strict");
  for (const Finding& finding : findings.all()) {
    if (finding.severity == Finding::Severity::kNote) context.err << "saverpack: note: " << finding.text() << "\n";
    if (finding.severity != Finding::Severity::kWarning) continue;
    context.err << (strict ? "saverpack: error: " : "saverpack: warning: ") << finding.text() << "\n";
  }
  const std::size_t warnings = countOf(findings, Finding::Severity::kWarning);
  if (!strict || warnings == 0) return false;
  context.err << "saverpack: error: --strict: " << plural(std::int64_t(warnings), "warning")
              << (warnings == 1 ? " counted as an error" : " counted as errors") << "; nothing written\n";
  return true;
}

// Whether FILE is read as an installer: "--as" decides, else the content. A file that is
// neither an installer nor a data file is refused here rather than read as a data file full
// of nonsense.
bool treatAsInstaller(const CommandContext& context, const std::string& name, const Bytes& file) {
  const auto as = context.args.value("--as");
  if (as) {
    if (*as == "installer") return true;
    if (*as == "datafile") return false;
    throw usageError("--as must be installer or datafile");
  }
  if (looksLikeInstaller(file)) return true;
  if (!readDataFile(file.data(), file.size(), {}).readable) {
    throw invalidInput(quoteText(name) + " is neither an installer (which starts with \"MZ\") nor a screen "
                       "saver data file (its saver record and item directory do not hold up). Pass "
                       "--as installer|datafile to read it as one anyway");
  }
  return false;
}

// "12 MB", "1.4 MB" where the tenths still say something, "310 KB" below a megabyte.
std::string megabytes(std::uint64_t bytes) {
  if (bytes < 950'000) return std::to_string((bytes + 999) / 1000) + " KB";
  const std::uint64_t tenths = (bytes + 50'000) / 100'000;
  if (tenths >= 100) return std::to_string((tenths + 5) / 10) + " MB";
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

void printPictureSavings(const PictureSavings& savings, const CommandContext& context) {
  if (savings.prepared == 0) return;
  context.out << "pictures: " << plural(std::int64_t(savings.prepared), "photo") << " prepared for the screen, "
              << megabytes(savings.before) << " \u2192 " << megabytes(savings.after) << "\n";
}

fs::path outputArgument(const CommandContext& context) { return pathFromUtf8(*context.args.value("--output")); }

}  // namespace

ExitCode runBuild(const CommandContext& context) {
  const fs::path manifest = pathFromUtf8(context.args.positional[0]);
  const fs::path output = outputArgument(context);
  InputGuard(output).check(manifest, "the manifest");
  BuildSpec request = loadManifest(manifest);
  request.stub = context.args.has("--stub") ? pathFromUtf8(*context.args.value("--stub"))
                                            : findStub(context.programFolder);
  std::error_code error;
  if (!fs::is_regular_file(request.stub, error)) {
    throw invalidInput("stub: no such file " + quoteText(pathToUtf8(request.stub)) + " (given with --stub)");
  }
  const auto& library = request.slots[saverkit::kSlotImplodeLibrary];
  if (!library || library->file.empty()) {
    request.defaultLibrary = findImplodeLibrary(request.stub, context.programFolder);
  }
  if (request.referenceEngine) {
    request.slots[saverkit::kSlotEngine]->file = findReferenceEngine(request.stub, context.programFolder);
  }
  request.output = output;
  request.followLinks = context.args.has("--follow-links");
  if (request.data) request.data->asciiNames = context.args.has("--ascii-names");
  const BuildResult result = buildPackage(request, !context.args.has("--no-progress"));
  if (stopForWarnings(context, result.findings)) return ExitCode::kInvalid;
  writeFileReplacing(output, result.installer);
  std::size_t slots = 0;
  for (const auto& entry : result.header.entries) slots += !entry.isEmpty();
  context.out << "wrote " << pathToUtf8(output) << " (" << plural(std::int64_t(result.installer.size()), "byte")
              << ", " << plural(std::int64_t(slots), "slot") << ")\n";
  printPictureSavings(result.pictures, context);
  if (context.args.has("--list")) {
    context.out << "\n";
    printPlan({result.header, result.items}, context.out);
  }
  return ExitCode::kOk;
}

ExitCode runDataFile(const CommandContext& context) {
  const ParsedArgs& args = context.args;
  DataFileSpec request;
  request.where = "datafile";
  request.folder = pathFromUtf8(args.positional[0]);
  if (const auto implode = args.value("--implode")) {
    const auto choice = parseImplodeChoice(*implode);
    if (!choice) throw usageError("--implode must be auto, always or never");
    request.defaultChoice = *choice;
  }
  for (const std::string& rule : args.values("--rule")) {
    const std::size_t equals = rule.rfind('=');
    const auto choice = equals == std::string::npos ? std::nullopt : parseImplodeChoice(rule.substr(equals + 1));
    if (!choice || equals == 0) throw usageError("--rule must look like GLOB=auto|always|never: " + rule);
    request.rules.push_back({rule.substr(0, equals), *choice, "--rule " + rule});
  }
  if (const auto kind = args.value("--saver-kind")) {
    const auto parsed = saverkit::parseDecimalInt32(*kind);
    if (!parsed) throw usageError("--saver-kind must be a whole number");
    request.saverKind = *parsed;
  }
  if (const auto record = args.value("--record")) request.recordFile = pathFromUtf8(*record);
  request.movieCopies = args.values("--movie-copy");
  request.followLinks = args.has("--follow-links");
  request.asciiNames = args.has("--ascii-names");
  request.output = outputArgument(context);
  const BuiltDataFile result = buildDataFile(request, !args.has("--no-progress"));
  if (stopForWarnings(context, result.findings)) return ExitCode::kInvalid;
  writeFileReplacing(request.output, result.bytes);
  context.out << "wrote " << pathToUtf8(request.output) << " (" << plural(std::int64_t(result.bytes.size()), "byte")
              << ", " << plural(std::int64_t(result.items.size()), "item") << ", saver kind " << result.saverKind
              << ")\n";
  if (result.installerMovie) {
    context.out << "note: installer.swf became item 1; carry it as the installer's slot 3 movie\n";
  }
  return ExitCode::kOk;
}

// Where the package's last slot ends: a signature must lie beyond it.
std::uint64_t packageEnd(const PackageReport& report) {
  std::uint64_t end = std::uint64_t(saverkit::kInstallerSizeInBytes) + saverkit::kPackageHeaderSize;
  for (const SlotReport& slot : report.slots) {
    if (slot.entry.endOffset >= 0) end = std::max<std::uint64_t>(end, std::uint64_t(slot.entry.endOffset) + 1);
  }
  return end;
}

ExitCode runSign(const CommandContext& context) {
  const std::string input = context.args.positional[0];
  SigningRequest request;
  request.input = input;
  request.output = context.args.value("--output").value_or(input);
  request.certificate = context.args.value("--cert").value_or("");
  request.key = context.args.value("--key").value_or("");
  request.passFile = context.args.value("--pass-file").value_or("");
  request.timestampUrl = context.args.value("--timestamp").value_or("");
  const Bytes file = readWholeFile(pathFromUtf8(input));
  if (!looksLikeInstaller(file)) throw invalidInput(quoteText(input) + " is not an installer");
  const PackageReport report = readPackage(file, {});
  if (report.findings.hasErrors()) {
    printDiagnostics(report.findings, context.err);
    throw invalidInput(quoteText(input) + " fails verification; a broken installer is not signed");
  }
  signInstaller(request);
  const Bytes signedFile = readWholeFile(pathFromUtf8(request.output));
  context.out << "signed " << request.output << ": "
              << describe(inspectSignature(request.output, signedFile, packageEnd(report), "")) << "\n";
  return ExitCode::kOk;
}

ExitCode runInspect(const CommandContext& context) {
  const std::string name = context.args.positional[0];
  const bool json = context.args.has("--json");
  const bool plan = context.args.has("--plan");
  if (json && plan) throw usageError("--json and --plan do not go together; choose one");
  const Bytes file = readWholeFile(pathFromUtf8(name));
  const bool installer = treatAsInstaller(context, name, file);
  if (plan) {
    if (!installer) {
      throw invalidInput(quoteText(name) + " is a data file; --plan shows what an installer writes (its items "
                         "go into the product folder of the installer that carries it)");
    }
    const PackageReport report = readPackage(file, {});
    if (report.readable) printPlan({report.header, report.data ? planItems(*report.data) : std::vector<PlanItem>{}}, context.out);
    printDiagnostics(report.findings, context.err);
    return report.readable && !report.findings.hasErrors() ? ExitCode::kOk : ExitCode::kInvalid;
  }
  if (installer) {
    const PackageReport report = readPackage(file, {});
    json ? printPackageJson(report, name, context.out) : printPackage(report, name, context.out);
    if (!json) context.out << "Signature: " << describe(inspectSignature(name, file, packageEnd(report), "")) << "\n";
    return report.readable ? ExitCode::kOk : ExitCode::kInvalid;
  }
  const DataFileReport report = readDataFile(file.data(), file.size(), {});
  json ? printDataFileJson(report, name, context.out) : printDataFile(report, name, context.out);
  return report.readable ? ExitCode::kOk : ExitCode::kInvalid;
}

ExitCode runVerify(const CommandContext& context) {
  const std::string name = context.args.positional[0];
  const Bytes file = readWholeFile(pathFromUtf8(name));
  Findings findings;
  std::string summary;
  const bool requireSignature = context.args.has("--require-signature");
  if (treatAsInstaller(context, name, file)) {
    const PackageReport report = readPackage(file, {});
    findings = report.findings;
    summary = plural(std::int64_t(report.slots.size()), "slot");
    if (report.data) summary += ", data file with " + plural(std::int64_t(report.data->items.size()), "item");
    const SignatureReport signature =
        inspectSignature(name, file, packageEnd(report), context.args.value("--ca").value_or(""));
    context.out << name << ": signature: " << describe(signature) << "\n";
    if (report.readable) {
      context.out << name << ": Flash Player: " << flashPlayerText(report.header) << "\n";
      context.out << name << ": package digest: " << bindingText(report.binding) << "\n";
    }
    const bool good = signature.state == SignatureReport::State::kGood &&
                      (!context.args.has("--ca") || signature.chainTrusted);
    if (signature.state == SignatureReport::State::kBroken || (requireSignature && !good)) {
      context.err << "saverpack: error: " << name << ": "
                  << (signature.state == SignatureReport::State::kUnsigned ? "not signed, and --require-signature was given"
                                                                          : "the signature " + describe(signature))
                  << "\n";
      return ExitCode::kInvalid;
    }
  } else if (requireSignature) {
    throw invalidInput(quoteText(name) + " is a data file; only installers carry a signature");
  } else {
    const DataFileReport report = readDataFile(file.data(), file.size(), {});
    findings = report.findings;
    summary = "data file with " + plural(std::int64_t(report.items.size()), "item");
  }
  printDiagnostics(findings, context.err);
  if (findings.hasErrors()) {
    context.err << "saverpack: error: " << name << ": verification failed ("
                << plural(std::int64_t(countOf(findings, Finding::Severity::kError)), "error") << ")\n";
    return ExitCode::kInvalid;
  }
  const std::size_t warnings = countOf(findings, Finding::Severity::kWarning);
  if (warnings > 0) summary += "; " + plural(std::int64_t(warnings), "warning");
  context.out << name << ": OK (" << summary << ")\n";
  return ExitCode::kOk;
}

ExitCode runExtract(const CommandContext& context) {
  const std::string name = context.args.positional[0];
  const fs::path folder = pathFromUtf8(context.args.positional[1]);
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    throw usageError(quoteText(pathToUtf8(folder)) + " is a file; extract needs a folder to write into");
  }
  if (!context.args.has("--force") && !isMissingOrEmptyFolder(folder)) {
    throw usageError(quoteText(pathToUtf8(folder)) + " is not empty; extracting could replace files there. "
                     "Pass --force, or choose a new or empty folder");
  }
  const Bytes file = readWholeFile(pathFromUtf8(name));
  const ExtractResult result = treatAsInstaller(context, name, file)
                                   ? extractPackage(file, folder, context.args.has("--items"))
                                   : extractDataFile(file, folder);
  for (const std::string& written : result.written) context.out << "wrote " << written << "\n";
  printDiagnostics(result.findings, context.err);
  if (result.findings.hasErrors()) {
    context.err << "saverpack: error: " << name << ": "
                << plural(std::int64_t(countOf(result.findings, Finding::Severity::kError)), "entry")
                << " not extracted\n";
    return ExitCode::kInvalid;
  }
  return ExitCode::kOk;
}

ExitCode runInit(const CommandContext& context) {
  const fs::path folder = pathFromUtf8(context.args.positional[0]);
  const std::string saverName = context.args.value("--name").value_or(saverNameForFolder(folder));
  if (!context.args.has("--name") && saverName == kFallbackSaverName) {
    context.err << "saverpack: note: the folder's name does not make a valid saver name, so the saver is called "
                << quoteText(saverName) << "; give --name NAME for another\n";
  }
  SampleChoices choices;
  if (const auto video = context.args.value("--video")) choices.video = pathFromUtf8(*video);
  if (const auto picture = context.args.value("--picture")) choices.picture = pathFromUtf8(*picture);
  const SampleProject project = writeSampleProject(folder, saverName, context.args.has("--force"), choices);
  const std::string shown = pathToUtf8(folder);
  context.out << "wrote a " << (choices.video.empty() ? "sample" : "video saver") << " project for "
              << quoteText(project.saverName) << " in " << shown << ":\n";
  for (const std::string& written : project.written) context.out << "  " << written << "\n";
  for (const std::string& note : project.notes) context.err << "saverpack: note: " << note << "\n";
  context.out << (choices.video.empty()
                      ? "\nA picture saver for today's Windows: the slideshow engine shows the pictures in content/,\n"
                        "and the installer needs no Flash Player. Put your own pictures in content/, then build with\n"
                      : "\nA video saver for today's Windows: the slideshow engine plays the videos in content/ (and\n"
                        "shows any pictures there), and the installer needs no Flash Player. Build it with\n")
              << "  saverpack build \"" << pathToUtf8(folder / "manifest.json") << "\" -o \"" << project.saverName
              << " Setup.exe\" --strict --list\n";
  return ExitCode::kOk;
}

}  // namespace saverpack
