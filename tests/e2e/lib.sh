# Helpers for the end-to-end cases: run the driver under Wine and check its report.
set -u
bin=${SAVERKIT_BIN:?run through ctest or scripts/test}
artefacts=${SAVERKIT_ARTEFACTS:-/tmp}
mkdir -p "$artefacts"
report=$(mktemp)
trap 'rm -f "$report"' EXIT
failures=0

# drive STEP... -- PROGRAM ARGS...: runs the driver; the report is kept for the checks.
# Screenshot requests in the report are served while the driver runs.
drive() {
  : > "$report"
  wine "$bin/driver.exe" "$@" > "$report" 2>/dev/null &
  local driver=$! served=0 line path
  while kill -0 "$driver" 2>/dev/null; do
    while IFS= read -r line; do
      path=$(printf '%s' "${line#shot Z:}" | tr -d '\r' | tr '\\' '/')
      import -window root "$path" 2>/dev/null || : > "$path"
      served=$((served + 1))
    done < <(grep '^shot ' "$report" | tail -n +$((served + 1)))
    sleep 0.1
  done
  wait "$driver" || true
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
# shot NAME: the step that saves a screenshot artefact NAME.png.
shot() { rm -f "$artefacts/$1.png"; printf 'shot:%s' "$(windows_path "$artefacts/$1.png")"; }
finish() {
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}
