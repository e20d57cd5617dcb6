// Command dispatch and help; see the header.
#include "cli.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "commands.h"
#include "preview.h"

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
    "  init DIR [--name NAME] [--video CLIP] [--picture FILE] [--force]\n"
    "      write a sample picture saver that builds as is: manifest, picture, licence,\n"
    "      read-me and pictures for the reference slideshow engine; --video makes it a\n"
    "      video saver around your clip\n"
    "  build MANIFEST -o INSTALLER [--stub STUB] [--list | -v] [--strict] [--follow-links]\n"
    "        [--ascii-names] [--no-progress]\n"
    "      build an installer from a JSON manifest; --list shows what goes where\n"
    "  datafile FOLDER -o FILE [--implode CHOICE] [--rule GLOB=CHOICE]... [--saver-kind N]\n"
    "           [--record FILE] [--movie-copy PATH]... [--strict] [--follow-links] [--ascii-names]\n"
    "           [--no-progress]\n"
    "      build a screen saver data file from a folder\n"
    "  inspect FILE [--json | --plan] [--as installer|datafile]\n"
    "      show an installer's header and slots, or a data file; --plan shows what an\n"
    "      installer writes where on the user's machine\n"
    "  verify FILE [--as installer|datafile] [--require-signature] [--ca FILE]\n"
    "      check an installer or data file without installing it, and its signature\n"
    "  sign INSTALLER --cert CERT [--key KEY] [--pass-file FILE] [--timestamp URL] [-o OUT]\n"
    "      sign an installer (Authenticode, through osslsigncode)\n"
    "  extract FILE DIR [--items] [--force] [--as installer|datafile]\n"
    "      unpack the files of an installer or data file into DIR\n"
    "  preview MANIFEST|INSTALLER -o WINDOW.png [--stub STUB] [--timeout SECONDS]\n"
    "          [--show [--every SECONDS] [--for SECONDS]]\n"
    "      save the installer window as a picture, run under Wine on a private display;\n"
    "      --show installs the saver there and saves its show as PNG frames or an animation\n"
    "\n"
    "Every command takes -h or --help for what its options do. saverpack --version prints the\n"
    "version.\n"
    "\n"
    "Exit codes: 0 success; 1 invalid input, failed verification, or a warning under --strict;\n"
    "2 usage error, including an output refused to protect existing files; 3 a file could not\n"
    "be read or written, or a program the command needs (osslsigncode, Wine) is missing.\n";

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {
      {"init", 1,
       {{"--name", nullptr, true}, {"--video", nullptr, true}, {"--picture", nullptr, true}, {"--force", nullptr, false}},
       {}, {}, runInit,
       "Usage: saverpack init DIR [--name NAME] [--video CLIP] [--picture FILE] [--force]\n"
       "\n"
       "Writes a complete picture saver into DIR that builds as it is and works on today's\n"
       "Windows: manifest.json (the reference slideshow engine, no Flash Player needed), a\n"
       "482 x 272 picture for the installer window (picture.bmp), License.txt, ReadMe.txt and\n"
       "a content folder with the pictures the saver shows.\n"
       "\n"
       "  --name NAME     the saver name (default: made from DIR's name, \"ocean-sample\" gives\n"
       "                  \"Ocean Sample\")\n"
       "  --video CLIP    a video saver instead: CLIP (.mp4, .m4v, .mov, .wmv or .webm) is\n"
       "                  copied into content/ as the saver's only item, played over and over;\n"
       "                  a clip Windows may not play is named in a note\n"
       "  --picture FILE  the installer window's picture, a BMP or JPEG of 482 x 272 pixels\n"
       "                  (a frame of the video, say), instead of the sample's\n"
       "  --force         write into DIR even when it is not empty (sample files are replaced,\n"
       "                  other files are left alone)\n"
       "  -h, --help      this help\n"},
      {"build", 1,
       {{"--output", "-o", true}, {"--stub", nullptr, true}, {"--list", "-v", false}, {"--strict", nullptr, false},
        {"--follow-links", nullptr, false}, {"--ascii-names", nullptr, false}, {"--no-progress", nullptr, false}},
       {}, {"--output"}, runBuild,
       "Usage: saverpack build MANIFEST -o INSTALLER [OPTIONS]\n"
       "\n"
       "Builds an installer: the stub, then the package header, then every slot's file.\n"
       "Paths in the manifest are relative to the manifest's folder. The same inputs always\n"
       "give the same bytes. See tools/saverpack/README.md for the manifest format.\n"
       "\n"
       "  -o, --output INSTALLER  the installer to write (replaced only when the build succeeds;\n"
       "                          never one of the build's own inputs)\n"
       "  --stub STUB             the installer stub, exactly 690176 bytes (default: saverstub.exe\n"
       "                          beside saverpack, else in ../share/saverkit/ from its folder);\n"
       "                          slot 1 defaults to the impborl.dll beside the stub\n"
       "  -v, --list              after building, list what goes where: each slot and data file\n"
       "                          item with its size, packed size and target path on the user's\n"
       "                          machine, and the registry entry\n"
       "  --strict                treat warnings as errors (exit 1, nothing written), such as\n"
       "                          photos that would go out with their GPS location\n"
       "  --follow-links          pack what links in the content folder point to (refused\n"
       "                          otherwise)\n"
       "  --ascii-names           spell non-ASCII file names in ASCII (\"\u00C9t\u00E9.jpg\" becomes\n"
       "                          \"Ete.jpg\", each shown) instead of refusing them\n"
       "  --no-progress           no progress bar, even on a terminal\n"
       "  -h, --help              this help\n"},
      {"datafile", 1,
       {{"--output", "-o", true}, {"--implode", nullptr, true}, {"--rule", nullptr, true},
        {"--saver-kind", nullptr, true}, {"--record", nullptr, true}, {"--movie-copy", nullptr, true},
        {"--strict", nullptr, false}, {"--follow-links", nullptr, false}, {"--ascii-names", nullptr, false},
        {"--no-progress", nullptr, false}},
       {"--rule", "--movie-copy"}, {"--output"}, runDataFile,
       "Usage: saverpack datafile FOLDER -o FILE [OPTIONS]\n"
       "\n"
       "Builds a screen saver data file: every file below FOLDER becomes an item under its\n"
       "relative path, sorted by path.\n"
       "\n"
       "  -o, --output FILE     the data file to write (not inside FOLDER)\n"
       "  --implode CHOICE      auto (default: implode when it saves space), always or never\n"
       "  --rule GLOB=CHOICE    per-file choice, first match wins; may be repeated. A GLOB\n"
       "                        without a folder matches file names anywhere; * and ? stay\n"
       "                        within a folder, ** crosses folders\n"
       "  --saver-kind N        the saver kind written to the record; 3 makes item 1 the\n"
       "                        installer's own movie (FOLDER's installer.swf is not stored)\n"
       "  --record FILE         a raw 1240-byte saver record (item count and kind are filled in)\n"
       "  --movie-copy PATH     with kind 3: another product-folder path that receives a copy\n"
       "                        of the movie; may be repeated\n"
       "  --strict              treat warnings as errors (exit 1, nothing written)\n"
       "  --follow-links        pack what links in FOLDER point to (refused otherwise)\n"
       "  --ascii-names         spell non-ASCII file names in ASCII instead of refusing them\n"
       "  --no-progress         no progress bar, even on a terminal\n"
       "  -h, --help            this help\n"},
      {"inspect", 1, {{"--json", nullptr, false}, {"--plan", nullptr, false}, {"--as", nullptr, true}}, {}, {},
       runInspect,
       "Usage: saverpack inspect FILE [--json | --plan] [--as installer|datafile]\n"
       "\n"
       "Shows an installer's header, its slots and the data file in slot 8, or a standalone\n"
       "data file's record and items, with any problems found.\n"
       "\n"
       "  --json        print JSON instead of text\n"
       "  --plan        show what the installer writes where on the user's machine: each slot\n"
       "                and data file item with its sizes and target path, and the registry\n"
       "                entry (the same list as build --list)\n"
       "  --as KIND     how to read FILE: installer or datafile (default: an installer when it\n"
       "                starts with a Windows program header, \"MZ\", otherwise a data file)\n"
       "  -h, --help    this help\n"},
      {"verify", 1, {{"--as", nullptr, true}, {"--require-signature", nullptr, false}, {"--ca", nullptr, true}}, {}, {},
       runVerify,
       "Usage: saverpack verify FILE [--as installer|datafile] [--require-signature] [--ca FILE]\n"
       "\n"
       "Checks every slot (bounds, names, destinations, the implode library, imploded bytes\n"
       "against their sizes) and every data file item, without installing anything. Prints\n"
       "each problem with the slot or item it concerns and exits 1 if any is an error.\n"
       "An installer's signature is shown: not signed, signed by whom (the file matches its\n"
       "signature), or does not verify (changed after signing: always an error). Checking a\n"
       "signature needs osslsigncode.\n"
       "\n"
       "  --as KIND             how to read FILE: installer or datafile (default: by its first\n"
       "                        bytes)\n"
       "  --require-signature   fail (exit 1) unless the installer is signed and matches its\n"
       "                        signature; for release scripts\n"
       "  --ca FILE             also check the signing certificate's chain against these CA\n"
       "                        certificates (PEM); with --require-signature an untrusted chain\n"
       "                        fails too\n"
       "  -h, --help            this help\n"},
      {"sign", 1,
       {{"--cert", nullptr, true}, {"--key", nullptr, true}, {"--pass-file", nullptr, true},
        {"--timestamp", nullptr, true}, {"--output", "-o", true}},
       {}, {"--cert"}, runSign,
       "Usage: saverpack sign INSTALLER --cert CERT [--key KEY] [--pass-file FILE]\n"
       "                      [--timestamp URL] [-o OUT]\n"
       "\n"
       "Signs an installer with Authenticode, through Debian's osslsigncode (apt-get install\n"
       "osslsigncode). The signature goes after the package, so the installer works exactly\n"
       "as before. The installer is verified first; the signed file is written through a\n"
       "temporary file and replaces OUT only when signing succeeded.\n"
       "\n"
       "  --cert CERT        the signing certificate: PEM, or a PKCS#12 bundle (.p12, .pfx)\n"
       "                     holding certificate and key\n"
       "  --key KEY          the private key (PEM); not needed with a PKCS#12 bundle\n"
       "  --pass-file FILE   a file holding the key's or bundle's password\n"
       "  --timestamp URL    a time-stamping server, so the signature outlives the certificate\n"
       "  -o, --output OUT   the signed installer (default: INSTALLER itself)\n"
       "  -h, --help         this help\n"},
      {"extract", 2, {{"--items", nullptr, false}, {"--force", nullptr, false}, {"--as", nullptr, true}}, {}, {},
       runExtract,
       "Usage: saverpack extract FILE DIR [--items] [--force] [--as installer|datafile]\n"
       "\n"
       "Writes each slot's file, expanded, into DIR under the name it carries. Names that would\n"
       "leave DIR, damaged slots and repeated names are refused and reported; everything else\n"
       "is written. For a standalone data file, writes its items below DIR.\n"
       "\n"
       "  --items       also write the data file's items below DIR/items\n"
       "  --force       write into DIR even when it is not empty (files of the same name are\n"
       "                replaced)\n"
       "  --as KIND     how to read FILE: installer or datafile (default: by its first bytes)\n"
       "  -h, --help    this help\n"},
      {"preview", 1,
       {{"--output", "-o", true}, {"--stub", nullptr, true}, {"--timeout", nullptr, true}, {"--show", nullptr, false},
        {"--every", nullptr, true}, {"--for", nullptr, true}},
       {}, {"--output"}, runPreview,
       "Usage: saverpack preview MANIFEST|INSTALLER -o WINDOW.png [--stub STUB] [--timeout SECONDS]\n"
       "       saverpack preview MANIFEST|INSTALLER --show -o SHOW.png|SHOW.gif|SHOW.webp\n"
       "                         [--every SECONDS] [--for SECONDS] [--stub STUB] [--timeout SECONDS]\n"
       "\n"
       "Shows what users will see: runs the installer under Wine on a private X display and\n"
       "saves its window, exactly the window's size, as a PNG picture. A MANIFEST is built\n"
       "first, as build would, into a temporary folder. The installer is then closed without\n"
       "installing anything, and the display, the Wine prefix and every file it used are\n"
       "removed: your own Wine prefix is never touched. When the package needs a Flash Player,\n"
       "the stand-in player (standin_player_installer10.exe) is installed silently first.\n"
       "\n"
       "With --show, the installer installs the saver quietly (/q) into that private prefix,\n"
       "the installed saver runs full screen (/s) on the 1024 x 768 display, and the screen is\n"
       "photographed: the first picture 2 seconds after the show appears, then one every\n"
       "--every seconds until --for seconds later. -o SHOW.png writes them as SHOW-01.png,\n"
       "SHOW-02.png, ...; -o SHOW.gif or SHOW.webp joins them into one animation, which needs\n"
       "ImageMagick's convert. The saver, the install and the prefix are removed afterwards.\n"
       "\n"
       "Needs Linux with Wine, Xvfb, xwininfo and ImageMagick's import (on Debian: dpkg\n"
       "--add-architecture i386; apt-get install wine wine32:i386 xvfb x11-utils imagemagick).\n"
       "The first preview also makes the Wine prefix that previews copy, kept in\n"
       "$XDG_CACHE_HOME/saverkit (~/.cache/saverkit), and takes about 20 seconds in all.\n"
       "After that a preview of the window takes about 4 seconds, and one of the show about\n"
       "8 seconds more than --for.\n"
       "\n"
       "  -o, --output FILE        the picture to write (replaced only when it is taken); with\n"
       "                           --show, frames (.png) or an animation (.gif, .webp)\n"
       "  --stub STUB              the stub to build a MANIFEST with (as for build); the\n"
       "                           stand-in player is looked for beside it first, then beside\n"
       "                           saverpack and in ../share/saverkit/ from its folder\n"
       "  --timeout SECONDS        how long to wait for the window or the show (default 60)\n"
       "  --show                   install the saver and record its show instead of the window\n"
       "  --every SECONDS          with --show: seconds between pictures (default 4, 1 to 600)\n"
       "  --for SECONDS            with --show: seconds from the first picture to the last\n"
       "                           (default 16, so 5 pictures; at most 120 pictures)\n"
       "  -h, --help               this help\n"
       "\n"
       "Exit codes: 1 when the installer shows no window (the message says what it showed\n"
       "instead, from its log), or with --show when the install fails or the saver shows\n"
       "nothing full screen or ends early; 3 when a program it needs is missing or a file\n"
       "cannot be read or written.\n"},
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
    err << "saverpack: error: no command given\n\n" << kOverview;
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
    if (!topic.empty() && topic[0] != '-') {
      err << "saverpack: error: no command \"" << topic << "\"; run saverpack --help\n";
      return static_cast<int>(ExitCode::kUsage);
    }
    out << kOverview;
    return 0;
  }
  if (name == "--version" || name == "-V") {
    // From the command table itself, so that a new command is never missing here.
    std::string names;
    for (const Command& command : commands()) names += (names.empty() ? "" : ", ") + std::string(command.name);
    out << "saverpack " << SAVERPACK_VERSION << "\n"
        << "commands: " << names << " (saverpack --help lists their options)\n";
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
  err << "saverpack: error: unknown command \"" << name << "\"\n\n" << kOverview;
  return static_cast<int>(ExitCode::kUsage);
}

fs::path programFolderOf(const char* argv0) {
  std::error_code error;
#ifdef _WIN32
  // argv[0] may be a bare name found on PATH; the module's own path never is.
  std::wstring module(32768, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
  if (length > 0 && length < module.size()) {
    module.resize(length);
    return fs::path(module).parent_path();
  }
#endif
  // Linux knows exactly which file is running; elsewhere argv[0] is the best guide.
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error && !self.empty()) return self.parent_path();
  if (argv0 == nullptr || *argv0 == '\0') return {};
  const fs::path given = fs::u8path(argv0);
  if (given.has_parent_path()) return fs::absolute(given, error).parent_path();
  return fs::current_path(error);
}

}  // namespace saverpack
