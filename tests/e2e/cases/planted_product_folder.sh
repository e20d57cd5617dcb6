# A product folder that someone other than an administrator could have prepared is never reused.
# Two ways in: a folder planted before the first install (a file and a link inside), and a link
# put into an installed saver's folder before a reinstall. The link is a Unix symbolic link,
# which Wine shows as a reparse point and can remove by no call (Wine 8, measured): there the
# old folder cannot go wholly, so the install stops with -607 and a box naming the folder, the
# new saver is installed nowhere, the old one stays installed, what is left of the folder is put
# back under its name, and nothing is written through the link. Where the link can go, the
# folder is moved aside and removed and the saver gets a clean folder of its own. Wine does not
# enforce access-control lists, so that the new folder is no longer the user's shows only in the
# unit tests.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); name="Planted Reef"; target=$(mktemp -d)
product="$prefix_c/ProgramData/Vantrel/$name"
trap 'rm -rf "$work" "$report" "$target" "$product" "$product".*; clean_saver "$name"' EXIT
register_player
clean_saver "$name"
rm -rf "$product".*
make_saver "$work/saver" "$name" bitmap
build_installer "$work/saver" "$work/Planted Setup.exe" 2>/dev/null || fail "saverpack build"
# The same saver with other bytes, to tell the old installed files from the new.
cp -r "$work/saver" "$work/saver2"
head -c 30000 /dev/urandom > "$work/saver2/engine.scr"
head -c 5000 /dev/urandom > "$work/saver2/content/sounds/waves.mp3"
build_installer "$work/saver2" "$work/Planted Setup 2.exe" 2>/dev/null || fail "saverpack build (second)"
echo precious > "$target/keep.txt"
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name"
box="box title=\"Error\" text=\"Installation Error: C:\\\\ProgramData\\\\Vantrel\\\\$name\\\\\\r\\n\\r\\nThe screen saver's old folder could not be moved aside and removed: a program may be using a file in it, or something in it cannot be deleted. The old screen saver was left in place. Close the programs that use it, or remove the folder, and run the installer again.\" buttons=\"&Abort\""

# The link's target holds exactly what it held: nothing was written, moved or deleted through it.
target_untouched() {
  [ "$(ls -A "$target")" = keep.txt ] && [ "$(cat "$target/keep.txt")" = precious ] ||
    fail "something was written or deleted through the link ($1)"
}
no_aside() { ls -d "$product".* >/dev/null 2>&1 && fail "a moved-aside folder was left ($1)"; }
# The product folder holds the saver's files and nothing else.
clean_product() {
  local files
  files=$(cd "$product" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$files" = "./extra.swf ./saver.dat ./scenes ./scenes/deep ./scenes/deep/angler.swf ./scenes/reef.swf ./sounds ./sounds/waves.mp3 " ] ||
    fail "the product folder is not the saver's own ($1): $files"
  cmp -s "$product/sounds/waves.mp3" "$2/content/sounds/waves.mp3" || fail "waves.mp3 ($1)"
  cmp -s "$prefix_c/windows/syswow64/$name.scr" "$2/engine.scr" || fail "the engine ($1)"
}

# 1. Planted before the first install.
mkdir -p "$product" && echo planted > "$product/planted.txt"
ln -s "$target" "$product/media"
drive box:'&Abort' -- "$work/Planted Setup.exe" "{launcher}" /q
target_untouched "planted folder"
no_aside "planted folder"
if [ -L "$product/media" ]; then
  expect "$box"
  expect 'exit -607'
  expect_no_match '^copydata .*makeActiveSaver'
  [ ! -e "$prefix_c/windows/syswow64/$name.scr" ] && [ ! -e "$prefix_c/windows/system32/$name.scr" ] ||
    fail "the engine was installed"
  wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "an uninstall entry was made"
  # Wine renames a folder with open files in it, so the walk has deleted what it could before
  # it met the link: what stays is put back under its name, and nothing of the saver is in it.
  [ "$(readlink "$product/media")" = "$target" ] || fail "the planted folder was not put back under its name"
  [ ! -e "$product/saver.dat" ] && [ ! -e "$product/extra.swf" ] || fail "saver files in the planted folder"
  rm "$product/media"
  drive -- "$work/Planted Setup.exe" "{launcher}" /q
else
  expect_no_match '^box '
fi
expect 'exit 0'
clean_product "first install" "$work/saver"
target_untouched "first install"
no_aside "first install"

# 2. A link put into the installed saver's folder before a reinstall.
( cd "$product" && find . -type f -exec sha1sum {} + | sort ) > "$work/old.sums"
ln -s "$target" "$product/media"
drive box:'&Abort' -- "$work/Planted Setup 2.exe" "{launcher}" /q
target_untouched "reinstall"
no_aside "reinstall"
if [ -L "$product/media" ]; then
  expect "$box"
  expect 'exit -607'
  # The old saver stays installed: its engines and uninstall entry, and what is left of its
  # folder holds only its own files, none of the new saver's.
  cmp -s "$prefix_c/windows/syswow64/$name.scr" "$work/saver/engine.scr" || fail "the old engine was replaced"
  cmp -s "$prefix_c/windows/system32/$name.scr" "$work/saver/engine.scr" || fail "the old native engine was replaced"
  wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "the old uninstall entry went"
  [ "$(readlink "$product/media")" = "$target" ] || fail "the old folder was not put back under its name"
  ( cd "$product" && find . -type f -exec sha1sum {} + | sort ) > "$work/now.sums"
  grep -vxFf "$work/old.sums" "$work/now.sums" && fail "a file in the old folder is not the old saver's"
  rm "$product/media"
  drive -- "$work/Planted Setup 2.exe" "{launcher}" /q
else
  expect_no_match '^box '
fi
expect 'exit 0'
clean_product "reinstall" "$work/saver2"
target_untouched "reinstall"
no_aside "reinstall"
finish
