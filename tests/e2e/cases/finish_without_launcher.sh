# An installer double-clicked, with no launcher, whose package asks to finish without one
# ("finishWithoutLauncher"): Install makes the saver the active one and the question's Yes opens
# the screen saver settings with it selected, both through the desktop shell (Wine's explorer), so
# as the signed-in user: reg.exe sets SCRNSAVE.EXE, and rundll32 runs desk.cpl's
# InstallScreenSaver on the installed engine (a stand-in desk.cpl records the call and who made
# it). The uninstall entry gets its icon, size, NoModify and NoRepair. Without the flag, or with
# a launcher, all stays as before: the launcher is asked, and nothing else is started.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
name="Finish Reef"
record="$prefix_c/desk_standin.txt"
desktop='HKCU\Control Panel\Desktop'
previous=$(wine reg query "$desktop" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
finish_end() {
  rm -f "$record" "$prefix_c/windows/syswow64/desk.cpl" "$prefix_c/windows/system32/desk.cpl"
  if [ -n "$previous" ]; then wine reg add "$desktop" /v SCRNSAVE.EXE /d "$previous" /f >/dev/null 2>&1
  else wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1; fi
  clean_saver "$name"; rm -rf "$work" "$report"
}
trap finish_end EXIT
# Each side of the prefix its own: the desktop shell may be either.
cp "$bin/desk.cpl" "$prefix_c/windows/syswow64/desk.cpl"
cp "$bin/desk64.cpl" "$prefix_c/windows/system32/desk.cpl"
register_player
make_saver "$work/saver" "$name" bitmap
sed -i 's|"slots": {|"options": {"askOpenControlPanel": true, "finishWithoutLauncher": true},\n  "publisher": "Lumière Studio", "version": "2.1", "website": "https://lumiere.example/savers",\n  "slots": {|' "$work/saver/manifest.json"
build_installer "$work/saver" "$work/Setup.exe" || fail "saverpack build"
active() { wine reg query "$desktop" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
# reg.exe prints in the console's OEM code page (850 here).
entry() { wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name" /v "$1" 2>/dev/null | tr -d '\r' | iconv -f cp850 -t utf-8 | sed -n "s/.*$1[[:space:]]*REG_[A-Z]*[[:space:]]*//p"; }
# wait_for SECONDS COMMAND...: whether the command succeeds within that time.
wait_for() { local limit=$1; shift; for _ in $(seq 1 $((limit * 10))); do "$@" && return 0; sleep 0.1; done; return 1; }
engine='C:\windows\System32\'"$name.scr"

# 1. Double-clicked: no launcher.
clean_saver "$name"; wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1; rm -f "$record"
drive wait-window:TInstallerForm click:Install box:'&Yes' -- "$work/Setup.exe"
expect 'exit 0'
expect_no_match '^copydata'
wait_for 10 test -s "$record" || fail "desk.cpl's InstallScreenSaver was not called"
echo "--- desk.cpl stand-in:"; cat "$record"
grep -qF "$engine" "$record" || fail "InstallScreenSaver was not given the installed engine"
grep -qE ' from rundll32\.exe<(rundll32\.exe<)?explorer\.exe' "$record" || fail "InstallScreenSaver was not started by the desktop shell"
wait_for 10 test "$(active)" = "$engine" || fail "the saver was not made active (SCRNSAVE.EXE: $(active))"
[ "$(entry DisplayIcon)" = "$engine" ] || fail "DisplayIcon: $(entry DisplayIcon)"
[ "$(entry Publisher)" = "Lumière Studio" ] || fail "Publisher: $(entry Publisher)"
[ "$(entry DisplayVersion)" = 2.1 ] || fail "DisplayVersion: $(entry DisplayVersion)"
[ "$(entry URLInfoAbout)" = https://lumiere.example/savers ] || fail "URLInfoAbout: $(entry URLInfoAbout)"
[ "$(entry NoModify)" = 0x1 ] && [ "$(entry NoRepair)" = 0x1 ] || fail "NoModify/NoRepair: $(entry NoModify)/$(entry NoRepair)"
size=$(entry EstimatedSize); echo "EstimatedSize: $size"
[ -n "$size" ] && [ $((size)) -gt 0 ] || fail "no EstimatedSize"

# 2. The same installer through a launcher: the launcher is asked, as always; nothing else runs.
clean_saver "$name"; wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1; rm -f "$record"
drive wait-window:TInstallerForm click:Install box:'&Yes' -- "$work/Setup.exe" "{launcher}"
expect 'exit 0'
expect_match "copydata .*text=\"makeActiveSaver-$name\\.scr"
expect_match 'copydata .*text="openScreenSaverControlPanel'
sleep 2
[ ! -s "$record" ] || fail "desk.cpl was called although a launcher was there"
[ -z "$(active)" ] || fail "the installer set SCRNSAVE.EXE itself although a launcher was there"

# 3. Without the flag, double-clicked: as before, Yes opens nothing and the saver is not made active.
sed -i 's|, "finishWithoutLauncher": true||; /"publisher"/d' "$work/saver/manifest.json"
build_installer "$work/saver" "$work/Plain.exe" || fail "saverpack build (no flag)"
clean_saver "$name"; rm -f "$record"
drive wait-window:TInstallerForm click:Install box:'&Yes' -- "$work/Plain.exe"
expect 'exit 0'
sleep 2
[ ! -s "$record" ] || fail "desk.cpl was called for a package that did not ask"
[ -z "$(active)" ] || fail "SCRNSAVE.EXE was set for a package that did not ask"
[ -z "$(entry NoModify)" ] || fail "an old package's uninstall entry gained NoModify"
finish
