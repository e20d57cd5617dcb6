// What the checks report: a list of problems, each naming where it was found in the terms an
// author uses ("slots.6.name", "data.items.3.path"), so one message format serves the
// builder's manifest errors and the verifier's package errors alike.
#pragma once

#include <string>
#include <vector>

namespace saverpack {

struct Finding {
  // A note says what saverpack changed for the author (a text converted, say); it never fails
  // a build, not even under --strict.
  enum class Severity { kError, kWarning, kNote };
  Severity severity = Severity::kError;
  std::string where;
  std::string message;

  std::string text() const { return where.empty() ? message : where + ": " + message; }
  const char* severityName() const {
    return severity == Severity::kError ? "error" : severity == Severity::kWarning ? "warning" : "note";
  }
};

class Findings {
 public:
  void error(std::string where, std::string message) {
    items_.push_back({Finding::Severity::kError, std::move(where), std::move(message)});
  }
  void warning(std::string where, std::string message) {
    items_.push_back({Finding::Severity::kWarning, std::move(where), std::move(message)});
  }
  void note(std::string where, std::string message) {
    items_.push_back({Finding::Severity::kNote, std::move(where), std::move(message)});
  }
  void append(const Findings& other) { items_.insert(items_.end(), other.items_.begin(), other.items_.end()); }

  bool hasErrors() const {
    for (const Finding& finding : items_) {
      if (finding.severity == Finding::Severity::kError) return true;
    }
    return false;
  }
  const std::vector<Finding>& all() const { return items_; }

 private:
  std::vector<Finding> items_;
};

}  // namespace saverpack
