# saverlaunch against real installers: a quiet install and an install through the window's
# Install button each make the saver the active one the way the Display control panel stores
# it; a package that asks for the control panel is answered "skipped" when told so; bad requests
# are refused or ignored, arguments arrive unchanged and the full exit code comes back.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
launch="$bin/saverlaunch.exe"
desktop='HKCU\Control Panel\Desktop'

# desktop_value NAME: the data of that string value, or "<none>" when there is none.
desktop_value() {
  local line
  line=$(wine reg query "$desktop" /v "$1" 2>/dev/null | tr -d '\r' | grep -F "    $1    REG_SZ") || { echo '<none>'; return; }
  printf '%s\n' "$line" | sed -E 's/^ +[^ ]+ +REG_SZ( {4}|$)//'
}
set_desktop_value() {
  if [ "$2" = '<none>' ]; then wine reg delete "$desktop" /v "$1" /f >/dev/null 2>&1 || true
  else wine reg add "$desktop" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || fail "cannot set $1"; fi
}
saved_saver=$(desktop_value SCRNSAVE.EXE)
saved_active=$(desktop_value ScreenSaveActive)
restore() {
  set_desktop_value SCRNSAVE.EXE "$saved_saver"
  set_desktop_value ScreenSaveActive "$saved_active"
  clean_saver "Launch Reef"; clean_saver "Quiet Reef"
  rm -rf "$work" "$report"
}
trap restore EXIT

# summarise FILE: the launcher's standard output, which must be exactly one JSON object, as
# report lines for expect and expect_order.
summarise() {
  python3 - "$1" > "$report" <<'PY' || fail "no single JSON object in $1: $(cat "$1")"
import json, sys
run = json.loads(open(sys.argv[1], encoding='utf-8').read())
print('installer', run['installer'])
for argument in run['arguments']:
    print('argument', argument)
print('exitCode', run['exitCode'])
for command in run['commands']:
    print('command %s %s' % (json.dumps(command['text']), command['action']))
    print('detail %s: %s' % (json.dumps(command['text']), command['detail']))
print('closed', json.dumps(run['closed']))
print('activeSaver', run['activeSaver'])
if 'error' in run:
    print('error', run['error'])
PY
  echo "--- launcher summary:"; cat "$report"
}
system='C:\windows\system32'
previous="$system\\previous.scr"
set_desktop_value SCRNSAVE.EXE "$previous"
set_desktop_value ScreenSaveActive 0

register_player
clean_saver "Launch Reef"
make_saver "$work/saver" "Launch Reef" bitmap
build_installer "$work/saver" "$work/Launch Setup.exe" || fail "saverpack build"

# 1. Quiet: the saver is installed and becomes the active one.
wine "$launch" --json --log "$(windows_path "$work/quiet.log")" "$work/Launch Setup.exe" /q \
  > "$work/quiet.json" 2> "$work/quiet.err"
