# Helpers for the end-to-end cases: run the driver under Wine and check its report.
set -u
bin=${SAVERKIT_BIN:?run through ctest or scripts/test}
artefacts=${SAVERKIT_ARTEFACTS:-/tmp}
mkdir -p "$artefacts"
report=$(mktemp)
trap 'rm -f "$report"' EXIT
failures=0

# drive STEP... -- PROGRAM ARGS...: runs the driver; the report is kept for the checks.
# Screenshot requests in the report are served while the driver runs.
drive() {
  : > "$report"
  wine "$bin/driver.exe" "$@" > "$report" 2>/dev/null &
  local driver=$! served=0 line path
  while kill -0 "$driver" 2>/dev/null; do
    while IFS= read -r line; do
      path=$(printf '%s' "${line#shot Z:}" | tr -d '\r' | tr '\\' '/')
      import -window root "$path" 2>/dev/null || : > "$path"
      # A case may look at the machine at the moment of a screenshot, while the program runs.
      if declare -F on_shot >/dev/null; then on_shot "$path"; fi
      served=$((served + 1))
    done < <(grep '^shot ' "$report" | tail -n +$((served + 1)))
    sleep 0.1
  done
  wait "$driver" || true
  tr -d '\r' < "$report" > "$report.clean" && mv "$report.clean" "$report"
  echo "--- driver report:"; cat "$report"
}

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
# expect LINE: the report has exactly this line.
expect() { grep -qxF -- "$1" "$report" || fail "no line: $1"; }
# expect_match REGEX: some line matches.
expect_match() { grep -qE -- "$1" "$report" || fail "no line matching: $1"; }
expect_no_match() { ! grep -qE -- "$1" "$report" || fail "unexpected line matching: $1"; }
# expect_order LINE...: these lines appear in this order.
expect_order() {
  local previous=0 line number
  for line in "$@"; do
    number=$(tail -n +$((previous + 1)) "$report" | grep -nxF -- "$line" | head -1 | cut -d: -f1)
    if [ -z "$number" ]; then fail "out of order or missing: $line"; return; fi
    previous=$((previous + number))
  done
}
# windows_path FILE: the path Wine programs use for a Linux file.
windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
# shot NAME: the step that saves a screenshot artefact NAME.png.
shot() { rm -f "$artefacts/$1.png"; printf 'shot:%s' "$(windows_path "$artefacts/$1.png")"; }
finish() {
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}

# --- installers built by saverpack, installed under Wine ---
native_bin=${SAVERKIT_NATIVE_BIN:-$(cd "$bin/../../native/bin" 2>/dev/null && pwd)}
prefix_c="$WINEPREFIX/drive_c"

# register_player: a Flash Player registration whose control file carries version 10.0.45.2, so
# the installer finds a player (Wine ships none).
register_player() {
  local ocx='C:\windows\system32\saverkit-player.ocx'
  cp "$bin/versioned_fixture.dll" "$prefix_c/windows/syswow64/saverkit-player.ocx"
  wine reg add 'HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32' /ve /d "$ocx" /f >/dev/null 2>&1
}

# make_saver DIR NAME MODE: content for a screen saver in DIR (a picture, an engine, a product
# file, a licence, a read-me and a data folder with subfolders), and a manifest.json.
make_saver() {
  local dir=$1 name=$2 mode=$3
  mkdir -p "$dir/content/scenes/deep" "$dir/content/sounds"
  convert -size 482x272 gradient:navy-skyblue -fill gold -draw 'circle 241,136 241,196' \
    -fill coral -draw 'ellipse 120,200 60,25 0,360' "BMP3:$dir/intro.bmp"
  convert "$dir/intro.bmp" -quality 90 "$dir/intro.jpg"
  head -c 30000 /dev/urandom > "$dir/engine.scr"
  seq 1 4000 > "$dir/content/scenes/reef.swf"
  seq 1 900 | sed 's/^/fish /' > "$dir/content/scenes/deep/angler.swf"
  head -c 5000 /dev/urandom > "$dir/content/sounds/waves.mp3"
  printf 'Licence for %s.\r\n\r\nYou may use this screen saver on any number of computers.\r\n' "$name" > "$dir/License.txt"
  printf 'Thank you for installing %s.\r\n' "$name" > "$dir/ReadMe.txt"
  seq 1 2000 > "$dir/extra.swf"
  local picture=intro.bmp; [ "$mode" = jpeg ] && picture=intro.jpg
  cat > "$dir/manifest.json" <<JSON
{
  "saverName": "$name",
  "presentationMode": "$mode",
  "slots": {
    "3": {"file": "$picture"},
    "6": {"file": "engine.scr", "implode": true},
    "7": {"file": "extra.swf", "implode": true}
  },
  "data": {"folder": "content"}
}
JSON
}

