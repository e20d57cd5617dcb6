// Command dispatch and help; see the header.
#include "cli.h"

#include <cstring>

#include "commands.h"

#ifndef SAVERPACK_VERSION
#define SAVERPACK_VERSION "unknown"
#endif

namespace saverpack {
namespace {

namespace fs = std::filesystem;

struct Command {
  const char* name;
  std::size_t positionalCount;
  std::vector<OptionSpec> options;
  std::vector<std::string> repeatable;
  std::vector<std::string> required;
  ExitCode (*run)(const CommandContext&);
  const char* help;
};

const char* const kOverview =
    "Usage: saverpack COMMAND [OPTIONS]\n"
    "\n"
    "Builds and examines screen saver installers and their data files.\n"
    "\n"
    "Commands:\n"
    "  build MANIFEST -o INSTALLER   build an installer from a JSON manifest\n"
    "  datafile FOLDER -o FILE       build a screen saver data file from a folder\n"
    "  inspect FILE                  show an installer's header and slots, or a data file\n"
    "  verify FILE                   check an installer or data file without installing it\n"
    "  extract FILE DIR              unpack the files of an installer or data file into DIR\n"
    "\n"
    "Run \"saverpack COMMAND --help\" for a command's options.\n"
    "\n"
    "Exit codes: 0 success, 1 invalid input or failed verification, 2 usage error,\n"
    "3 a file could not be read or written.\n";

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {
      {"build", 1, {{"--output", "-o", true}, {"--stub", nullptr, true}, {"--no-progress", nullptr, false}},
       {}, {"--output"}, runBuild,
       "Usage: saverpack build MANIFEST -o INSTALLER [--stub STUB] [--no-progress]\n"
       "\n"
       "Builds an installer: the stub, then the package header, then every slot's file.\n"
       "Paths in the manifest are relative to the manifest's folder. The same inputs always\n"
       "give the same bytes. See tools/saverpack/README.md for the manifest format.\n"
       "\n"
       "  -o, --output INSTALLER  the installer to write (replaced only when the build succeeds)\n"
       "  --stub STUB             the installer stub, exactly 690176 bytes (default:\n"
       "                          saverstub.exe next to saverpack); slot 1 defaults to the\n"
       "                          impborl.dll next to the stub\n"
       "  --no-progress           no progress bar, even on a terminal\n"},
      {"datafile", 1,
       {{"--output", "-o", true}, {"--implode", nullptr, true}, {"--rule", nullptr, true},
        {"--saver-kind", nullptr, true}, {"--record", nullptr, true}, {"--movie-copy", nullptr, true},
        {"--no-progress", nullptr, false}},
       {"--rule", "--movie-copy"}, {"--output"}, runDataFile,
       "Usage: saverpack datafile FOLDER -o FILE [OPTIONS]\n"
       "\n"
       "Builds a screen saver data file: every file below FOLDER becomes an item under its\n"
       "relative path, sorted by path.\n"
       "\n"
       "  -o, --output FILE     the data file to write\n"
       "  --implode CHOICE      auto (default: implode when it saves space), always or never\n"
       "  --rule GLOB=CHOICE    per-file choice, first match wins; may be repeated. A GLOB\n"
       "                        without a folder matches file names anywhere; * and ? stay\n"
       "                        within a folder, ** crosses folders\n"
       "  --saver-kind N        the saver kind written to the record; 3 makes item 1 the\n"
       "                        installer's own movie (FOLDER's installer.swf is not stored)\n"
       "  --record FILE         a raw 1240-byte saver record (item count and kind are filled in)\n"
       "  --movie-copy PATH     with kind 3: another product-folder path that receives a copy\n"
       "                        of the movie; may be repeated\n"
       "  --no-progress         no progress bar, even on a terminal\n"},
      {"inspect", 1, {{"--json", nullptr, false}, {"--as", nullptr, true}}, {}, {}, runInspect,
       "Usage: saverpack inspect FILE [--json] [--as installer|datafile]\n"
       "\n"
       "Shows an installer's header, its slots and the data file in slot 8, or a standalone\n"
       "data file's record and items, with any problems found.\n"
       "\n"
       "  --json    print JSON instead of text\n"
       "  --as      how to read FILE (default: an installer when it starts with a Windows\n"
       "            program header, \"MZ\", otherwise a data file)\n"},
      {"verify", 1, {{"--as", nullptr, true}}, {}, {}, runVerify,
       "Usage: saverpack verify FILE [--as installer|datafile]\n"
       "\n"
       "Checks every slot (bounds, names, destinations, the implode library, imploded bytes\n"
       "against their sizes) and every data file item, without installing anything. Prints\n"
       "each problem with the slot or item it concerns and exits 1 if any is an error.\n"},
      {"extract", 2, {{"--items", nullptr, false}, {"--as", nullptr, true}}, {}, {}, runExtract,
       "Usage: saverpack extract FILE DIR [--items] [--as installer|datafile]\n"
       "\n"
       "Writes each slot's file, expanded, into DIR under the name it carries. Names that would\n"
       "leave DIR, damaged slots and repeated names are refused and reported; everything else\n"
       "is written. For a standalone data file, writes its items below DIR.\n"
       "\n"
       "  --items   also write the data file's items below DIR/items\n"},
  };
  return kCommands;
}

bool wantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int runCommand(const Command& command, const std::vector<std::string>& args,
               const fs::path& programFolder, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << command.help;
    return 0;
  }
  const ParsedArgs parsed = parseArgs(args, command.options, command.repeatable);
  if (parsed.positional.size() != command.positionalCount) {
    throw usageError(std::string(command.name) + " takes " + std::to_string(command.positionalCount) +
                     (command.positionalCount == 1 ? " argument" : " arguments") +
                     "; see saverpack " + command.name + " --help");
  }
  for (const std::string& option : command.required) {
    if (!parsed.has(option)) throw usageError(std::string(command.name) + " needs " + option);
  }
  return static_cast<int>(command.run({parsed, programFolder, out, err}));
}

}  // namespace

