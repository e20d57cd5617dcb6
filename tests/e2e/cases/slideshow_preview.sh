# The slideshow engine in a preview window (/p <hwnd>): the show runs in a child window of its
# own filling a window of the driver's (320 x 240), and ends when that window goes. Wine 8 does
# not put a child window's drawing on the screen when another process owns its parent (measured
# with a plain GDI child: the host's grey stays), so the case checks the window, not pixels; the
# same drawing code is checked by pixels in slideshow_show. When the pixels do arrive (a newer
# Wine, Windows), they are checked too.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Slide Preview"' EXIT
install_picture_saver "$work/saver" "Slide Preview" c03020

drive sleep:1500 preview-children "$(shot slideshow_preview)" close-preview -- "$(engine_of "Slide Preview")" /p "{preview}"
expect 'preview-child class="SaverkitSlideshow" size=320x240 mine=1'
expect 'exit 0'
expect_no_match '^fail'
inside=$(region_pixels "$artefacts/slideshow_preview.png" 320x240+100+100 c03020)
everywhere=$(pixels_of "$artefacts/slideshow_preview.png" c03020)
grey=$(region_pixels "$artefacts/slideshow_preview.png" 320x240+100+100 808080)
echo "picture pixels: $inside inside the preview, $everywhere on the screen; host grey: $grey"
# Either the picture fills the preview, or (Wine 8) the host's own grey shows untouched.
[ "${inside:-0}" -ge 72000 ] || [ "${grey:-0}" -eq 76800 ] || fail "the preview shows neither the picture nor the host"
[ "${everywhere:-0}" -eq "${inside:-0}" ] || fail "the show drew outside the preview window"

# The same switch with a colon; a handle that is no window ends at once without a box.
drive sleep:1000 close-preview -- "$(engine_of "Slide Preview")" "/p:{preview}"
expect 'exit 0'
drive no-box:1500 -- "$(engine_of "Slide Preview")" /p 12345
expect 'exit 1'
finish
