# /u on a saver whose product folder is a link (a Unix symbolic link in the prefix, which Wine
# shows as a reparse point) to a folder elsewhere: the folder it points to keeps every file. Wine
# 8 can remove such a link by neither RemoveDirectory nor DeleteFile (measured), so there the
# link stays and the engine must say so instead of reporting success; where it can go, it goes.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); name="Slide Linked"; target=$(mktemp -d)
product="$prefix_c/ProgramData/Vantrel/$name"
trap 'rm -rf "$work" "$report" "$target" "$product"; clean_saver "$name"' EXIT
install_picture_saver "$work/saver" "$name" 30a050
rm -rf "$product"
mkdir -p "$target/inner" && echo precious > "$target/keep.txt" && cp "$work/saver/content/album/first.bmp" "$target/inner/"
ln -s "$target" "$product"

drive message-box:\&Yes message-box:OK -- "$(engine_of "$name")" /u
expect 'box title="Slide Linked" text="Remove the Slide Linked screen saver?" buttons="&Yes|&No"'
[ -f "$target/keep.txt" ] && [ -f "$target/inner/first.bmp" ] || fail "the link's target lost files"
[ ! -e "$prefix_c/windows/system32/$name.scr" ] || fail "the engine stayed"
if [ -L "$product" ]; then
  expect_match '^box title="Slide Linked" text="Parts of the Slide Linked screen saver could not be removed:.*Vantrel\\\\Slide Linked\\\\'
  expect 'exit 1'
else
  expect_match 'has been removed'
  expect 'exit 0'
fi
finish
