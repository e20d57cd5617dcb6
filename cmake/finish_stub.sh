#!/bin/sh
# Checks a linked stub and pads it to its fixed size: the package format puts the package at
# exactly that offset, so a larger stub is a build failure, never a silent shift. Also refuses
# any import that a clean Windows would not have.
set -eu
exe=$1 size=$2
# Only libraries Windows protects (its known DLLs): imports are resolved when the process starts,
# before WinMain can restrict the search, and any other import, or a library it brings along,
# would be searched beside the installer first. comctl32 is not one of them (the manifest picks
# its version): it is loaded at run time.
allowed='kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll shlwapi.dll comdlg32.dll'
for dll in $(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "finish_stub: $exe imports $dll, which is not a system DLL" >&2; exit 1 ;;
  esac
done
# Measure the linked code before padding (a re-run on a padded file measures the padded size,
# so keep the first measurement).
actual=$(stat -c %s "$exe")
if [ "$actual" -ne "$size" ]; then
  if [ "$actual" -gt "$size" ]; then
    echo "finish_stub: $exe is $actual bytes, larger than the fixed stub size $size" >&2
    exit 1
  fi
  echo "$actual" > "$exe.codesize"
  truncate -s "$size" "$exe"
fi
echo "finish_stub: $(basename "$exe") code $(cat "$exe.codesize" 2>/dev/null || echo ?) bytes, padded to $size"
