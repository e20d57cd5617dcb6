# saverpack preview: the installer window as a picture, from a manifest and from a finished
# installer, exactly the size the stub's window has when the driver runs the same installer;
# the stand-in player goes into the preview's own prefix for a movie. What cannot be previewed
# fails clearly: a quiet package, a cut-short installer (with the installer's own words), no
# Wine. The installer's Wine sees no Linux drive and little of the author's environment, and its
# display wants a cookie. Nothing is left behind: no session folder, display, Wine program or working folder,
# and nothing lands in the case's own prefix.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
# The template prefix is kept in the build folder, never in the home of whoever runs the tests.
export XDG_CACHE_HOME=$(cd "$bin/.." && pwd)/preview-cache
sessions() { ls -d "$XDG_CACHE_HOME"/saverkit/run-* 2>/dev/null | wc -l; }
preview_displays() { pgrep -f '^Xvfb -displayfd' | sort; }
# Wine programs whose prefix is a preview session's.
preview_wine() { grep -lsa 'WINEPREFIX=[^[:cntrl:]]*/saverkit/run-' /proc/[0-9]*/environ | wc -l; }
saverpack() { "$native_bin/saverpack" "$@"; }
displays_before=$(preview_displays)
clean_saver "Coral Bay"; clean_saver "Night Reef"

# From a manifest: a picture saver with a licence.
make_saver "$work/coral" "Coral Bay" bitmap
with_slot "$work/coral" 4 License.txt
started=$(date +%s%N)
# While it runs, a look at its Wine programs and display: of the author's environment only what
# Wine needs (no canary), no drive for the Linux file system, and a display that admits the
# session's cookie and nobody else.
SAVERKIT_CANARY=author-secret saverpack preview "$work/coral/manifest.json" -o "$artefacts/preview_manifest.png" \
  --stub "$bin/saverstub.exe" 2> "$work/err.txt" &
previewing=$!
while kill -0 "$previewing" 2>/dev/null && [ ! -s "$work/wine-env.txt" ]; do
  for environ in $(grep -lsa 'WINEPREFIX=[^[:cntrl:]]*/saverkit/run-' /proc/[0-9]*/environ); do
    tr '\0' '\n' < "$environ" > "$work/wine-env.txt" 2>/dev/null
    [ -s "$work/wine-env.txt" ] || continue
    session_prefix=$(sed -n 's/^WINEPREFIX=//p' "$work/wine-env.txt")
    ls "$session_prefix/dosdevices" > "$work/drives.txt"
    shown=$(sed -n 's/^DISPLAY=//p' "$work/wine-env.txt")
    cookie=$(sed -n 's/^XAUTHORITY=//p' "$work/wine-env.txt")
    DISPLAY=$shown XAUTHORITY=$cookie xwininfo -root > /dev/null 2>&1; echo "with the cookie $?" > "$work/display.txt"
    DISPLAY=$shown XAUTHORITY=/dev/null xwininfo -root > /dev/null 2>&1; echo "without it $?" >> "$work/display.txt"
    break
  done
  sleep 0.1
done
wait "$previewing" || fail "preview from a manifest: $(cat "$work/err.txt")"
echo "one preview from a manifest: $(( ($(date +%s%N) - started) / 1000000 )) ms"
[ -s "$work/wine-env.txt" ] || fail "no Wine program of the preview was seen"
grep -q '^SAVERKIT_CANARY=' "$work/wine-env.txt" && fail "the author's environment reached Wine"
grep -q '^PATH=' "$work/wine-env.txt" || fail "Wine did not get PATH"
grep -q "^HOME=$XDG_CACHE_HOME/saverkit/run-" "$work/wine-env.txt" || fail "HOME is not the session's: $(grep ^HOME= "$work/wine-env.txt")"
[ "$(tr '\n' ' ' < "$work/drives.txt")" = "c: s: " ] || fail "the session's drives: $(cat "$work/drives.txt")"
cat "$work/display.txt"
grep -qx 'with the cookie 0' "$work/display.txt" || fail "the session's cookie does not open its display"
grep -qx 'without it 0' "$work/display.txt" && fail "the preview's display admits a program without its cookie"
cat "$work/err.txt"
grep -q 'saverpack: preview: building the installer' "$work/err.txt" || fail "no progress on building"
grep -q 'stand-in Flash Player' "$work/err.txt" || fail "the package needs a player, but none was installed"
picture=$(identify -format '%wx%h' "$artefacts/preview_manifest.png" 2>/dev/null)

