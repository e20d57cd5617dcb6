# The slideshow engine's settings (/c, /c:<hwnd> and no argument): the dialog shows the defaults,
# keeps what OK confirms under HKCU for this saver only, shows it again next time, refuses a
# number of seconds out of bounds with a box, and Cancel keeps nothing. It is owned by the window
# given with /c:<hwnd>, else by the window in front, and shows values as they are stored, even
# when written by hand, and its controls keep their places. A screenshot shows its visual styles.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); key='HKCU\Software\Saverkit\Slideshow\Slide Settings'
trap 'rm -rf "$work" "$report"; wine reg delete "$key" /f >/dev/null 2>&1 || true' EXIT
wine reg delete "$key" /f >/dev/null 2>&1 || true
cp "$bin/slideshow.scr" "$work/Slide Settings.scr"
engine="$work/Slide Settings.scr"
# check_layout: from the report's layout lines, every control inside the client area, no two
# controls overlapping (but the group boxes around them and the label, id -1), the new choices
# below the old, and the buttons below every choice.
check_layout() {
  local problems
  problems=$(awk '
    /^size window=/ { split($3, c, /[=x]/); cw = c[2]; ch = c[3] }
    /^place id=/ {
      split($2, i, "="); split($3, a, /[=,]/); split($4, z, /[=x]/)
      n++; id[n] = i[2]; l[n] = a[2]; t[n] = a[3]; r[n] = a[2] + z[2]; b[n] = a[3] + z[3]
    }
    END {
      if (n < 16) print "only " n " controls"
      for (k = 1; k <= n; k++) {
        if (l[k] < 0 || t[k] < 0 || r[k] > cw || b[k] > ch) print "id " id[k] " outside the client"
        if (id[k] == -1) continue
        for (m = k + 1; m <= n; m++)
          if (id[m] != -1 && l[k] < r[m] && l[m] < r[k] && t[k] < b[m] && t[m] < b[k]) print "ids " id[k] " and " id[m] " overlap"
        if (id[k] >= 102 && id[k] <= 105) oldBottom = b[k] > oldBottom ? b[k] : oldBottom
        if (id[k] >= 106 && id[k] <= 114) { newTop = (newTop == "" || t[k] < newTop) ? t[k] : newTop; choices = b[k] > choices ? b[k] : choices }
        if (id[k] == 1 || id[k] == 2) buttonTop = (buttonTop == "" || t[k] < buttonTop) ? t[k] : buttonTop
      }
      if (newTop <= oldBottom) print "the new choices are not below the old ones"
      if (buttonTop <= choices) print "the buttons are not below the choices"
    }' "$report")
  [ -z "$problems" ] || fail "layout: $problems"
}
stored() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }

drive --dialog="Display Settings" wait-window:#32770 text:101 checked:106 checked:107 checked:108 checked:109 \
  checked:110 checked:111 text:112 checked:113 text:114 layout:#32770 owner:#32770 "$(shot slideshow_settings)" \
  set-text:101=17 click:S\&huffled "click:Fi&ll the screen" click:Blac\&k "click:&Date taken" \
  "click:Play their so&und" set-text:112=35 "click:Play them on the &main monitor only" click:OK -- "$engine" /c
expect 'window class="#32770" title="Slide Settings Settings"'
expect 'text id=101 text="8"'
# The defaults: a blurred background, no caption.
expect 'checked id=106 state=1'
expect 'checked id=107 state=0'
expect 'checked id=108 state=1'
expect 'checked id=109 state=0'
expect 'checked id=110 state=0'
# Videos are silent and play on every monitor; this Wine has Media Foundation, so no word on it.
expect 'checked id=111 state=0'
expect 'text id=112 text="50"'
expect 'checked id=113 state=0'
expect 'text id=114 text=""'
# Tidy: the groups stand in two columns of two rows, the same size, none overlapping the next,
# with the buttons below them and everything inside the dialog.
check_layout
# A bare /c: the window in front (the settings page that started it) owns it, and waits.
expect 'owner title="Display Settings" enabled=0'
expect 'exit 0'
[ "$(stored SecondsPerPicture)" = 17 ] || fail "seconds: $(stored SecondsPerPicture)"
[ "$(stored Order)" = shuffled ] || fail "order: $(stored Order)"
[ "$(stored Scaling)" = fill ] || fail "scaling: $(stored Scaling)"
[ "$(stored Backdrop)" = black ] || fail "backdrop: $(stored Backdrop)"
[ "$(stored Caption)" = date ] || fail "caption: $(stored Caption)"
[ "$(stored VideoSound)" = on ] && [ "$(stored VideoVolume)" = 35 ] && [ "$(stored VideoMonitors)" = primary ] ||
  fail "videos: $(stored VideoSound) $(stored VideoVolume) $(stored VideoMonitors)"

