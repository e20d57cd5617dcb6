// The administrator's switches; see the header.
#include "installer/administrator_view.h"

#include "common/text_helpers.h"

namespace saverkit {
namespace {

constexpr const char* kSuppressSwitch = "/suppressmsgboxes";
constexpr const char* kLogSwitch = "/log=";

const char* kindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::kError: return "error box";
    case DialogKind::kInformation: return "information box";
    case DialogKind::kOkCancel: return "OK/Cancel question";
    case DialogKind::kYesNo: return "Yes/No question";
  }
  return "box";
}

// Line breaks inside a message stay visible without breaking the log's one-line-per-event form.
std::string oneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

AdministratorSwitches readAdministratorSwitches(const std::vector<std::string>& parameters) {
  AdministratorSwitches switches;
  for (const std::string& parameter : parameters) {
    const std::string lowered = toLowerAscii(parameter);
    if (lowered == kSuppressSwitch) switches.suppressBoxes = true;
    if (startsWith(lowered, kLogSwitch) && parameter.size() > std::string(kLogSwitch).size()) {
      switches.logPath = parameter.substr(std::string(kLogSwitch).size());
    }
  }
  return switches;
}

AdministratorView::AdministratorView(InstallerView& inner, FileSystem& files, const TextSource& texts,
                                     const AdministratorSwitches& switches)
    : inner_(inner), texts_(texts), suppressBoxes_(switches.suppressBoxes) {
  if (switches.logPath.empty()) return;
  // The log is written with administrator rights: through a link, it would overwrite whatever
  // file the link's maker chose. Its folder is reached without passing a link and held, and the
  // file is made relative to that hold, so that nothing can be swapped in after a check.
  const std::string folder = folderOf(switches.logPath);
  Status error = 0;
  const std::unique_ptr<HeldFolder> held = files.holdFolderWithoutLinks(folder.empty() ? "." : folder, error);
  if (!held) return;
  log_ = files.createFileIn(*held, fileNameOf(switches.logPath), error);
  if (log_) log_->write("\xEF\xBB\xBF", 3);  // marks the log as UTF-8 for Windows' editors
}

AdministratorView::~AdministratorView() {
  if (log_) log_->close();
}

void AdministratorView::logLine(const std::string& line) {
  if (!log_) return;
  const std::string text = texts_.toUtf8(oneLine(line)) + "\r\n";
  log_->write(text.data(), text.size());
}

bool AdministratorView::showDialog(DialogKind kind, const std::string& text) {
  if (!suppressBoxes_) {
    const bool answer = inner_.showDialog(kind, text);
    logLine(std::string(kindName(kind)) + ": " + text + (answer ? " -> OK/Yes" : " -> Cancel/No"));
    return answer;
  }
  // Every box's default button is its first one: OK, or Yes.
  logLine(std::string(kindName(kind)) + " (not shown): " + text + " -> OK/Yes");
  return true;
}

void AdministratorView::showErrorReport(const std::string& text) {
  logLine(std::string("error report") + (suppressBoxes_ ? " (not shown): " : ": ") + text);
  if (!suppressBoxes_) inner_.showErrorReport(text);
}

void AdministratorView::showStatusText(const std::string& text) {
  if (!text.empty()) logLine("status: " + text);
  inner_.showStatusText(text);
}

void AdministratorView::setPreparingMessage(const std::string& text) {
  logLine("status: " + text);
  inner_.setPreparingMessage(text);
}

}  // namespace saverkit
