// The engine's command line as Windows, the settings page and users write it.
#include <gtest/gtest.h>

#include "saver_command.h"

namespace saverkit::slideshow {
namespace {

struct Row {
  std::vector<std::string> parameters;
  SaverMode mode;
  WindowHandle window;
  bool relaunched;
};

TEST(ParseSaverCommand, EverySwitchAndItsWindow) {
  const Row rows[] = {
      {{}, SaverMode::kSettings, 0, false},
      {{"/s"}, SaverMode::kShow, 0, false},
      {{"/S"}, SaverMode::kShow, 0, false},
      {{"-s"}, SaverMode::kShow, 0, false},
      {{"/p", "1234"}, SaverMode::kPreview, 1234, false},
      {{"/P:4294967295"}, SaverMode::kPreview, 4294967295u, false},
      {{"/c"}, SaverMode::kSettings, 0, false},
      {{"/C:66000"}, SaverMode::kSettings, 66000, false},
      {{"/c", "77"}, SaverMode::kSettings, 77, false},
      {{"-C", "77"}, SaverMode::kSettings, 77, false},
      // A bare /c followed by something that is no window: no owner given (the window in front
      // is taken), not a refusal.
      {{"/c", "abc"}, SaverMode::kSettings, 0, false},
      {{"/c", "0"}, SaverMode::kSettings, 0, false},
      {{"/u"}, SaverMode::kUninstall, 0, false},
      {{"/U", "/Relaunched"}, SaverMode::kUninstall, 0, true},
      {{"/u", "/other"}, SaverMode::kUninstall, 0, false},
      // A preview needs its window; other forms are not ours.
      {{"/p"}, SaverMode::kInvalid, 0, false},
      {{"/p", "0"}, SaverMode::kInvalid, 0, false},
      {{"/p", "12x"}, SaverMode::kInvalid, 0, false},
      {{"/p:4294967296"}, SaverMode::kInvalid, 0, false},
      {{"/p", "-5"}, SaverMode::kInvalid, 0, false},
      {{"/c:"}, SaverMode::kInvalid, 0, false},
      {{"/c:0"}, SaverMode::kInvalid, 0, false},
      {{"/c:12a"}, SaverMode::kInvalid, 0, false},
      {{"/c:4294967296"}, SaverMode::kInvalid, 0, false},
      {{"/s:1"}, SaverMode::kInvalid, 0, false},
      {{"/sx"}, SaverMode::kInvalid, 0, false},
      {{"/x"}, SaverMode::kInvalid, 0, false},
      {{"s"}, SaverMode::kInvalid, 0, false},
      {{"/"}, SaverMode::kInvalid, 0, false},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const auto& parameter : row.parameters) line += parameter + " ";
    SCOPED_TRACE(line);
    const SaverCommand command = parseSaverCommand(row.parameters);
    EXPECT_EQ(command.mode, row.mode);
    EXPECT_EQ(command.window, row.window);
    EXPECT_EQ(command.relaunched, row.relaunched);
  }
}

}  // namespace
}  // namespace saverkit::slideshow