# The same installer under the driver: the window's own size, then Cancel.
build_installer "$work/coral" "$work/Coral Setup.exe" >/dev/null || fail "saverpack build"
register_player
drive wait-window:TInstallerForm layout:TInstallerForm click:Cancel -- "$work/Coral Setup.exe" "{launcher}"
window=$(sed -n 's/^size window=\([0-9]*x[0-9]*\) .*/\1/p' "$report" | head -1)
[ -n "$window" ] && [ "$picture" = "$window" ] || fail "the picture is $picture, the window $window"
case "$window" in 490x*) ;; *) fail "the licence window is 490 wide, not $window" ;; esac
# The picture shows the presentation: the gold sun of make_saver's picture.
[ "$(pixels_of "$artefacts/preview_manifest.png" FFD700)" -gt 5000 ] || fail "the presentation is not in the picture"

# From a finished installer: a movie, which the stand-in player paints in its colour.
make_movie "$work/reef.swf" 8 2E8B57
movie_saver "$work/reef" "Night Reef" "$work/reef.swf"
build_installer "$work/reef" "$work/Reef Setup.exe" >/dev/null || fail "saverpack build of the movie saver"
saverpack preview "$work/Reef Setup.exe" -o "$work/reef.png" --stub "$bin/saverstub.exe" 2> "$work/err.txt" ||
  fail "preview from an installer: $(cat "$work/err.txt")"
grep -q 'building' "$work/err.txt" && fail "an installer was built again"
cp "$work/reef.png" "$artefacts/preview_installer.png" 2>/dev/null
[ "$(identify -format '%w' "$work/reef.png" 2>/dev/null)" = 490 ] || fail "plain-mode window is not 490 wide"
[ "$(pixels_of "$work/reef.png" 2E8B57)" -gt 50000 ] || fail "the movie did not play in the stand-in player"

# A quiet package shows no window: refused before anything runs.
sed -e 's/"presentationMode": "flash"/"presentationMode": "quiet"/' -e '/"3": {"file"/d' "$work/reef/manifest.json" \
  > "$work/reef/quiet.json"
saverpack preview "$work/reef/quiet.json" -o "$work/quiet.png" --stub "$bin/saverstub.exe" 2> "$work/err.txt"
[ $? = 1 ] && grep -q 'quiet package' "$work/err.txt" || fail "quiet package: $(cat "$work/err.txt")"
[ -e "$work/quiet.png" ] && fail "a picture was written for a quiet package"

# Cut short inside its slots: the installer shows boxes and ends; preview repeats what they said.
head -c 700000 "$work/Reef Setup.exe" > "$work/cut.exe"
saverpack preview "$work/cut.exe" -o "$work/cut.png" --stub "$bin/saverstub.exe" --timeout 30 2> "$work/err.txt"
[ $? = 1 ] || fail "a cut-short installer did not fail with 1"
grep -q 'ended without showing its window.*error box.*Installer file is corrupted' "$work/err.txt" ||
  fail "cut-short installer: $(cat "$work/err.txt")"

# No Wine, no Xvfb: the Debian packages to install are named.
PATH=/nonexistent "$native_bin/saverpack" preview "$work/Reef Setup.exe" -o "$work/x.png" 2> "$work/err.txt"
[ $? = 3 ] || fail "missing Wine is not exit code 3"
grep -q 'dpkg --add-architecture i386 .*apt-get install wine wine32:i386 xvfb x11-utils imagemagick' "$work/err.txt" ||
  fail "missing programs: $(cat "$work/err.txt")"

# Nothing left behind by any of the previews.
[ "$(sessions)" = 0 ] || fail "session folders left: $(ls "$XDG_CACHE_HOME/saverkit")"
[ "$(preview_displays)" = "$displays_before" ] || fail "a preview display still runs"
[ "$(preview_wine)" = 0 ] || fail "Wine programs of a preview still run"
[ "$(working_folders)" = 0 ] || fail "working folders left in the case's prefix"
[ -e "$prefix_c/ProgramData/Vantrel/Night Reef" ] && fail "the preview installed into the case's prefix"
clean_saver "Coral Bay"; clean_saver "Night Reef"
finish
