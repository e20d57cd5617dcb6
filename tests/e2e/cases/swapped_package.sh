# The installer's file replaced while it starts: a second program of the same user starts the
# installer of "Bound Reef", renames its file before any of it has run and copies the installer
# of "Swapped Reef" (whose implode library is one of the attacker's) into its place. The running
# installer compares the package it finds with the digest in its own image, refuses it with
# -608 before reading any of it, installs nothing and loads nothing of the other package. An
# installer whose digest place is empty (appended by hand) still installs.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Bound Reef"; clean_saver "Swapped Reef"' EXIT
rm -f "$prefix_c"/planted-*.txt
register_player
clean_saver "Bound Reef"
clean_saver "Swapped Reef"
folders_before=$(working_folders)
make_saver "$work/bound" "Bound Reef" bitmap
build_installer "$work/bound" "$work/Reef Setup.exe" || fail "saverpack build (bound)"
make_saver "$work/swapped" "Swapped Reef" bitmap
cp "$bin/planted_library.dll" "$work/swapped/impborl.dll"
head -c 400000 /dev/urandom > "$work/swapped/content/sounds/more.mp3"  # longer than the bound package
sed -i 's|"slots": {|"slots": {\n    "1": {"file": "impborl.dll"},|' "$work/swapped/manifest.json"
build_installer "$work/swapped" "$work/Other Setup.exe" || fail "saverpack build (swapped)"

wine "$bin/swapper.exe" "$(windows_path "$work/Reef Setup.exe")" "$(windows_path "$work/Other Setup.exe")" \
  /q /suppressmsgboxes "/log=$(windows_path "$work/swap.log")" 2>/dev/null | tr -d '\r' > "$report"
echo "--- swapper:"; cat "$report"; echo "--- log:"; cat "$work/swap.log" 2>/dev/null
expect renamed
expect replaced
expect 'exit -608'
grep -q "This installer's package is not the one it was built with" "$work/swap.log" || fail "the log has no box naming the cause"
[ -z "$(ls "$prefix_c"/planted-*.txt 2>/dev/null)" ] || fail "the other package's implode library was loaded"
for name in "Bound Reef" "Swapped Reef"; do
  [ ! -e "$prefix_c/ProgramData/Vantrel/$name" ] || fail "$name's product folder was made"
  [ ! -e "$prefix_c/windows/syswow64/$name.scr" ] || fail "$name's engine was written"
done
[ "$(working_folders)" = "$folders_before" ] || fail "a working folder was left behind"

# A replacement shorter than the bound package reads as a cut-short download: -30, nothing done.
mv -f "$work/Reef Setup.exe.moved" "$work/Reef Setup.exe"
head -c 1000000 "$work/Reef Setup.exe" > "$work/Short Setup.exe"
wine "$bin/swapper.exe" "$(windows_path "$work/Reef Setup.exe")" "$(windows_path "$work/Short Setup.exe")" \
  /q /suppressmsgboxes 2>/dev/null | tr -d '\r' > "$report"
expect 'exit -30'
[ ! -e "$prefix_c/ProgramData/Vantrel/Bound Reef" ] || fail "the cut-short replacement installed"

# An installer whose record was emptied by hand binds nothing: it installs what it carries, as
# installers always have.
mv -f "$work/Reef Setup.exe.moved" "$work/Reef Setup.exe"
python3 "$(dirname "$0")/../unbind.py" "$work/Reef Setup.exe"
"$native_bin/saverpack" verify "$work/Reef Setup.exe" | grep -q "package digest: none: the stub's place for it is empty" ||
  fail "verify does not say the record is empty"
wine "$bin/driver.exe" -- "$work/Reef Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' ||
  fail "an installer with an empty record did not install"
[ -f "$prefix_c/ProgramData/Vantrel/Bound Reef/saver.dat" ] || fail "the hand-made installer wrote no saver.dat"
finish
