# A product folder planted before the first install, with a file and a link (a Unix symbolic link,
# which Wine shows as a reparse point) inside, is never reused. Wine 8 can remove such a link by
# no call (measured), so there the old folder cannot go wholly: the install stops with -607 and a
# box naming the folder, nothing of the saver is installed, the planted folder is put back as it
# was and the link's target keeps its files. Without the link the folder is moved aside and
# removed, and the saver gets a folder of its own. Wine does not enforce access-control lists, so
# that the new folder is no longer the user's shows only in the unit tests.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); name="Planted Reef"; target=$(mktemp -d)
product="$prefix_c/ProgramData/Vantrel/$name"
trap 'rm -rf "$work" "$report" "$target" "$product" "$product".*; clean_saver "$name"' EXIT
register_player
clean_saver "$name"
make_saver "$work/saver" "$name" bitmap
build_installer "$work/saver" "$work/Planted Setup.exe" 2>/dev/null || fail "saverpack build"
mkdir -p "$product" && echo planted > "$product/planted.txt"
echo precious > "$target/keep.txt"
ln -s "$target" "$product/media"

drive -- "$work/Planted Setup.exe" "{launcher}" /q
[ -f "$target/keep.txt" ] || fail "the link's target lost its file"
if [ -L "$product/media" ]; then
  expect 'exit -607'
  # Wine renames a folder with open files in it, so the walk has deleted what it could before
  # it met the link: what stays is put back under its name.
  [ -d "$product" ] || fail "the planted folder was not put back under its name"
  [ ! -e "$prefix_c/windows/syswow64/$name.scr" ] || fail "the engine was installed"
  ls -d "$product".* >/dev/null 2>&1 && fail "a moved-aside folder was left"
  rm "$product/media"
  drive -- "$work/Planted Setup.exe" "{launcher}" /q
fi
expect 'exit 0'
[ ! -e "$product/planted.txt" ] || fail "the planted file stayed in the product folder"
[ -f "$product/saver.dat" ] || fail "saver.dat missing"
[ -f "$prefix_c/windows/syswow64/$name.scr" ] || fail "the engine is missing"
ls -d "$product".* >/dev/null 2>&1 && fail "a moved-aside folder was left"
[ -f "$target/keep.txt" ] || fail "the link's target lost its file"
finish
