#!/usr/bin/env bash
# Checks that a Windows build is a standalone console program for its architecture that carries
# its icon group, its asInvoker manifest and its version information.
# Usage: check_executable.sh EXE x64|x86 VERSION   (VERSION as major.minor.patch)
set -euo pipefail
exe=$1 architecture=$2 version=$3
objdump=x86_64-w64-mingw32-objdump  # reads 32-bit images too
fail() { echo "FAIL: $*" >&2; exit 1; }

case "$architecture" in
    x64) format=pei-x86-64 manifest_architecture=amd64 ;;
    x86) format=pei-i386 manifest_architecture=x86 ;;
    *) fail "unknown architecture $architecture" ;;
esac
[ -f "$exe" ] || fail "$exe does not exist (build the windows presets first)"
headers=$($objdump -p "$exe")
grep -q "file format $format\$" <<<"$headers" || fail "not a $format image"
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
python3 - "$exe" "$manifest_architecture" "$version" <<'PY' || fail "resources missing or wrong"
import struct, sys
data = open(sys.argv[1], "rb").read()
manifest_architecture, version = sys.argv[2:4]
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
assert 'processorArchitecture="%s"' % manifest_architecture in manifest, "manifest architecture"
assert 'version="%s.0"' % version in manifest, "manifest version"

# Version information (type 16, id 1): a tree of blocks, each a length, a value length, a type, a
# key in UTF-16 and a value, children following, every part aligned to four bytes.
def block(offset):
    length, value_length, text = struct.unpack_from("<HHH", info, offset)
    key_end = info.index(b"\0\0", offset + 6)
    while (key_end - offset - 6) % 2:
        key_end = info.index(b"\0\0", key_end + 1)
    key = info[offset + 6:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if text else value_length
    value = info[value_start:value_start + value_size]
    children, child = [], (value_start + value_size + 3) & ~3
    while child < offset + length:
        children.append(block(child))
        child = (child + children[-1][3] + 3) & ~3
    return key, value, children, length

assert 16 in types, "no version information"
versions = {ident: target for ident, target in entries(types[16] & 0x7FFFFFFF)}
assert 1 in versions, "version information is not resource 1"
info = leaf(versions[1])
key, fixed, children, _ = block(0)
assert key == "VS_VERSION_INFO", key
signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
assert signature == 0xFEEF04BD, "no fixed file information"
numbers = tuple(int(part) for part in version.split(".")) + (0,)
as_numbers = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
assert as_numbers(file_ms, file_ls) == numbers, "file version %s" % (as_numbers(file_ms, file_ls),)
assert as_numbers(product_ms, product_ls) == numbers, "product version"
tables = [table for name, _, tables, _ in children if name == "StringFileInfo" for table in tables]
assert tables, "no string table"
strings = {name: value.decode("utf-16-le").rstrip("\0") for name, value, _, _ in tables[0][2]}
expected = {
    "FileDescription": "Registers games and their tasks with Windows Game Explorer",
    "FileVersion": version,
    "ProductVersion": version,
    "ProductName": "Brackenfold",
    "OriginalFilename": "Brackenfold.exe",
    "InternalName": "Brackenfold",
}
for name, value in expected.items():
    assert strings.get(name) == value, "%s is %r" % (name, strings.get(name))
assert "The Brackenfold authors" in strings.get("LegalCopyright", ""), "LegalCopyright"
print("icon sizes: %d; manifest: asInvoker, uiAccess false, %s; version %s" %
      (count, manifest_architecture, version))
PY
echo "ok: $exe"
