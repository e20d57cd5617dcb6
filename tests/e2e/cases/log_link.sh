# The log is written with administrator rights, so a log path that is a symbolic link, or that
# goes through a linked folder, is refused: the install runs on without a log, and the file the
# link points to stays as it was. A log beside the links is written as ever.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'clean_saver "Log Reef"; rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Log Reef"
make_saver "$work/saver" "Log Reef" bitmap
build_installer "$work/saver" "$work/Log Setup.exe" 2>/dev/null || fail "saverpack build"
mkdir -p "$work/logs" "$work/elsewhere"
printf 'not a log\n' > "$work/elsewhere/target.txt"
ln -s "$work/elsewhere/target.txt" "$work/logs/setup.log"
ln -s "$work/elsewhere" "$work/logs/linked"

drive -- "$work/Log Setup.exe" "{launcher}" /q "/log=$(windows_path "$work/logs/setup.log")"
expect 'exit 0'
# Wine marks a link to a folder as a reparse point but not a link to a file (measured), so here
# the file link is not seen as one: the log is then made as a new file in its place, never
# written through it. Either way what it points to is untouched.
[ "$(cat "$work/elsewhere/target.txt")" = "not a log" ] || fail "the log was written through a link to a file"

drive -- "$work/Log Setup.exe" "{launcher}" /q "/log=$(windows_path "$work/logs/linked/setup.log")"
expect 'exit 0'
[ ! -e "$work/elsewhere/setup.log" ] || fail "the log was written through a linked folder"

drive -- "$work/Log Setup.exe" "{launcher}" /q "/log=$(windows_path "$work/logs/plain.log")"
expect 'exit 0'
grep -q 'exit code: 0' "$work/logs/plain.log" 2>/dev/null || fail "a log beside the links was not written"
finish
