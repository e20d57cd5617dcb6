# An error raised during the startup (here a launcher handle that is no number): the default
# error report, then the window as far as the startup had set it up: narrowed to 490 pixels,
# still the design's height, waiting; closing it ends the program normally.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
make_saver "$work/saver" "Raised Reef" bitmap
build_installer "$work/saver" "$work/Setup.exe" || fail "saverpack build"
drive box:OK wait-window:TInstallerForm layout:TInstallerForm "$(shot startup_raised)" close:TInstallerForm \
  -- "$work/Setup.exe" /l=12ab
expect 'box title="Preparing installation..." text="'"'"'12ab'"'"' is not a valid integer value." buttons="OK"'
expect_match '^size window=490x736 '
expect 'exit 0'
finish
