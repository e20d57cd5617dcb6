# The slideshow engine's settings (/c, /c:<hwnd> and no argument): the dialog shows the defaults,
# keeps what OK confirms under HKCU for this saver only, shows it again next time, refuses a
# number of seconds out of bounds with a box, and Cancel keeps nothing.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); key='HKCU\Software\Saverkit\Slideshow\Slide Settings'
trap 'rm -rf "$work" "$report"; wine reg delete "$key" /f >/dev/null 2>&1 || true' EXIT
wine reg delete "$key" /f >/dev/null 2>&1 || true
cp "$bin/slideshow.scr" "$work/Slide Settings.scr"
engine="$work/Slide Settings.scr"
stored() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }

drive wait-window:#32770 text:101 set-text:101=17 click:S\&huffled "click:Fi&ll the screen" click:OK -- "$engine" /c
expect 'window class="#32770" title="Slide Settings Settings"'
expect 'text id=101 text="8"'
expect 'exit 0'
[ "$(stored SecondsPerPicture)" = 17 ] || fail "seconds: $(stored SecondsPerPicture)"
[ "$(stored Order)" = shuffled ] || fail "order: $(stored Order)"
[ "$(stored Scaling)" = fill ] || fail "scaling: $(stored Scaling)"

# Out of bounds: a box, the dialog stays, nothing is kept; Cancel leaves the stored values.
drive wait-window:#32770 text:101 set-text:101=1 click:OK message-box:OK click:Cancel -- "$engine"
expect 'text id=101 text="17"'
expect 'box title="Slide Settings Settings" text="Enter a whole number of seconds from 2 to 600." buttons="OK"'
expect 'exit 0'
[ "$(stored SecondsPerPicture)" = 17 ] || fail "a refused value was kept: $(stored SecondsPerPicture)"

# Owned by a window of the driver's, and back to in-order fitting.
drive wait-window:#32770 "click:&In order" "click:&Fit the screen" click:OK -- "$engine" "/c:{preview}"
expect 'exit 0'
[ "$(stored Order)" = sorted ] || fail "order: $(stored Order)"
[ "$(stored Scaling)" = fit ] || fail "scaling: $(stored Scaling)"
finish
