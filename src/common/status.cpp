// Lookups over the status table.
#include "common/status.h"

namespace saverkit {
namespace {

struct StatusRow {
  Status code;
  const char* meaning;
};

constexpr StatusRow kStatusRows[] = {
#define SAVERKIT_STATUS_ROW(name, value, meaning) {value, meaning},
    SAVERKIT_STATUS_MAP(SAVERKIT_STATUS_ROW)
#undef SAVERKIT_STATUS_ROW
};

const StatusRow* findRow(Status code) {
  for (const StatusRow& row : kStatusRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

const char* statusMeaning(Status code) {
  const StatusRow* row = findRow(code);
  return row ? row->meaning : "";
}

bool isKnownStatus(Status code) { return findRow(code) != nullptr; }

}  // namespace saverkit
