// implode-tool: command line front end to the codec.
//
// The output is written beside its final name and renamed into place only on success, so a
// failed run never leaves a half-written file where a good one is expected, and an existing
// file is replaced only when asked with --force. When unpacking damaged data, the bytes
// decoded before the damage stay in OUTPUT.partial rather than being thrown away.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_codec.h"

namespace {

namespace sk = saverkit::implode;

enum ExitCode { kExitOk = 0, kExitUsage = 1, kExitIo = 2, kExitData = 3 };

constexpr const char* kHelp =
    "Usage: implode-tool implode [options] INPUT OUTPUT\n"
    "       implode-tool explode [options] INPUT OUTPUT\n"
    "\n"
    "Packs files into, or unpacks them from, the implode format used by screen saver\n"
    "installers and impborl.dll.\n"
    "\n"
    "Options for implode:\n"
    "  -m, --mode binary|ascii       literal coding (default binary; ascii suits text)\n"
    "  -d, --dict 1024|2048|4096     dictionary size in bytes (default 4096)\n"
    "  -l, --level fast|default|best speed/size trade-off (default: default)\n"
    "Options for both:\n"
    "  -f, --force       replace OUTPUT if it exists\n"
    "  -p, --progress    show progress on stderr\n"
    "  -v, --verbose     print sizes and ratio when done\n"
    "  -h, --help        show this help\n"
    "\n"
    "Exit codes: 0 success, 1 usage error, 2 file error, 3 invalid or damaged data.\n";

struct Args {
  std::string command;
  std::string input;
  std::string output;
  sk::ImplodeOptions options;
  bool force = false;
  bool progress = false;
  bool verbose = false;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "implode-tool: %s\nTry 'implode-tool --help'.\n", message.c_str());
  return kExitUsage;
}

bool parseValue(const std::string& flag, const std::string& value, Args& args, std::string& error) {
  if (flag == "-m" || flag == "--mode") {
    if (value != "binary" && value != "ascii") return error = "mode must be binary or ascii", false;
    args.options.mode = value == "ascii" ? sk::LiteralMode::kAscii : sk::LiteralMode::kBinary;
  } else if (flag == "-d" || flag == "--dict") {
    if (value != "1024" && value != "2048" && value != "4096") {
      return error = "dictionary size must be 1024, 2048 or 4096", false;
    }
    args.options.dictSize = static_cast<unsigned>(std::stoul(value));
  } else if (value == "fast" || value == "default" || value == "best") {
    args.options.level = value == "fast" ? sk::Level::kFast : value == "best" ? sk::Level::kBest : sk::Level::kDefault;
  } else {
    return error = "level must be fast, default or best", false;
  }
  return true;
}

// Returns -1 when parsing succeeded and the run should go on, else an exit code.
int parseArgs(int argc, char** argv, Args& args) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (a == "-f" || a == "--force") {
      args.force = true;
    } else if (a == "-p" || a == "--progress") {
      args.progress = true;
    } else if (a == "-v" || a == "--verbose") {
      args.verbose = true;
    } else if (a == "-m" || a == "--mode" || a == "-d" || a == "--dict" || a == "-l" || a == "--level") {
      if (i + 1 >= argc) return usageError("option " + a + " needs a value");
      std::string error;
      if (!parseValue(a, argv[++i], args, error)) return usageError(error);
    } else if (a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.empty()) return usageError("missing command (implode or explode)");
  args.command = positional[0];
  if (args.command != "implode" && args.command != "explode") {
    return usageError("unknown command '" + args.command + "'");
  }
  if (positional.size() != 3) return usageError("expected INPUT and OUTPUT after the command");
  args.input = positional[1];
  args.output = positional[2];
  if (args.input == args.output) return usageError("INPUT and OUTPUT must differ");
  return -1;
}

unsigned long long fileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(f);
  std::rewind(f);
  return size > 0 ? static_cast<unsigned long long>(size) : 0;
}

int run(const Args& args) {
  std::FILE* in = std::fopen(args.input.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "implode-tool: cannot open %s: %s\n", args.input.c_str(), std::strerror(errno));
    return kExitIo;
  }
  if (!args.force) {
    if (std::FILE* existing = std::fopen(args.output.c_str(), "rb")) {
      std::fclose(existing);
      std::fclose(in);
      std::fprintf(stderr, "implode-tool: %s exists; use --force to replace it\n", args.output.c_str());
      return kExitIo;
    }
  }
  const std::string temp = args.output + ".partial";
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "implode-tool: cannot create %s: %s\n", temp.c_str(), std::strerror(errno));
    std::fclose(in);
    return kExitIo;
  }
  const unsigned long long total = fileSize(in);
  const implode_tool::RunResult r = args.command == "implode"
                                        ? implode_tool::implodeFile(in, out, args.options, total, args.progress)
                                        : implode_tool::explodeFile(in, out, total, args.progress);
  std::fclose(in);
  const bool closed = std::fclose(out) == 0;
  int code = kExitOk;
  if (!r.ioError.empty() || !closed) {
    std::fprintf(stderr, "implode-tool: %s\n", r.ioError.empty() ? "closing the output failed" : r.ioError.c_str());
    code = kExitIo;
  } else if (r.status != sk::Status::kOk) {
    std::fprintf(stderr, "implode-tool: %s: %s\n", args.input.c_str(), sk::statusMessage(r.status));
    code = kExitData;
  }
  if (code == kExitData && args.command == "explode" && r.stats.bytesOut > 0) {
    // Damaged input: what decoded before the damage is good data, so keep it aside.
    std::fprintf(stderr, "implode-tool: kept the %llu bytes decoded before the damage in %s\n",
                 r.stats.bytesOut, temp.c_str());
    return code;
  }
  if (code != kExitOk) {
    std::remove(temp.c_str());
    return code;
  }
  std::remove(args.output.c_str());  // rename() will not replace a file on Windows
  if (std::rename(temp.c_str(), args.output.c_str()) != 0) {
    std::fprintf(stderr, "implode-tool: cannot rename %s to %s: %s\n", temp.c_str(), args.output.c_str(),
                 std::strerror(errno));
    return kExitIo;
  }
  if (args.verbose) {
    const auto& s = r.stats;
    std::fprintf(stderr, "%s: %llu -> %llu bytes (ratio %.3f)\n", args.output.c_str(), s.bytesIn, s.bytesOut,
                 s.bytesIn != 0 ? static_cast<double>(s.bytesOut) / static_cast<double>(s.bytesIn) : 0.0);
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  const int parsed = parseArgs(argc, argv, args);
  if (parsed >= 0) return parsed;
  return run(args);
}
