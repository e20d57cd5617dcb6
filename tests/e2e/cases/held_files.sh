# What the installer works with cannot be changed under it by the user's other programs: while
# its window waits, and again at the overwrite question, a second program of the same user tries
# to write the working copy, to copy a library of its own over the implode library and over the
# carried player installer, and to rename the working folder. Every attempt fails, nothing of the
# second program runs, and the installed files are the package's. Wine enforces sharing, not
# rights; the working folder's rights are read back and shown, but Wine keeps none of those the
# installer sets at creation (it answers with its own default: the user as owner, SYSTEM and
# the user with full control), so the rights asked for are checked by the native tests.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Held Reef"; remove_player' EXIT
rm -f "$prefix_c"/planted-*.txt
remove_player
clean_saver "Held Reef"
make_movie "$work/reef.swf" 10 2E8B57
movie_saver "$work/saver" "Held Reef" "$work/reef.swf"
cp "$bin/standin_player_installer10.exe" "$work/saver/install_flash_player_10_active_x.exe"
with_slot "$work/saver" 2 install_flash_player_10_active_x.exe
build_installer "$work/saver" "$work/Reef Setup.exe" || fail "saverpack build"
wine "$bin/driver.exe" -- "$work/Reef Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' || fail "the first install"

# At each screenshot: the newest working folder, attacked and read back.
on_shot() {
  local folder windows
  folder=$(ls -dt "$prefix_c"/users/*/AppData/Local/Vantrel/ZOR* | head -1)
  windows="C:\\$(printf '%s' "${folder#"$prefix_c"/}" | tr '/' '\\')"
  wine "$bin/intruder.exe" "$windows" "$(windows_path "$bin/planted_library.dll")" \
    install_flash_player_10_active_x.exe 2>/dev/null | tr -d '\r' >> "$work/intruder.log"
  wine "$bin/system_probe.exe" dacl "$windows" 2>/dev/null | tr -d '\r' >> "$work/rights.log"
}
drive --timeout=60000 wait-title:TInstallerForm="Install Screen Saver: Held Reef" "$(shot held_window)" \
  click:Install see-box "$(shot held_overwrite_question)" box:OK -- "$work/Reef Setup.exe" "{launcher}"
expect 'exit 0'
echo "--- the second program:"; cat "$work/intruder.log"
echo "--- the working folder's rights as read back:"; cat "$work/rights.log"
[ "$(grep -c ' refused ' "$work/intruder.log")" = 8 ] || fail "not every attempt was refused"
grep -q ' DONE' "$work/intruder.log" && fail "an attempt got through"
[ -z "$(ls "$prefix_c"/planted-*.txt 2>/dev/null)" ] || fail "the second program's library ran"
product="$prefix_c/ProgramData/Vantrel/Held Reef"
for file in scenes/reef.swf scenes/deep/angler.swf sounds/waves.mp3; do
  [ "$(md5sum < "$product/$file")" = "$(md5sum < "$work/saver/content/$file")" ] || fail "$file differs from the package"
done
cmp -s "$prefix_c/windows/syswow64/Held Reef.scr" "$work/saver/engine.scr" || fail "the engine differs from the package"
finish
