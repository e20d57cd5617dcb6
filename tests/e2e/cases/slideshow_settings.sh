# The slideshow engine's settings (/c, /c:<hwnd> and no argument): the dialog shows the defaults,
# keeps what OK confirms under HKCU for this saver only, shows it again next time, refuses a
# number of seconds out of bounds with a box, and Cancel keeps nothing. It is owned by the window
# given with /c:<hwnd>, else by the window in front, and shows values as they are stored, even
# when written by hand. A screenshot shows its visual styles.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); key='HKCU\Software\Saverkit\Slideshow\Slide Settings'
trap 'rm -rf "$work" "$report"; wine reg delete "$key" /f >/dev/null 2>&1 || true' EXIT
wine reg delete "$key" /f >/dev/null 2>&1 || true
cp "$bin/slideshow.scr" "$work/Slide Settings.scr"
engine="$work/Slide Settings.scr"
stored() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }

drive --dialog="Display Settings" wait-window:#32770 text:101 owner:#32770 "$(shot slideshow_settings)" \
  set-text:101=17 click:S\&huffled "click:Fi&ll the screen" click:OK -- "$engine" /c
expect 'window class="#32770" title="Slide Settings Settings"'
expect 'text id=101 text="8"'
# A bare /c: the window in front (the settings page that started it) owns it, and waits.
expect 'owner title="Display Settings" enabled=0'
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
drive wait-window:#32770 owner:#32770 "click:&In order" "click:&Fit the screen" click:OK -- "$engine" "/c:{preview}"
expect 'owner title="Saverkit test preview" enabled=0'
expect 'exit 0'
[ "$(stored Order)" = sorted ] || fail "order: $(stored Order)"
[ "$(stored Scaling)" = fit ] || fail "scaling: $(stored Scaling)"

# Written by hand, in another case and with blanks: shown as stored; Cancel leaves them as written.
wine reg add "$key" /v SecondsPerPicture /d ' 45' /f >/dev/null 2>&1
wine reg add "$key" /v Order /d Shuffled /f >/dev/null 2>&1
wine reg add "$key" /v Scaling /d FILL /f >/dev/null 2>&1
drive wait-window:#32770 text:101 checked:102 checked:103 checked:104 checked:105 click:Cancel -- "$engine" /c
expect 'text id=101 text="45"'
expect 'checked id=102 state=0'
expect 'checked id=103 state=1'
expect 'checked id=104 state=0'
expect 'checked id=105 state=1'
expect 'exit 0'
# A save would have written them in its own words ("shuffled", "fill").
[ "$(stored Order)" = Shuffled ] && [ "$(stored Scaling)" = FILL ] || fail "Cancel rewrote the settings"
finish
