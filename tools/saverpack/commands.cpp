// Command bodies; see the header.
#include "commands.h"

#include "data_file_builder.h"
#include "data_file_reader.h"
#include "extractor.h"
#include "file_io.h"
#include "listing_output.h"
#include "manifest.h"
#include "package_builder.h"
#include "package_reader.h"
#include "common/text_helpers.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

void printWarnings(const Findings& findings, std::ostream& err) {
  for (const Finding& finding : findings.all()) {
    if (finding.severity == Finding::Severity::kWarning) err << "saverpack: warning: " << finding.text() << "\n";
  }
}

// Whether FILE is an installer or a standalone data file: "--as" decides, else the content.
bool treatAsInstaller(const CommandContext& context, const Bytes& file) {
  const auto as = context.args.value("--as");
  if (!as) return looksLikeInstaller(file);
  if (*as == "installer") return true;
  if (*as == "datafile") return false;
  throw usageError("--as must be installer or datafile");
}

std::size_t countErrors(const Findings& findings) {
  std::size_t count = 0;
  for (const Finding& finding : findings.all()) count += finding.severity == Finding::Severity::kError;
  return count;
}

}  // namespace

ExitCode runBuild(const CommandContext& context) {
  const fs::path manifest = pathFromUtf8(context.args.positional[0]);
  BuildSpec request = loadManifest(manifest);
  request.stub = context.args.has("--stub") ? pathFromUtf8(*context.args.value("--stub"))
                                         : context.programFolder / "saverstub.exe";
  const BuildResult result = buildPackage(request, !context.args.has("--no-progress"));
  printWarnings(result.findings, context.err);
  const fs::path output = pathFromUtf8(*context.args.value("--output"));
  writeFileReplacing(output, result.installer);
  std::size_t slots = 0;
  for (const auto& entry : result.header.entries) slots += !entry.isEmpty();
  context.out << "wrote " << pathToUtf8(output) << " (" << result.installer.size() << " bytes, "
              << slots << " slots)\n";
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
    request.rules.push_back({rule.substr(0, equals), *choice});
  }
  if (const auto kind = args.value("--saver-kind")) {
    const auto parsed = saverkit::parseDecimalInt32(*kind);
    if (!parsed) throw usageError("--saver-kind must be a whole number");
    request.saverKind = *parsed;
  }
  if (const auto record = args.value("--record")) request.recordFile = pathFromUtf8(*record);
  request.movieCopies = args.values("--movie-copy");
  const BuiltDataFile result = buildDataFile(request, !args.has("--no-progress"));
  printWarnings(result.findings, context.err);
  const fs::path output = pathFromUtf8(*args.value("--output"));
  writeFileReplacing(output, result.bytes);
  context.out << "wrote " << pathToUtf8(output) << " (" << result.bytes.size() << " bytes, "
              << result.items.size() << " items, saver kind " << result.saverKind << ")\n";
  if (result.installerMovie) {
    context.out << "note: installer.swf became item 1; carry it as the installer's slot 3 movie\n";
  }
  return ExitCode::kOk;
}

ExitCode runInspect(const CommandContext& context) {
  const std::string name = context.args.positional[0];
  const Bytes file = readWholeFile(pathFromUtf8(name));
  const bool json = context.args.has("--json");
  if (treatAsInstaller(context, file)) {
    const PackageReport report = readPackage(file, {});
    json ? printPackageJson(report, name, context.out) : printPackage(report, name, context.out);
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
  if (treatAsInstaller(context, file)) {
    const PackageReport report = readPackage(file, {});
    findings = report.findings;
    summary = std::to_string(report.slots.size()) + " slots";
    if (report.data) summary += ", data file with " + std::to_string(report.data->items.size()) + " items";
  } else {
    const DataFileReport report = readDataFile(file.data(), file.size(), {});
    findings = report.findings;
    summary = "data file with " + std::to_string(report.items.size()) + " items";
  }
  printFindings(findings, context.err);
  if (findings.hasErrors()) {
    context.err << name << ": verification failed (" << countErrors(findings) << " errors)\n";
    return ExitCode::kInvalid;
  }
  context.out << name << ": OK (" << summary << ")\n";
  return ExitCode::kOk;
}

ExitCode runExtract(const CommandContext& context) {
  const std::string name = context.args.positional[0];
  const fs::path folder = pathFromUtf8(context.args.positional[1]);
  const Bytes file = readWholeFile(pathFromUtf8(name));
  const ExtractResult result = treatAsInstaller(context, file)
                                   ? extractPackage(file, folder, context.args.has("--items"))
                                   : extractDataFile(file, folder);
  for (const std::string& written : result.written) context.out << "wrote " << written << "\n";
  printFindings(result.findings, context.err);
  if (result.findings.hasErrors()) {
    context.err << name << ": " << countErrors(result.findings) << " entries not extracted\n";
    return ExitCode::kInvalid;
  }
  return ExitCode::kOk;
}

}  // namespace saverpack
