# Cancel while no install runs closes the window and ends the program.
. "$(dirname "$0")/../lib.sh"
drive wait-window:TInstallerForm click:Cancel -- "$bin/saverstub.exe"
expect 'exit 0'
expect_no_match '^fail'
finish
