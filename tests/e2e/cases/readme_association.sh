# A .txt association planted by the user's programs is not started by the installer's own
# process: the read-me is opened as the signed-in user, by the desktop shell, or not at all. Wine
# gives every process an elevated administrator token, so the installer takes the desktop-shell
# route here, and Wine's desktop (explorer.exe) answers it: the association runs as its child.
# Elevated with no desktop shell to ask, the installer leaves the read-me unopened (not tried here:
# Wine always has one while a display is there).
# Wine's HKCR does not merge HKCU\Software\Classes (measured: a .txt key there is never
# consulted), so the association is planted there, as on Windows, and where Wine looks too.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
classes='HKCU\Software\Classes'
marker="$prefix_c/association-marker.txt"
name="Readme Reef"
machine_txt=$(wine reg query 'HKCR\.txt' /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
restore() {
  for root in "$classes" HKCR; do
    wine reg delete "$root\\SaverkitPlantedText" /f >/dev/null 2>&1
  done
  wine reg delete "$classes\\.txt" /f >/dev/null 2>&1
  wine reg add 'HKCR\.txt' /ve /d "${machine_txt:-txtfile}" /f >/dev/null 2>&1
  wine taskkill /f /im notepad.exe >/dev/null 2>&1
  rm -f "$marker" "$prefix_c/association_marker.exe" "$prefix_c/probe.txt"
  clean_saver "$name"; rm -rf "$work" "$report"
}
trap restore EXIT
# wait_for_marker SECONDS: whether the marker program has run within that time.
wait_for_marker() {
  for _ in $(seq 1 $(($1 * 10))); do [ -s "$marker" ] && return 0; sleep 0.1; done
  return 1
}
wine reg query "$classes\\.txt" >/dev/null 2>&1 && fail "the prefix already has a user .txt association"
rm -f "$marker"
cp "$bin/association_marker.exe" "$prefix_c/association_marker.exe"
for root in "$classes" HKCR; do
  wine reg add "$root\\.txt" /ve /d SaverkitPlantedText /f >/dev/null 2>&1
  wine reg add "$root\\SaverkitPlantedText\\shell\\open\\command" /ve /d '"C:\association_marker.exe" "%1"' /f >/dev/null 2>&1
done

# The trap is armed: an ordinary opening of a .txt file runs the marker program.
printf 'probe\r\n' > "$prefix_c/probe.txt"
wine start 'C:\probe.txt' >/dev/null 2>&1
wait_for_marker 10 || fail "the planted association did not run for an ordinary opening: the case proves nothing"
rm -f "$marker"

register_player
clean_saver "$name"
make_saver "$work/saver" "$name" bitmap
with_slot "$work/saver" 5 ReadMe.txt
build_installer "$work/saver" "$work/Readme Setup.exe" || fail "saverpack build"
drive -- "$work/Readme Setup.exe" "{launcher}" /q
expect 'exit 0'
[ -f "$prefix_c/ProgramData/Vantrel/$name/ReadMe.txt" ] || fail "the read-me was not installed"
# The desktop shell opened it, as the user: its association ran, but not as the installer's child.
wait_for_marker 10 || fail "the read-me was not opened through the desktop shell"
echo "read-me opened by: $(tr '\n' ' ' < "$marker" 2>/dev/null)"
tr -d '\r' < "$marker" | grep -qix 'parent=explorer.exe' || fail "the association was not started by the desktop shell"
finish
