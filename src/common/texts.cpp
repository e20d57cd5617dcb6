// The built-in words of the string table.
#include "common/texts.h"

namespace saverkit {

const char* builtInText(TextId id) {
  switch (id) {
#define SAVERKIT_TEXT_CASE(name, value, words) \
  case TextId::k##name:                        \
    return words;
    SAVERKIT_TEXT_MAP(SAVERKIT_TEXT_CASE)
#undef SAVERKIT_TEXT_CASE
  }
  return "";
}

}  // namespace saverkit
