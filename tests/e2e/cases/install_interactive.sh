# An interactive install through the Install button, and a second run that meets the overwrite
# question: Cancel leaves everything in place and Install works again; OK replaces the saver.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Coral Reef"
make_saver "$work/saver" "Coral Reef" bitmap
build_installer "$work/saver" "$work/Reef Setup.exe" || fail "saverpack build"

drive wait-title:TInstallerForm="Install Screen Saver: Coral Reef" wait-title:TApplication="Install Screen Saver: Coral Reef" controls:TInstallerForm \
  "$(shot install_plain_bitmap)" click:Install -- "$work/Reef Setup.exe" "{launcher}"
expect_match '^control id=101 class="Button" text="Install" visible=1 enabled=1$'
expect_order \
  'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=32 text="makeActiveSaver-Coral Reef.scr\x00\x00"' \
  'notify 0x0501 wparam=0 lparam=0' \
  'exit 0'
[ -f "$prefix_c/ProgramData/Vantrel/Coral Reef/saver.dat" ] || fail "not installed"

# Again: the question, answered Cancel, then Install and OK.
echo marker > "$prefix_c/ProgramData/Vantrel/Coral Reef/old-file.txt"
drive wait-window:TInstallerForm click:Install see-box "$(shot overwrite_question)" box:Cancel sleep:300 "$(shot after_overwrite_cancel)" \
  controls:TInstallerForm click:Install box:OK -- "$work/Reef Setup.exe" "{launcher}"
expect_order \
  'box title="Confirm" text="Coral Reef screen saver already exists. Overwrite?" buttons="OK|Cancel"' \
  'box title="Confirm" text="Coral Reef screen saver already exists. Overwrite?" buttons="OK|Cancel"' \
  'exit 0'
expect_match '^control id=101 class="Button" text="Install" visible=1 enabled=1$'
[ ! -e "$prefix_c/ProgramData/Vantrel/Coral Reef/old-file.txt" ] || fail "the old saver was not replaced"
[ -f "$prefix_c/ProgramData/Vantrel/Coral Reef/saver.dat" ] || fail "not installed the second time"
clean_saver "Coral Reef"
finish
