# A quiet install of an installer built by saverpack: files in the product, system and native
# system folders, "saver.dat", the uninstall entry, the launcher's messages in order with exact
# bytes, the working folder gone, exit code 0. Then a quiet install that fails: its exit code is
# the status and everything is rolled back.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Ocean Waves"
make_saver "$work/saver" "Ocean Waves" bitmap
build_installer "$work/saver" "$work/Ocean Setup.exe" || fail "saverpack build"
before=$(working_folders)

drive -- "$work/Ocean Setup.exe" "{launcher}" /q
expect_order \
  'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=16 text="quiet installer\x00"' \
  'copydata tag=0 size=33 text="makeActiveSaver-Ocean Waves.scr\x00\x00"' \
  'notify 0x0501 wparam=0 lparam=0' \
  'exit 0'
expect_no_match 'openScreenSaverControlPanel'
product="$prefix_c/ProgramData/Vantrel/Ocean Waves"
cmp -s "$product/scenes/reef.swf" "$work/saver/content/scenes/reef.swf" || fail "reef.swf"
cmp -s "$product/scenes/deep/angler.swf" "$work/saver/content/scenes/deep/angler.swf" || fail "angler.swf"
cmp -s "$product/sounds/waves.mp3" "$work/saver/content/sounds/waves.mp3" || fail "waves.mp3"
cmp -s "$product/extra.swf" "$work/saver/extra.swf" || fail "extra.swf"
[ "$(stat -c %s "$product/saver.dat" 2>/dev/null)" = 1240 ] || fail "saver.dat"
cmp -s "$prefix_c/windows/syswow64/Ocean Waves.scr" "$work/saver/engine.scr" || fail "engine in the 32-bit system folder"
cmp -s "$prefix_c/windows/system32/Ocean Waves.scr" "$work/saver/engine.scr" || fail "engine in the native system folder"
entry=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ocean Waves' 2>/dev/null | tr -d '\r')
echo "$entry" | grep -qF '"C:\windows\system32\Ocean Waves.scr" /u' || fail "uninstall entry: $entry"
[ "$(working_folders)" = "$before" ] || fail "the working folder was left behind"

# The package chooses quiet mode: the control panel request follows, whatever the outcome.
clean_saver "Quiet Fish"
make_saver "$work/quiet" "Quiet Fish" quiet
sed -i '/"3": {"file"/d' "$work/quiet/manifest.json"
build_installer "$work/quiet" "$work/Quiet Setup.exe" || fail "saverpack build (quiet)"
drive -- "$work/Quiet Setup.exe" "{launcher}"
expect_order \
  'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=32 text="makeActiveSaver-Quiet Fish.scr\x00\x00"' \
  'copydata tag=0 size=28 text="openScreenSaverControlPanel\x00"' \
  'exit 0'

# A product folder that cannot be made (a file stands in its place): the one error box appears
# even in quiet mode, the exit code is the status, and the engine already written is rolled back.
# The file is nobody's old saver: it stays as it was.
clean_saver "Ocean Waves"
mkdir -p "$prefix_c/ProgramData/Vantrel" && : > "$product"
drive box:'&Abort' -- "$work/Ocean Setup.exe" "{launcher}" /q
expect 'box title="Error" text="Zip Error: Problem expanding data in memory. \r\n\r\nPath not found" buttons="&Abort"'
expect 'exit 3'
[ ! -e "$prefix_c/windows/syswow64/Ocean Waves.scr" ] || fail "the engine was not rolled back"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ocean Waves' >/dev/null 2>&1 && fail "uninstall entry after a failure"
[ -f "$product" ] && [ ! -s "$product" ] || fail "the file at the product folder's name did not stay as it was"
rm -f "$product"
clean_saver "Quiet Fish"
finish
