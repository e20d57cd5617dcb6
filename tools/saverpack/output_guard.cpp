// Output protection; see the header.
#include "output_guard.h"

#include "file_io.h"
#include "header_rules.h"
#include "tool_error.h"

namespace saverpack {

namespace fs = std::filesystem;

void InputGuard::check(const fs::path& input, const std::string& what) const {
  if (output_.empty()) return;
  std::error_code error;
  if (!fs::exists(output_, error) || !fs::exists(input, error)) return;
  if (fs::equivalent(output_, input, error) && !error) {
    throw usageError("--output: " + quoteText(pathToUtf8(output_)) + " is " + what +
                     "; writing there would destroy an input of this build. Choose another file");
  }
}

void InputGuard::checkFolder(const fs::path& folder, const std::string& what) const {
  if (output_.empty()) return;
  std::error_code error;
  const fs::path real = fs::canonical(folder, error);
  if (error) return;
  const fs::path target = fs::weakly_canonical(fs::absolute(output_, error), error);
  if (error) return;
  const fs::path relative = target.lexically_relative(real);
  if (!relative.empty() && *relative.begin() != "..") {
    throw usageError("--output: " + quoteText(pathToUtf8(output_)) + " is inside " + what +
                     "; the next build would pack it as content. Write it somewhere else");
  }
}

bool isMissingOrEmptyFolder(const fs::path& folder) {
  std::error_code error;
  if (!fs::exists(folder, error)) return true;
  return fs::is_directory(folder, error) && fs::is_empty(folder, error);
}

}  // namespace saverpack
