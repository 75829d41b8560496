#!/usr/bin/env bash
# Checks that the Windows build is a standalone 64-bit console program that carries its icon
# group and its asInvoker manifest.
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$exe" ] || fail "$exe does not exist (build the windows preset first)"
headers=$($objdump -p "$exe")
grep -q 'file format pei-x86-64' <<<"$headers" || fail "not a PE32+ x86-64 image"
grep -Eq 'Subsystem\s+0+3\s' <<<"$headers" || fail "not a console program"

# Only system DLLs may be imported: no MinGW runtime DLL has to ship beside the program.
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort -u)
for dll in $dlls; do
    case "$dll" in
        kernel32.dll|user32.dll|advapi32.dll|ole32.dll|oleaut32.dll|shell32.dll|shlwapi.dll|\
        rpcrt4.dll|msvcrt.dll|api-ms-win-*) ;;
        *) fail "imports $dll, which is not part of Windows" ;;
    esac
done

# Resource directory: type 3 (icon), 14 (icon group) with id 101 (IDI_APP), 24 (manifest) id 1.
python3 - "$exe" <<'PY' || fail "resources missing"
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections = struct.unpack_from("<H", data, pe + 6)[0]
opt_size = struct.unpack_from("<H", data, pe + 20)[0]
table = pe + 24 + opt_size
for i in range(sections):
    name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
    if name.rstrip(b"\0") == b".rsrc":
        base, rva = raddr, vaddr
        break
else:
    sys.exit("no .rsrc section")

def entries(offset):
    named, ids = struct.unpack_from("<HH", data, base + offset + 12)
    for k in range(named + ids):
        ident, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * k)
        yield ident, target

def leaf(target):
    while target & 0x80000000:
        target = next(iter(entries(target & 0x7FFFFFFF)))[1]
    data_rva, size = struct.unpack_from("<II", data, base + target)
    return data[base + data_rva - rva: base + data_rva - rva + size]

types = {ident: target for ident, target in entries(0)}
assert 3 in types, "no icon images"
assert 14 in types, "no icon group"
groups = {ident: target for ident, target in entries(types[14] & 0x7FFFFFFF)}
assert 101 in groups, "icon group is not IDI_APP (101)"
count = struct.unpack_from("<H", leaf(groups[101]), 4)[0]
assert count >= 4, "icon group has only %d sizes" % count
assert 24 in types, "no manifest"
manifests = {ident: target for ident, target in entries(types[24] & 0x7FFFFFFF)}
assert 1 in manifests, "manifest is not resource 1"
manifest = leaf(manifests[1]).decode("utf-8")
assert 'level="asInvoker"' in manifest, "manifest does not ask for asInvoker"
assert 'uiAccess="false"' in manifest, "manifest asks for UI access"
print("icon sizes: %d; manifest: asInvoker, uiAccess false" % count)
PY
echo "ok: $exe"
