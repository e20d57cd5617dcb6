"""Empties the package digest record in an installer's stub, as a package appended by hand has
it: unbind.py INSTALLER [OUTPUT]. The record is found through the program's section table (its
".skbind" section), never by searching for its marker, which the stub's code also holds."""
import struct
import sys

source = sys.argv[1]
target = sys.argv[2] if len(sys.argv) > 2 else source
data = bytearray(open(source, 'rb').read())
header = struct.unpack_from('<I', data, 0x3C)[0]
count = struct.unpack_from('<H', data, header + 6)[0]
table = header + 24 + struct.unpack_from('<H', data, header + 20)[0]
for entry in range(table, table + 40 * count, 40):
    if data[entry:entry + 8].rstrip(b'\0') == b'.skbind':
        at = struct.unpack_from('<I', data, entry + 20)[0]
        assert data[at:at + 8] == b'SKBIND01', 'the section holds no record'
        data[at + 8:at + 48] = bytes(40)
        open(target, 'wb').write(data)
        sys.exit(0)
sys.exit('unbind: the stub has no digest record')
