# Her name on the installer and on the engine: a saver built with "publisher", "version" and an
# .ico "icon" gives Setup.exe and the installed .scr her icon (the same image bytes, which Windows
# turns into an icon) and version strings, read back as Windows' own callers read them. The
# installer's window carries the icon in its title bar (a screenshot for the eye). A 256 px PNG
# becomes a one-image icon. The stub as built has no icon and its own version strings.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); name="Jardim Claro"
trap 'rm -rf "$work" "$report"; clean_saver "$name"' EXIT
probe() { wine "$bin/brand_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# images_of ICO FOLDER: each image of an .ico as FOLDER/N.bin, in the file's order.
images_of() {
  python3 - "$1" "$2" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
for index in range(struct.unpack_from('<H', data, 4)[0]):
    size, offset = struct.unpack_from('<II', data, 6 + 16 * index + 8)
    open('%s/%d.bin' % (sys.argv[2], index + 1), 'wb').write(data[offset:offset + size])
PY
}
# expect_brand PROBE-OUTPUT DESCRIPTION: her strings and version, and an icon the shell finds.
expect_brand() {
  local output=$1 description=$2
  for line in "string CompanyName=Ana Lima Fotografia — São Paulo" "string FileDescription=$description" \
              "string FileVersion=2.4.1" "string ProductName=$name" "string ProductVersion=2.4.1" \
              "fixed 2.4.1.0" "icons 1" "loaded 32x32"; do
    grep -qxF -- "$line" <<< "$output" || fail "no line \"$line\" in: $output"
  done
}

clean_saver "$name"
register_player
dir="$work/saver"
make_saver "$dir" "$name" bitmap
rm -rf "$dir/content" && mkdir -p "$dir/content/album"
convert -size 320x240 'xc:#3a7a40' "BMP3:$dir/content/album/garden.bmp"
convert -size 256x256 xc:none -fill '#2a8a4a' -draw 'circle 128,128 128,16' -fill white \
  -draw 'polygon 128,48 200,176 56,176' -define icon:auto-resize=256,48,32,16 "$dir/logo.ico"
cat > "$dir/manifest.json" <<JSON
{
  "saverName": "$name",
  "presentationMode": "bitmap",
  "engine": "slideshow",
  "publisher": "Ana Lima Fotografia — São Paulo",
  "version": "2.4.1",
  "website": "https://example.com/ana",
  "icon": "logo.ico",
  "slots": {"3": {"file": "intro.bmp"}},
  "data": {"folder": "content"}
}
JSON
build_installer "$dir" "$dir/Setup.exe" || fail "saverpack build"
[ "$("$native_bin/saverpack" verify "$dir/Setup.exe" >/dev/null 2>&1; echo $?)" = 0 ] || fail "the branded installer does not verify"
mkdir -p "$work/ico" "$work/setup" "$work/engine"
images_of "$dir/logo.ico" "$work/ico"

setup=$(probe "$(windows_path "$dir/Setup.exe")" "$(windows_path "$work/setup")")
echo "--- Setup.exe:"; echo "$setup"
expect_brand "$setup" "$name Setup"
for image in "$work"/ico/*.bin; do
  cmp -s "$image" "$work/setup/$(basename "$image")" || fail "Setup.exe's icon image $(basename "$image") differs from the .ico's"
done
[ "$(ls "$work/setup" | wc -l)" = "$(ls "$work/ico" | wc -l)" ] || fail "Setup.exe's icon has another number of images"

# The window shows her icon in its title bar.
drive wait-title:TInstallerForm="Install Screen Saver: $name" sleep:300 "$(shot branded_setup)" click:Cancel \
  -- "$dir/Setup.exe" "{launcher}"
[ -s "$artefacts/branded_setup.png" ] || fail "no screenshot of the branded window"

wine "$bin/driver.exe" -- "$dir/Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' || fail "quiet install"
engine=$(probe "$(engine_of "$name")" "$(windows_path "$work/engine")")
echo "--- $name.scr:"; echo "$engine"
expect_brand "$engine" "$name"
for image in "$work"/ico/*.bin; do
  cmp -s "$image" "$work/engine/$(basename "$image")" || fail "the engine's icon image $(basename "$image") differs"
done

# A PNG is carried as it is, as the icon's one image, and Windows makes the small sizes from it.
convert "$dir/logo.ico[0]" "PNG32:$dir/logo.png"
sed -i 's/"logo.ico"/"logo.png"/' "$dir/manifest.json"
build_installer "$dir" "$dir/Setup.exe" || fail "saverpack build with a PNG"
mkdir -p "$work/png"
from_png=$(probe "$(windows_path "$dir/Setup.exe")" "$(windows_path "$work/png")")
echo "--- Setup.exe from a PNG:"; echo "$from_png"
grep -qxF "image 1 256x256 bytes=$(stat -c %s "$dir/logo.png")" <<< "$from_png" || fail "not one 256 px image"
cmp -s "$dir/logo.png" "$work/png/1.bin" || fail "the PNG is not carried as it is"
grep -qxF 'loaded 32x32' <<< "$from_png" || fail "Windows did not make a 32 px icon of the PNG"

# The stub as built: no icon, Saverkit's strings.
plain=$(probe "$(windows_path "$bin/saverstub.exe")")
grep -qxF 'icons 0' <<< "$plain" || fail "the stub as built has an icon: $plain"
grep -qxF 'string FileDescription=Screen saver installer' <<< "$plain" || fail "the stub's own strings: $plain"
finish
