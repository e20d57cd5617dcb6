# The log is written with administrator rights, so a log path that goes through a linked folder
# is refused: the install runs on without a log, and nothing appears where the link points. A log
# beside the link is written as ever. A link at the log's own name cannot be tried here: Wine
# marks a link to a folder as a reparse point but not a link to a file (measured), and its
# DeleteFile on a link to a file deletes the file it points to; that refusal is a unit test.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'clean_saver "Log Reef"; rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Log Reef"
make_saver "$work/saver" "Log Reef" bitmap
build_installer "$work/saver" "$work/Log Setup.exe" 2>/dev/null || fail "saverpack build"
mkdir -p "$work/logs" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/logs/linked"

drive -- "$work/Log Setup.exe" "{launcher}" /q "/log=$(windows_path "$work/logs/linked/setup.log")"
expect 'exit 0'
[ ! -e "$work/elsewhere/setup.log" ] || fail "the log was written through a linked folder"

drive -- "$work/Log Setup.exe" "{launcher}" /q "/log=$(windows_path "$work/logs/plain.log")"
expect 'exit 0'
grep -q 'exit code: 0' "$work/logs/plain.log" 2>/dev/null || fail "a log beside the links was not written"
finish
