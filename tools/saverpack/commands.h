// The bodies of saverpack's commands, each given its parsed arguments. They throw ToolError
// for failures that end the command and return the exit code otherwise.
#pragma once

#include <filesystem>
#include <ostream>

#include "command_line.h"
#include "tool_error.h"

namespace saverpack {

struct CommandContext {
  const ParsedArgs& args;
  std::filesystem::path programFolder;
  std::ostream& out;
  std::ostream& err;
};

ExitCode runBuild(const CommandContext& context);
ExitCode runDataFile(const CommandContext& context);
ExitCode runInspect(const CommandContext& context);
ExitCode runVerify(const CommandContext& context);
ExitCode runExtract(const CommandContext& context);
ExitCode runInit(const CommandContext& context);
ExitCode runSign(const CommandContext& context);

}  // namespace saverpack
