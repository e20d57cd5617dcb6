# Two monitors: a landscape primary (1280x800) and a portrait one to its left (800x1280, at
# x=-800), on an X display of this case's own whose monitors Wine reads through Xinerama. Each
# monitor shows a picture of its own, filling its own pixels, and the portrait picture (first in
# the show's order) goes to the portrait monitor, the landscape one to the landscape monitor.
# A portrait video goes to the portrait monitor too, until videos play on the main monitor only:
# then it plays on the landscape primary, and the picture stands on the other.
. "$(dirname "$0")/../lib.sh"
engine_saver "Two Show"
convert -size 300x500 xc:'#ff0000' "$product/a portrait.png"
convert -size 500x300 xc:'#00ff00' "$product/b landscape.png"

# Wine reads the monitors when its server starts: this case stops the shared one, and starts
# it again on the usual display when it ends.
outer_display=$DISPLAY
for number in $(seq 141 190); do
  [ -e /tmp/.X11-unix/X$number ] || [ -e /tmp/.X$number-lock ] || break
done
Xvfb :$number -screen 0 2080x1280x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
two_monitors_end() {
  wineserver -k >/dev/null 2>&1; wineserver -w
  DISPLAY=$outer_display wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1
  kill "$xvfb" 2>/dev/null
  rm -rf "$work" "$report" "$product"; wine reg delete "$key" /f >/dev/null 2>&1
}
trap two_monitors_end EXIT
for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$number ] && break; sleep 0.1; done
export DISPLAY=:$number
xrandr --setmonitor '*LAND' 1280/339x800/212+800+0 screen >/dev/null
xrandr --setmonitor PORT 800/212x1280/339+0+0 none >/dev/null
wineserver -k >/dev/null 2>&1; wineserver -w
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1; wineserver -w

drive wait-window:SaverkitSlideshow sleep:2500 "$(shot two_monitors)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
# X's x=0 is Windows' x=-800: the portrait monitor is the screenshot's left 800 columns.
portrait_red=$(region_pixels "$artefacts/two_monitors.png" 800x1280+0+0 ff0000)
landscape_green=$(region_pixels "$artefacts/two_monitors.png" 1280x800+800+0 00ff00)
echo "red on the portrait monitor: $portrait_red; green on the landscape one: $landscape_green"
# Fitted: 768x1280 and 1280x768.
[ "${portrait_red:-0}" -ge 950000 ] || fail "the portrait picture does not fill the portrait monitor"
[ "${landscape_green:-0}" -ge 950000 ] || fail "the landscape picture does not fill the landscape monitor"

rm -f "$product/a portrait.png"
ffmpeg -loglevel error -f lavfi -i color=c=red:s=240x320:d=4:r=25 -pix_fmt yuv420p -c:v libx264 "$product/a portrait.mp4" ||
  fail "ffmpeg"
for monitors in every primary; do
  wine reg add "$key" /v VideoMonitors /d "$monitors" /f >/dev/null 2>&1
  drive wait-window:SaverkitSlideshow sleep:2500 "$(shot two_monitors_video_$monitors)" key:32 -- "$work/$name.scr" /s
  expect 'exit 0'
  left=$(mean_colour "$artefacts/two_monitors_video_$monitors.png" 400x400+200+440)
  right=$(mean_colour "$artefacts/two_monitors_video_$monitors.png" 400x400+1240+200)
  echo "videos on $monitors: portrait monitor $left, landscape monitor $right"
  if [ "$monitors" = every ]; then wanted_left=red wanted_right=green; else wanted_left=green wanted_right=red; fi
  for side in left right; do
    read -r r g b <<< "${!side}"
    wanted=wanted_$side
    case "${!wanted}" in
      red) [ "$r" -gt 200 ] && [ "$g" -lt 60 ] || fail "videos on $monitors: the $side monitor is not red (${!side})" ;;
      green) [ "$g" -gt 200 ] && [ "$r" -lt 60 ] || fail "videos on $monitors: the $side monitor is not green (${!side})" ;;
    esac
  done
done
finish