# Out of bounds: a box, the dialog stays, nothing is kept; Cancel leaves the stored values.
drive wait-window:#32770 text:101 set-text:101=1 click:OK message-box:OK click:Cancel -- "$engine"
expect 'text id=101 text="17"'
expect 'box title="Slide Settings Settings" text="Enter a whole number of seconds from 2 to 600." buttons="OK"'
expect 'exit 0'
[ "$(stored SecondsPerPicture)" = 17 ] || fail "a refused value was kept: $(stored SecondsPerPicture)"
# With the sound on, a volume beyond 100 is refused the same way.
drive wait-window:#32770 set-text:112=150 click:OK message-box:OK click:Cancel -- "$engine"
expect 'box title="Slide Settings Settings" text="Enter a volume from 0 to 100." buttons="OK"'
[ "$(stored VideoVolume)" = 35 ] || fail "a refused volume was kept: $(stored VideoVolume)"

# Owned by a window of the driver's, and back to in-order fitting on a blurred background, the
# caption now the file's name; what was saved shows first.
drive wait-window:#32770 owner:#32770 checked:107 checked:110 "click:&In order" "click:&Fit the screen" \
  "click:&Blurred picture" "click:File &name" click:OK -- "$engine" "/c:{preview}"
expect 'owner title="Saverkit test preview" enabled=0'
expect 'checked id=107 state=1'
expect 'checked id=110 state=1'
expect 'exit 0'
[ "$(stored Order)" = sorted ] || fail "order: $(stored Order)"
[ "$(stored Scaling)" = fit ] || fail "scaling: $(stored Scaling)"
[ "$(stored Backdrop)" = blurred ] || fail "backdrop: $(stored Backdrop)"
[ "$(stored Caption)" = name ] || fail "caption: $(stored Caption)"

# Written by hand, in another case and with blanks: shown as stored; Cancel leaves them as written.
wine reg add "$key" /v SecondsPerPicture /d ' 45' /f >/dev/null 2>&1
wine reg add "$key" /v Order /d Shuffled /f >/dev/null 2>&1
wine reg add "$key" /v Scaling /d FILL /f >/dev/null 2>&1
wine reg add "$key" /v Backdrop /d ' BLACK' /f >/dev/null 2>&1
wine reg add "$key" /v Caption /d Date /f >/dev/null 2>&1
drive wait-window:#32770 text:101 checked:102 checked:103 checked:104 checked:105 checked:106 checked:107 \
  checked:108 checked:110 click:Cancel -- "$engine" /c
expect 'text id=101 text="45"'
expect 'checked id=102 state=0'
expect 'checked id=103 state=1'
expect 'checked id=104 state=0'
expect 'checked id=105 state=1'
expect 'checked id=106 state=0'
expect 'checked id=107 state=1'
expect 'checked id=108 state=0'
expect 'checked id=110 state=1'
expect 'exit 0'
# A save would have written them in its own words ("shuffled", "fill", "black", "date").
[ "$(stored Order)" = Shuffled ] && [ "$(stored Scaling)" = FILL ] && [ "$(stored Backdrop)" = BLACK ] &&
  [ "$(stored Caption)" = Date ] || fail "Cancel rewrote the settings"

# Unknown words keep the defaults.
wine reg add "$key" /v Backdrop /d grey /f >/dev/null 2>&1
wine reg add "$key" /v Caption /d everything /f >/dev/null 2>&1
drive wait-window:#32770 checked:106 checked:108 click:Cancel -- "$engine" /c
expect 'checked id=106 state=1'
expect 'checked id=108 state=1'
expect 'exit 0'
finish
