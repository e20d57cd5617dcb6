# The stub starts with the preparing window named after its file, opens the installer window,
# and closing that window ends the program with exit code 0. No command was sent, so the
# launcher named on the command line is not notified.
. "$(dirname "$0")/../lib.sh"
drive wait-title:TpreparingInstallWnd=saverstub.exe wait-window:TInstallerForm controls:TInstallerForm \
  "$(shot stub_starts)" close:TInstallerForm -- "$bin/saverstub.exe" "{launcher}"
expect 'window class="TpreparingInstallWnd" title="saverstub.exe"'
expect_match '^window class="TInstallerForm"'
expect_match '^control id=101 class="Button" text="Install" visible=1 enabled=1$'
expect_match '^control id=102 class="Button" text="Cancel" visible=1 enabled=1$'
expect_match '^control id=103 class="Button" text="Close" visible=0'
expect_no_match '^notify'
expect 'exit 0'
finish
