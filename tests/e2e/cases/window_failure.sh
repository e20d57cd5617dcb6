# A failed interactive install: the step's one error box, then the window stays open with the
# failure text, Install disabled and Cancel visible; everything written is rolled back; the
# close box then ends the program.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; rm -f "$blocker"' EXIT
register_player
clean_saver "Broken Reef"
make_saver "$work/saver" "Broken Reef" bitmap
build_installer "$work/saver" "$work/Setup.exe" || fail "saverpack build"
# A file where the product folder belongs: the folder "exists", but nothing can be written in it.
blocker="$prefix_c/ProgramData/Vantrel/Broken Reef"
mkdir -p "$prefix_c/ProgramData/Vantrel" && : > "$blocker"
drive wait-window:TInstallerForm click:Install box:'&Abort' no-box:600 \
  controls:TInstallerForm "$(shot failed_install)" close:TInstallerForm -- "$work/Setup.exe" "{launcher}"
expect 'box title="Error" text="Zip Error: Problem expanding data in memory. \r\n\r\nPath not found" buttons="&Abort"'
expect_match '^control id=104 class="Static" text="Install failed. Error: 3" visible=1'
expect_match '^control id=101 class="Button" text="Install" visible=1 enabled=0$'
expect_match '^control id=102 class="Button" text="Cancel" visible=1 enabled=1$'
expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' 'notify 0x0501 wparam=0 lparam=0' 'exit 0'
expect_no_match 'makeActiveSaver'
[ ! -e "$prefix_c/windows/syswow64/Broken Reef.scr" ] || fail "the engine was not rolled back"
finish
