# The Windows saverpack.exe: extract writes relative to the folder it holds, so a linked folder
# below the output (Wine shows a link to a folder as a reparse point) or an output folder that
# is itself a link is refused and nothing lands where the link points, while the rest comes
# out; sign starts osslsigncode by its full path, so an osslsigncode.exe in the current folder
# (here a program that leaves a marker when started) is never run.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; rm -f "$prefix_c/association-marker.txt"' EXIT
saverpack_exe() { wine "$bin/saverpack.exe" "$@" 2>&1 | tr -d '\r'; }
make_saver "$work/saver" "Windows Extract" bitmap
build_installer "$work/saver" "$work/Setup.exe" >/dev/null 2>&1 || fail "saverpack build"

mkdir -p "$work/out/items" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/out/items/scenes"
ln -s "$work/elsewhere" "$work/linked"
# A link at a file's own name, which Wine does not mark: it is refused or replaced, never written through.
mkdir -p "$work/victim" && printf 'keep' > "$work/victim/file" && ln -s "$work/victim/file" "$work/out/extra.swf"
output=$(saverpack_exe extract "$(windows_path "$work/Setup.exe")" "$(windows_path "$work/out")" --items --force)
echo "$output"
ls -R "$work/out"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "extract wrote through a linked folder: $(ls -A "$work/elsewhere")"
echo "$output" | grep -q 'would be written through a link' || fail "the linked folder was not named"
[ -s "$work/out/impborl.dat" ] || fail "the files beside the link did not come out"
[ "$(cat "$work/victim/file")" = keep ] || fail "extract wrote through a link at a file's name"

output=$(saverpack_exe extract "$(windows_path "$work/Setup.exe")" "$(windows_path "$work/linked")" --force)
echo "$output"
echo "$output" | grep -q 'is a link, not a folder' || fail "an output folder that is a link was used"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "extract wrote into the folder a link points to"

# sign, from a folder that holds an osslsigncode.exe, with no osslsigncode on PATH.
mkdir -p "$work/downloads"
cp "$bin/association_marker.exe" "$work/downloads/osslsigncode.exe"
rm -f "$prefix_c/association-marker.txt"
output=$(cd "$work/downloads" && saverpack_exe sign "$(windows_path "$work/Setup.exe")" --cert c.pem --key k.pem \
  -o "$(windows_path "$work/Signed.exe")")
echo "$output"
[ -e "$prefix_c/association-marker.txt" ] && fail "sign started the osslsigncode.exe of the current folder"
echo "$output" | grep -q 'osslsigncode is not installed' || fail "sign did not say osslsigncode is missing"

# A "pictures" section needs the picture library, which this build lacks: refused, saying so.
sed -i 's|"data": {"folder": "content"}|"data": {"folder": "content"}, "pictures": {}|' "$work/saver/manifest.json"
output=$(saverpack_exe build "$(windows_path "$work/saver/manifest.json")" -o "$(windows_path "$work/Pictures.exe")")
echo "$output"
echo "$output" | grep -q 'built without a picture library' || fail "the Windows saverpack did not refuse \"pictures\""
[ -e "$work/Pictures.exe" ] && fail "an installer was written despite the refused \"pictures\" section"
finish
