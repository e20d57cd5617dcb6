# Helpers for the end-to-end cases: run the driver under Wine and check its report.
set -u
bin=${SAVERKIT_BIN:?run through ctest or scripts/test}
artefacts=${SAVERKIT_ARTEFACTS:-/tmp}
mkdir -p "$artefacts"
report=$(mktemp)
trap 'rm -f "$report"' EXIT
failures=0

# drive STEP... -- PROGRAM ARGS...: runs the driver; the report is kept for the checks.
drive() {
  wine "$bin/driver.exe" "$@" > "$report" 2>/dev/null
  tr -d '\r' < "$report" > "$report.clean" && mv "$report.clean" "$report"
  echo "--- driver report:"; cat "$report"
}

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
# expect LINE: the report has exactly this line.
expect() { grep -qxF -- "$1" "$report" || fail "no line: $1"; }
# expect_match REGEX: some line matches.
expect_match() { grep -qE -- "$1" "$report" || fail "no line matching: $1"; }
expect_no_match() { ! grep -qE -- "$1" "$report" || fail "unexpected line matching: $1"; }
# expect_order LINE...: these lines appear in this order.
expect_order() {
  local previous=0 line number
  for line in "$@"; do
    number=$(grep -nxF -- "$line" "$report" | head -1 | cut -d: -f1)
    if [ -z "$number" ] || [ "$number" -le "$previous" ]; then fail "out of order or missing: $line"; return; fi
    previous=$number
  done
}
# windows_path FILE: the path Wine programs use for a Linux file.
windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
# shot NAME: the step that saves a screenshot artefact (converted to PNG at the end).
shot() { printf 'shot:%s' "$(windows_path "$artefacts/$1.bmp")"; }
finish() {
  local bmp
  for bmp in "$artefacts"/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
  done
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}
