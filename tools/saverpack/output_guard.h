// Keeping a command from destroying what it reads or what the user already has: the output of
// a build must not be one of its inputs, and a folder that already holds files is written into
// only when the user says so.
#pragma once

#include <filesystem>
#include <string>

namespace saverpack {

class InputGuard {
 public:
  // An empty output path guards nothing.
  explicit InputGuard(std::filesystem::path output) : output_(std::move(output)) {}

  // Throws ToolError(kUsage) when the output is `input` itself (the same file, by any path or
  // link). `what` names the input in the author's terms: "the manifest", "slot 6's file".
  void check(const std::filesystem::path& input, const std::string& what) const;

  // Throws ToolError(kUsage) when the output would land inside `folder`, where the next build
  // would pack it.
  void checkFolder(const std::filesystem::path& folder, const std::string& what) const;

 private:
  std::filesystem::path output_;
};

// True for a folder with nothing in it, and for a path where nothing exists yet.
bool isMissingOrEmptyFolder(const std::filesystem::path& folder);

}  // namespace saverpack
