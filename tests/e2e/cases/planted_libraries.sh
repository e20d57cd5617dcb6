# Libraries planted beside the installer (a download folder anyone can write to) never run, even
# with Wine told to prefer such copies the way Windows' search order would: the installer
# imports only libraries Windows protects and loads every other one from the system folder,
# with the libraries those bring. The common controls (and with them the theme library) are
# loaded at run time, after the search is restricted; imported, they were resolved at start,
# before WinMain, and a planted uxtheme.dll ran. The loader's log (WINEDEBUG=+loaddll) of a window
# install with a movie, a licence, a read-me and the control-panel question lists what the
# system's own libraries load late: uxtheme (the common controls), msimg32 and dwmapi (which
# Wine's uxtheme delay-loads, resolved without the restricted search: a planted msimg32.dll ran),
# usp10 (riched20) and actxprxy (COM's proxies for the movie's control). The installer preloads
# each from the system folder before its first window; cryptbase, which Windows' advapi32 brings,
# Wine never loads, so for it the case can only show that nothing does. version.dll and imm32.dll
# cannot be tried here: Wine's own user32 imports or loads them as the process starts, before
# WinMain, and resolves them beside the program (measured: a planted imm32.dll runs for any
# program that imports user32), where Windows takes these known libraries from the system folder
# only. That the installer imports neither version.dll nor comctl32 is the build's import check.
# Opening the read-me loaded nothing more in the log; it is left out here, where the Notepad it
# opens would outlive the case.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work" "$report"' EXIT
planted=(riched20.dll atl.dll uxtheme.dll dwmapi.dll cryptbase.dll usp10.dll msimg32.dll actxprxy.dll)
overrides="winemenubuilder.exe=d;riched20,atl,uxtheme,dwmapi,cryptbase,usp10,msimg32,actxprxy=n,b"
markers() { ls "$prefix_c"/planted-*.txt 2>/dev/null; }
rm -f "$prefix_c"/planted-*.txt
remove_player
install_standin 9 || fail "the stand-in player 9 did not install"
clean_saver "Planted Reef"
make_movie "$work/reef.swf" 8 2E8B57
movie_saver "$work/saver" "Planted Reef" "$work/reef.swf"
with_slot "$work/saver" 4 License.txt
sed -i 's|"slots": {|"options": {"askOpenControlPanel": true},\n  "slots": {|' "$work/saver/manifest.json"
mkdir -p "$work/Downloads"
build_installer "$work/saver" "$work/Downloads/Reef Setup.exe" || fail "saverpack build"
for name in "${planted[@]}"; do cp "$bin/planted_library.dll" "$work/Downloads/$name"; done
cp "$bin/bare_loader.exe" "$work/Downloads/"

export WINEDLLOVERRIDES=$overrides
# The trap is armed: a program that loads by bare name picks up the planted copy.
for name in "${planted[@]}"; do
  wine "$work/Downloads/bare_loader.exe" "$name"
  [ -f "$prefix_c/planted-$name.txt" ] || fail "the planted $name did not run for a bare-name load: the case proves nothing"
done
rm -f "$prefix_c"/planted-*.txt

drive --timeout=30000 wait-title:TInstallerForm="Install Screen Saver: Planted Reef" "$(shot planted_libraries)" \
  click:'Accept and Install' see-box box:'&No' -- "$work/Downloads/Reef Setup.exe" "{launcher}"
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
expect 'exit 0'
[ -z "$(markers)" ] || fail "planted libraries ran: $(markers | xargs -n1 basename | tr '\n' ' ')"
rm -f "$prefix_c"/planted-*.txt

# A quiet install, which has no window to hang, loads the same libraries.
clean_saver "Planted Reef"
export WINEDLLOVERRIDES=$overrides
drive -- "$work/Downloads/Reef Setup.exe" "{launcher}" /q
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
expect 'exit 0'
[ -z "$(markers)" ] || fail "planted libraries ran in a quiet install: $(markers | xargs -n1 basename | tr '\n' ' ')"
colour=$(pixels_of "$artefacts/planted_libraries.png" 2E8B57)
[ "${colour:-0}" -gt 60000 ] || fail "the movie did not play (the system's atl.dll hosts it)"
[ -f "$prefix_c/ProgramData/Vantrel/Planted Reef/saver.dat" ] || fail "not installed"
rm -f "$prefix_c"/planted-*.txt
clean_saver "Planted Reef"
remove_player
finish
