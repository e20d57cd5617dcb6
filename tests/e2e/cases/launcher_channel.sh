# The launcher receives exactly the bytes the installer sends, in order, then the close
# notification; the full 32-bit exit code reaches the driver.
. "$(dirname "$0")/../lib.sh"
drive -- "$bin/launcher_probe.exe" --exit=-454 "{launcher}" /l=1 --send \
  "read installer heard file" "quiet installer" 'makeActiveSaver-Ocean Waves.scr\0' "openScreenSaverControlPanel"
expect_order \
  'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=16 text="quiet installer\x00"' \
  'copydata tag=0 size=33 text="makeActiveSaver-Ocean Waves.scr\x00\x00"' \
  'copydata tag=0 size=28 text="openScreenSaverControlPanel\x00"' \
  'notify 0x0501 wparam=0 lparam=0' \
  'exit -454'

# An upper-case switch is not the launcher switch: nothing arrives.
drive -- "$bin/launcher_probe.exe" "/L=1" --exit=258 --send "quiet installer"
expect_no_match '^copydata'
expect_no_match '^notify'
expect 'exit 258'
finish