# with_licence DIR / with_readme DIR: add those slots to the manifest.
with_slot() {
  sed -i "s|\"slots\": {|\"slots\": {\n    \"$2\": {\"file\": \"$3\"},|" "$1/manifest.json"
}

build_installer() {
  "$native_bin/saverpack" build "$1/manifest.json" -o "$2" --stub "$bin/saverstub.exe" --no-progress
}

# clean_saver NAME: removes what an earlier case installed.
clean_saver() {
  rm -rf "$prefix_c/ProgramData/Vantrel/$1" "$prefix_c/windows/syswow64/$1.scr" "$prefix_c/windows/system32/$1.scr"
  wine reg delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /f >/dev/null 2>&1 || true
}

working_folders() { ls -d "$prefix_c"/users/*/AppData/Local/Vantrel/ZOR* 2>/dev/null | wc -l; }

# --- movies and the stand-in player ---
# make_movie FILE VERSION RRGGBB [compressed]: a small movie with that background colour, a
# 482 x 272 frame and a few tags before the colour.
make_movie() {
  python3 - "$@" <<'PY'
import struct, sys, zlib
path, version, colour = sys.argv[1], int(sys.argv[2]), bytes.fromhex(sys.argv[3])
compressed = len(sys.argv) > 4
def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body
# The frame rectangle: 15-bit fields holding 0, 482*20, 0, 272*20 twips.
bits = '01111' + ''.join(format(v, '015b') for v in (0, 9640, 0, 5440))
bits += '0' * (-len(bits) % 8)
rectangle = int(bits, 2).to_bytes(len(bits) // 8, 'big')
body = rectangle + struct.pack('<HH', 24 << 8, 1)
body += tag(69, b'\x00\x00\x00\x00') + tag(77, b'<metadata/>' * 10) + tag(9, colour) + tag(1, b'') + tag(0, b'')
length = 8 + len(body)
data = (b'CWS' if compressed else b'FWS') + bytes([version]) + struct.pack('<I', length)
data += zlib.compress(body) if compressed else body
open(path, 'wb').write(data)
PY
}

# movie_saver DIR NAME MOVIE: a saver whose presentation is the movie (mode "flash").
movie_saver() {
  make_saver "$1" "$2" flash
  cp "$3" "$1/intro.swf"
  sed -i 's|"3": {"file": "intro.bmp"}|"3": {"file": "intro.swf"}|' "$1/manifest.json"
}

player_key='HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}'
# install_standin MAJOR: the stand-in player of that major version, installed by its own
# installer as a user would; remove_player: no player at all.
install_standin() { wine "$bin/standin_player_installer$1.exe" /s; }
remove_player() {
  wine reg delete "$player_key" /f >/dev/null 2>&1 || true
  rm -rf "$prefix_c/windows/syswow64/Macromed"
}
# pixels_of FILE RRGGBB: how many pixels of a screenshot have exactly that colour.
pixels_of() {
  convert "$1" -fill black +opaque "#$2" -fill white -opaque "#$2" -colorspace gray -format '%[fx:round(mean*w*h)]' info:
}
panel_folders() { ls -d "$prefix_c"/users/*/AppData/Local/Vantrel/FlashPanel* 2>/dev/null; }

