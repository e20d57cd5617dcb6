# The sample project in examples/ as an author would ship it: built by saverpack, its plan
# (inspect --plan, the same as build --list) names exactly what an install under Wine then
# writes; installed through the reference launcher, by the window's button and quietly, after
# which the saver is the user's active one.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
desktop='HKCU\Control Panel\Desktop'
name="Ocean Sample"
# The read-me opens in Notepad after each install; it goes with the case.
restore() {
  wine taskkill /f /im notepad.exe >/dev/null 2>&1
  clean_saver "$name"; wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1; rm -rf "$work" "$report"
}
trap restore EXIT
examples=$(cd "$(dirname "$0")/../../../examples" && pwd)
register_player
clean_saver "$name"
"$native_bin/saverpack" build "$examples/ocean-sample/manifest.json" -o "$work/Ocean Setup.exe" \
  --stub "$bin/saverstub.exe" --no-progress --strict --list > "$work/list.txt" || fail "the sample does not build"
"$native_bin/saverpack" inspect --plan "$work/Ocean Setup.exe" > "$work/plan.txt" || fail "no plan"
grep -A1000 '^Install plan' "$work/list.txt" | diff - "$work/plan.txt" >/dev/null || fail "build --list and inspect --plan differ"

# The sample asks to open the control panel after the install: Yes, which the launcher does.
drive --timeout=30000 wait-window:TInstallerForm "$(shot example_through_launcher)" click:'Accept and Install' \
  box:'&Yes' -- "$bin/saverlaunch.exe" --log "$(windows_path "$work/launch.log")" "$work/Ocean Setup.exe"
expect 'exit 0'
grep -q "makeActiveSaver-$name.scr\" (.*): activated" "$work/launch.log" || fail "the launcher did not activate the saver"
grep -q '"openScreenSaverControlPanel" (.*): opened' "$work/launch.log" || fail "the launcher did not open the control panel"

# Every file the plan names on the user's machine is there, where the plan says.
unix_target() {
  local path=${1//\\//}
  case "${path,,}" in
    c:/programdata/*) printf '%s/ProgramData/%s' "$prefix_c" "${path:15}" ;;
    c:/windows/system32/*) printf '%s/windows/%s/%s' "$prefix_c" "$2" "${path:20}" ;;
  esac
}
checked=0
while IFS= read -r target; do
  case "$target" in
    *'C:\ProgramData\'*) file=$(unix_target "$(printf '%s' "$target" | grep -o 'C:\\ProgramData\\.*' | sed 's/  (.*//')") ;;
    *'C:\Windows\system32\'*) file=$(unix_target "$(printf '%s' "$target" | grep -o 'C:\\Windows\\system32\\.*' | sed 's/  (.*//')" syswow64) ;;
    *'C:\Windows\System32\'*) file=$(unix_target "$(printf '%s' "$target" | grep -o 'C:\\Windows\\System32\\.*' | sed 's/  (.*//')" system32) ;;
    *) continue ;;
  esac
  checked=$((checked + 1))
  [ -f "$file" ] || fail "the plan names $target, but the install wrote no $file"
done < <(grep -E '(ProgramData|system32|System32)\\.*[^\\]$|\.[a-zA-Z]+  \(' "$work/plan.txt" | grep -vE 'UninstallString|^  (system|product) |^ +is also')
[ "$checked" -ge 8 ] || fail "only $checked planned files were checked"
echo "plan: $checked files checked against the install"
entry=$(wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name" 2>/dev/null | tr -d '\r')
planned=$(sed -n 's/^ *UninstallString *//p' "$work/plan.txt")
echo "$entry" | grep -qiF "$planned" || fail "uninstall command: planned $planned, written: $entry"
echo "$entry" | grep -qF "$(sed -n 's/^ *DisplayName *//p' "$work/plan.txt")" || fail "DisplayName differs from the plan"
wine reg query "$desktop" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | grep -qF "C:\\windows\\system32\\$name.scr" ||
  fail "the sample is not the active saver"

# Quietly through the launcher, over the first install.
wine "$bin/saverlaunch.exe" --json "$work/Ocean Setup.exe" /q > "$work/quiet.json" 2>/dev/null || fail "quiet run failed"
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); sys.exit(0 if r["exitCode"] == 0 and any(c["action"] == "activated" for c in r["commands"]) else 1)' \
  "$work/quiet.json" || fail "quiet run: $(cat "$work/quiet.json")"
finish