status=$?
summarise "$work/quiet.json"
[ "$status" = 0 ] || fail "quiet run: exit status $status"
expect 'exitCode 0'
expect_match '^installer Z:\\.*\\Launch Setup\.exe$'
# The window's handle first, then the installer's own arguments as given.
mapfile -t arguments < <(grep '^argument ' "$report")
[[ ${#arguments[@]} = 2 && ${arguments[0]} =~ ^argument\ /l=-?[0-9]+$ && ${arguments[1]} = 'argument /q' ]] ||
  fail "arguments: ${arguments[*]}"
expect_order \
  'command "read installer heard file" noted' \
  'command "quiet installer" noted' \
  'command "makeActiveSaver-Launch Reef.scr" activated' \
  'closed true'
expect "activeSaver $system\\Launch Reef.scr"
expect_no_match 'openScreenSaverControlPanel'
[ -f "$prefix_c/ProgramData/Vantrel/Launch Reef/saver.dat" ] || fail "not installed"
[ "$(desktop_value SCRNSAVE.EXE)" = "$system\\Launch Reef.scr" ] || fail "SCRNSAVE.EXE is $(desktop_value SCRNSAVE.EXE)"
[ "$(desktop_value ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is $(desktop_value ScreenSaveActive)"
# The log file has the same story, each line stamped, in order.
tr -d '\r' < "$work/quiet.log" > "$report"
echo "--- launcher log:"; cat "$report"
stamp='[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}'
[ "$(grep -cvE "^$stamp " "$report")" = 0 ] || fail "log lines without a time stamp"
cut -d' ' -f2- "$report" > "$report.text" && mv "$report.text" "$report"
expect_order \
  'command "read installer heard file" (26 bytes): noted - the installer has read its package' \
  'command "quiet installer" (16 bytes): noted - the installer runs quietly' \
  "command \"makeActiveSaver-Launch Reef.scr\" (33 bytes): activated - $system\\Launch Reef.scr" \
  'closed: the installer window has closed (message 0x0501, wParam 0, lParam 0)' \
  'exit code 0 (0x00000000)'

# 2. Interactive: the driver finds the installer's window under the launcher, takes a
# screenshot and presses Install; the saver becomes the active one again.
clean_saver "Launch Reef"
set_desktop_value SCRNSAVE.EXE "$previous"
drive --timeout=30000 wait-window:TInstallerForm "$(shot saverlaunch_interactive)" click:Install \
  -- "$launch" --log "$(windows_path "$work/window.log")" "$work/Launch Setup.exe"
expect 'exit 0'
gold=$(pixels_of "$artefacts/saverlaunch_interactive.png" FFD700)
[ "${gold:-0}" -gt 5000 ] || fail "the installer's picture did not show ($gold gold pixels)"
tr -d '\r' < "$work/window.log" | cut -d' ' -f2- > "$report"
echo "--- launcher log:"; cat "$report"
expect_order \
  'command "read installer heard file" (26 bytes): noted - the installer has read its package' \
  "command \"makeActiveSaver-Launch Reef.scr\" (33 bytes): activated - $system\\Launch Reef.scr" \
  'closed: the installer window has closed (message 0x0501, wParam 0, lParam 0)' \
  'exit code 0 (0x00000000)'
[ -f "$prefix_c/ProgramData/Vantrel/Launch Reef/saver.dat" ] || fail "not installed through the window"
[ "$(desktop_value SCRNSAVE.EXE)" = "$system\\Launch Reef.scr" ] || fail "SCRNSAVE.EXE is $(desktop_value SCRNSAVE.EXE)"

# 3. The package chooses quiet mode and asks for the control panel, which is not opened here.
clean_saver "Quiet Reef"
make_saver "$work/quiet" "Quiet Reef" quiet
sed -i '/"3": {"file"/d' "$work/quiet/manifest.json"
build_installer "$work/quiet" "$work/Quiet Setup.exe" || fail "saverpack build (quiet)"
wine "$launch" --json --no-control-panel "$work/Quiet Setup.exe" > "$work/panel.json" 2>/dev/null
status=$?
summarise "$work/panel.json"
[ "$status" = 0 ] || fail "quiet package: exit status $status"
expect_order \
  'command "read installer heard file" noted' \
  'command "makeActiveSaver-Quiet Reef.scr" activated' \
  'command "openScreenSaverControlPanel" skipped' \
  'closed true'
expect "detail \"openScreenSaverControlPanel\": $system\\control.exe desk.cpl,,@screensaver (--no-control-panel)"
expect 'exitCode 0'
[ "$(desktop_value SCRNSAVE.EXE)" = "$system\\Quiet Reef.scr" ] || fail "SCRNSAVE.EXE is $(desktop_value SCRNSAVE.EXE)"

# 4. Requests no installer of ours sends, from the channel probe, on the human-readable output:
# nothing leaves the system folder, nothing missing is activated, an argument with quotes,
# blanks and a trailing backslash arrives unchanged, and all 32 bits of the exit code return
# (the shell sees only its low byte under wine: -454 is 0x...3A).
wine "$launch" --no-activate "$bin/launcher_probe.exe" --exit=-454 --send 'makeActiveSaver-..\evil.scr\0' \
  'makeActiveSaver-C:evil.scr\0' 'makeActiveSaver-notes.txt\0' 'makeActiveSaver-Launch Reef.scr\0' \
  'odd "quoted" C:\dir\' > "$work/probe.out" 2>&1
status=$?
tr -d '\r' < "$work/probe.out" | cut -d' ' -f2- > "$report"
echo "--- launcher output:"; cat "$report"
[ "$status" = 58 ] || fail "probe run: exit status $status"
expect_order \
  'command "makeActiveSaver-..\\evil.scr" (29 bytes): refused - not a bare file name ending in .scr' \
  'command "makeActiveSaver-C:evil.scr" (28 bytes): refused - not a bare file name ending in .scr' \
  'command "makeActiveSaver-notes.txt" (27 bytes): refused - not a bare file name ending in .scr' \
  "command \"makeActiveSaver-Launch Reef.scr\" (33 bytes): skipped - $system\\Launch Reef.scr (--no-activate)" \
  'command "odd \"quoted\" C:\\dir\\" (21 bytes): ignored - unknown command' \
  'closed: the installer window has closed (message 0x0501, wParam 0, lParam 0)' \
  'exit code -454 (0xFFFFFE3A)'
wine "$launch" "$bin/launcher_probe.exe" --send 'makeActiveSaver-Missing Reef.scr\0' > "$work/probe.out" 2>&1
tr -d '\r' < "$work/probe.out" | cut -d' ' -f2- > "$report"
expect "command \"makeActiveSaver-Missing Reef.scr\" (34 bytes): failed - $system\\Missing Reef.scr: error 2: File not found"
[ "$(desktop_value SCRNSAVE.EXE)" = "$system\\Quiet Reef.scr" ] || fail "SCRNSAVE.EXE changed to $(desktop_value SCRNSAVE.EXE)"

# 5. The launcher's own failures have their own codes.
wine "$launch" --json "$work/No Such Setup.exe" /q > "$work/missing.json" 2>/dev/null
status=$?
summarise "$work/missing.json"
[ "$status" = $((9009 & 255)) ] || fail "missing installer: exit status $status"
expect 'exitCode 9009'
expect 'closed false'
expect_match '^error installer not found: .*No Such Setup\.exe'
wine "$launch" --frobnicate "$work/Launch Setup.exe" > "$work/usage.out" 2>&1
status=$?
[ "$status" = $((9008 & 255)) ] || fail "bad option: exit status $status"
grep -qF 'unknown option --frobnicate' "$work/usage.out" || fail "bad option: $(cat "$work/usage.out")"
wine "$launch" --help > "$work/help.out" 2>&1 || fail "--help failed"
for word in --json --log --no-activate --no-control-panel makeActiveSaver openScreenSaverControlPanel 0x0501 9008 9009 9010; do
  grep -qF -- "$word" "$work/help.out" || fail "--help does not explain $word"
done
finish