int runSaverpack(const std::vector<std::string>& args, const fs::path& programFolder,
                 std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kOverview;
    return static_cast<int>(ExitCode::kUsage);
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    const std::string topic = args.size() > 1 ? args[1] : "";
    for (const Command& command : commands()) {
      if (topic == command.name) {
        out << command.help;
        return 0;
      }
    }
    out << kOverview;
    return 0;
  }
  if (name == "--version") {
    out << "saverpack " << SAVERPACK_VERSION << "\n";
    return 0;
  }
  for (const Command& command : commands()) {
    if (name != command.name) continue;
    try {
      return runCommand(command, std::vector<std::string>(args.begin() + 1, args.end()),
                        programFolder, out, err);
    } catch (const ToolError& error) {
      std::string message = error.what();
      for (std::size_t line = 0; line != std::string::npos;) {
        const std::size_t end = message.find('\n', line);
        err << "saverpack: error: " << message.substr(line, end == std::string::npos ? end : end - line) << "\n";
        line = end == std::string::npos ? end : end + 1;
      }
      return static_cast<int>(error.code());
    } catch (const std::exception& error) {
      err << "saverpack: error: " << error.what() << "\n";
      return static_cast<int>(ExitCode::kIo);
    }
  }
  err << "saverpack: unknown command \"" << name << "\"\n\n" << kOverview;
  return static_cast<int>(ExitCode::kUsage);
}

fs::path programFolderOf(const char* argv0) {
  std::error_code error;
  // Linux knows exactly which file is running; elsewhere argv[0] is the best guide.
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error && !self.empty()) return self.parent_path();
  if (argv0 == nullptr || *argv0 == '\0') return {};
  const fs::path given = fs::u8path(argv0);
  if (given.has_parent_path()) return fs::absolute(given, error).parent_path();
  return fs::current_path(error);
}

}  // namespace saverpack
