# The slideshow engine full screen (/s), installed by an installer built with saverpack: the
# first readable picture fills the 4:3 screen in its exact colour (a damaged picture and a
# non-picture beside it are passed over), a key press ends the show, a jitter of the mouse does
# not but a real move does; a saver without pictures says so on a black screen. The engine stays
# one small program, large-address-aware, at each monitor's own scale.
. "$(dirname "$0")/../lib.sh"
size=$(stat -c %s "$bin/slideshow.scr")
echo "slideshow.scr: $size bytes"
[ "$size" -lt 409600 ] || fail "the engine is not under 400 KB ($size bytes)"
i686-w64-mingw32-objdump -p "$bin/slideshow.scr" | grep -q 'large address aware' || fail "the engine is not large-address-aware"
grep -aq 'PerMonitorV2, PerMonitor' "$bin/slideshow.scr" || fail "the engine's manifest asks for no per-monitor scale"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Slide Show"' EXIT
install_picture_saver "$work/saver" "Slide Show" 2060c0
wine reg delete 'HKCU\Software\Saverkit\Slideshow\Slide Show' /f >/dev/null 2>&1 || true

drive wait-window:SaverkitSlideshow sleep:1500 "$(shot slideshow_show)" key:32 -- "$(engine_of "Slide Show")" /s
expect 'window class="SaverkitSlideshow" title="Slide Show"'
expect 'exit 0'
expect_no_match '^fail'
shown=$(pixels_of "$artefacts/slideshow_show.png" 2060c0)
echo "picture pixels: $shown of 786432"
[ "${shown:-0}" -ge 740000 ] || fail "the picture does not fill the screen ($shown pixels)"

# The first mouse message only places the pointer; a move of a few pixels ends the show.
drive --timeout=3000 wait-window:SaverkitSlideshow sleep:800 mouse:2,1 sleep:500 wait-window:SaverkitSlideshow \
  mouse:40,30 -- "$(engine_of "Slide Show")" /s
expect_order 'window class="SaverkitSlideshow" title="Slide Show"' 'window class="SaverkitSlideshow" title="Slide Show"' 'exit 0'
expect_no_match '^fail'

# No product folder at all: a message in light grey on black, and a click ends it.
cp "$bin/slideshow.scr" "$work/Empty Show.scr"
drive wait-window:SaverkitSlideshow sleep:1500 "$(shot slideshow_empty)" key:27 -- "$work/Empty Show.scr" /s
expect 'exit 0'
text=$(pixels_of "$artefacts/slideshow_empty.png" c8c8c8)
black=$(pixels_of "$artefacts/slideshow_empty.png" 000000)
echo "message pixels: $text, black: $black"
[ "${text:-0}" -gt 50 ] || fail "no message on the screen"
[ "${black:-0}" -gt 700000 ] || fail "the screen is not black around the message"
finish
