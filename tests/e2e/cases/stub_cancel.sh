# An installer waiting for the user: Cancel closes the window, the working folder goes, the
# launcher (which heard from the installer) is notified, and the exit code is 0.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
make_saver "$work/saver" "Cancel Me" jpeg
build_installer "$work/saver" "$work/Setup.exe" || fail "saverpack build"
before=$(working_folders)
drive wait-window:TInstallerForm controls:TInstallerForm "$(shot plain_jpeg)" click:Cancel -- "$work/Setup.exe" "{launcher}"
expect_match '^control id=101 class="Button" text="Install" visible=1 enabled=1$'
expect_match '^control id=102 class="Button" text="Cancel" visible=1 enabled=1$'
expect_match '^control id=103 class="Button" text="Close" visible=0'
expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' 'notify 0x0501 wparam=0 lparam=0' 'exit 0'
[ "$(working_folders)" = "$before" ] || fail "the working folder was left behind"
[ ! -e "$prefix_c/ProgramData/Vantrel/Cancel Me" ] || fail "something was installed"
finish