# --- the slideshow engine ---
# picture_saver DIR NAME RRGGBB: a saver whose engine (slot 6) is the built slideshow.scr and
# whose data folder holds one picture of that colour (a 320 x 240 bitmap, so the colour is
# exact), a damaged picture and a file that is no picture; then its installer DIR/Setup.exe.
picture_saver() {
  local dir=$1 name=$2 colour=$3
  make_saver "$dir" "$name" bitmap
  rm -rf "$dir/content" && mkdir -p "$dir/content/album/older"
  convert -size 320x240 "xc:#$colour" "BMP3:$dir/content/album/first.bmp"
  head -c 3000 /dev/urandom > "$dir/content/album/older/damaged.jpg"
  echo 'not a picture' > "$dir/content/album/notes.txt"
  cp "$bin/slideshow.scr" "$dir/engine.scr"
  build_installer "$dir" "$dir/Setup.exe"
}

# engine_saver NAME: the engine alone as "$work/NAME.scr" with an empty product folder "$product"
# and no settings or resume point under "$key"; all of it goes when the case ends.
engine_saver() {
  name=$1
  product="$prefix_c/ProgramData/Vantrel/$name"
  key="HKCU\\Software\\Saverkit\\Slideshow\\$name"
  work=$(mktemp -d)
  trap 'rm -rf "$work" "$report" "$product"; wine reg delete "$key" /f >/dev/null 2>&1' EXIT
  rm -rf "$product" && mkdir -p "$product"
  wine reg delete "$key" /f >/dev/null 2>&1
  cp "$bin/slideshow.scr" "$work/$name.scr"
}

# install_picture_saver DIR NAME RRGGBB: builds and quietly installs it (exit code 0 expected).
install_picture_saver() {
  register_player
  clean_saver "$2"
  picture_saver "$@" || fail "saverpack build ($2)"
  wine "$bin/driver.exe" -- "$1/Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' || fail "install of $2"
}

# engine_of NAME: the installed engine's path as Windows programs see it (the 32-bit system folder).
engine_of() { printf 'C:\\windows\\system32\\%s.scr' "$1"; }

# region_pixels FILE WxH+X+Y RRGGBB: how many pixels of that part of a screenshot have the colour.
region_pixels() {
  local part; part=$(mktemp --suffix=.png)
  convert "$1" -crop "$2" +repage "$part" && pixels_of "$part" "$3"
  rm -f "$part"
}

# mean_colour FILE WxH+X+Y: the mean colour of that part of a screenshot, as "R G B" (0 to 255).
mean_colour() {
  convert "$1" -crop "$2" +repage -resize '1x1!' -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:
}

# centre_letter FILE: the colour in the middle of a screenshot as one letter, R, G, B, Y (yellow) or
# M (magenta), when it is nearly that pure colour; - for anything else (a fade, say).
centre_letter() {
  local red green blue r g b
  read -r red green blue < <(mean_colour "$1" 200x200+412+284)
  r=$(( red > 200 ? 2 : red < 60 ? 0 : 1 )) g=$(( green > 200 ? 2 : green < 60 ? 0 : 1 ))
  b=$(( blue > 200 ? 2 : blue < 60 ? 0 : 1 ))
  case "$r$g$b" in 200) echo R ;; 020) echo G ;; 002) echo B ;; 220) echo Y ;; 202) echo M ;; *) echo - ;; esac
}

# watch_show PREFIX LOOKS INTERVAL PROGRAM ARGS...: runs a show and photographs it LOOKS times,
# INTERVAL ms apart (PREFIX_1.png ...), then ends it with a key, which must close it within a
# second. `seen` gets the centre letter of each photograph, in order.
watch_show() {
  local prefix=$1 looks=$2 interval=$3 look
  shift 3
  local steps=(wait-window:SaverkitSlideshow)
  for look in $(seq 1 "$looks"); do steps+=("sleep:$interval" "$(shot "${prefix}_$look")"); done
  drive "${steps[@]}" key:32 ends-within:1000 -- "$@"
  seen=""
  for look in $(seq 1 "$looks"); do seen="$seen$(centre_letter "$artefacts/${prefix}_$look.png")"; done
  echo "seen: $seen"
}
