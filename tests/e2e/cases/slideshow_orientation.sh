# A phone photo stored on its side: portrait pixels kept as landscape, with EXIF Orientation 6
# (turn a quarter clockwise to show). The engine shows it upright: the photo's top (red) above
# its bottom (blue), as a portrait picture in the middle of the landscape screen.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Phone Show"' EXIT
register_player
clean_saver "Phone Show"
make_saver "$work/saver" "Phone Show" bitmap
rm -rf "$work/saver/content" && mkdir -p "$work/saver/content"
cp "$bin/slideshow.scr" "$work/saver/engine.scr"
# As the camera stored it: the upright photo's top along the stored picture's left side.
convert -size 160x240 xc:'#ff0000' -size 160x240 xc:'#0000ff' +append -quality 95 "$work/stored.jpg"
python3 - "$work/stored.jpg" "$work/saver/content/phone.jpg" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
assert data[:2] == b'\xff\xd8'
# An Exif block: the TIFF header (little-endian) and one IFD entry, Orientation (0x0112), SHORT, 6.
tiff = b'II*\x00' + struct.pack('<I', 8) + struct.pack('<H', 1) + struct.pack('<HHIHH', 0x0112, 3, 1, 6, 0) + struct.pack('<I', 0)
body = b'Exif\x00\x00' + tiff
open(sys.argv[2], 'wb').write(data[:2] + b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body + data[2:])
PY
build_installer "$work/saver" "$work/Setup.exe" || fail "saverpack build"
wine "$bin/driver.exe" -- "$work/Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' || fail "install"
wine reg delete 'HKCU\Software\Saverkit\Slideshow\Phone Show' /f >/dev/null 2>&1 || true

drive wait-window:SaverkitSlideshow sleep:1500 "$(shot slideshow_orientation)" key:32 -- "$(engine_of "Phone Show")" /s
expect 'exit 0'
read -r top_r _ top_b <<< "$(mean_colour "$artefacts/slideshow_orientation.png" 160x120+432+100)"
read -r low_r _ low_b <<< "$(mean_colour "$artefacts/slideshow_orientation.png" 160x120+432+548)"
echo "top of the photo: $top_r/$top_b (red/blue); bottom: $low_r/$low_b"
[ "${top_r:-0}" -gt 200 ] && [ "${top_b:-255}" -lt 60 ] || fail "the photo's top is not red: it is not upright"
[ "${low_b:-0}" -gt 200 ] && [ "${low_r:-255}" -lt 60 ] || fail "the photo's bottom is not blue: it is not upright"
finish
