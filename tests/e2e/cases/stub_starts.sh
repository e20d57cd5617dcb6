# The bare stub (no package behind it) starts with the preparing window named after its file,
# then finds its header too short: two boxes with the exact texts, and the program ends. No
# command was sent, so the launcher named on the command line is not notified.
. "$(dirname "$0")/../lib.sh"
drive wait-title:TpreparingInstallWnd=saverstub.exe box:'&Abort' box:'&Abort' -- "$bin/saverstub.exe" "{launcher}"
expect 'window class="TpreparingInstallWnd" title="saverstub.exe"'
expect_match '^box title="Error" text="Installation Error: C:\\\\users\\\\[^\\]+\\\\AppData\\\\Local\\\\Vantrel\\\\ZOR[0-9]+\\\\temp.dat\\r\\n\\r\\nProblem with file C:\\\\users\\\\[^\\]+\\\\AppData\\\\Local\\\\Vantrel\\\\ZOR[0-9]+\\\\temp.dat. " buttons="&Abort"$'
expect 'box title="Error" text="Installer file is corrupted. Vantrel Error: -31. " buttons="&Abort"'
expect_no_match '^notify'
expect_no_match '^copydata'
expect 'exit 0'

# The same with "/q": a quiet run that could not start says so in its exit code.
drive box:'&Abort' box:'&Abort' -- "$bin/saverstub.exe" /q
expect 'exit -31'
finish
