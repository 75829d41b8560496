#!/usr/bin/env python3
"""Checks what scripts/package makes: the zips' contents, the shipped executables' size budget
and debug links, that a run from a copy of the sources in another folder gives the same bytes,
and that --sign signs both executables so that Windows would accept them and they still run.

Usage: release_checks.py SOURCE_FOLDER VERSION [unittest options, such as -k Signed]
"""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
import program_texts as texts  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402

SOURCE = None  # set by main()
VERSION = None
PACKAGE_TIMEOUT_SECONDS = 1200  # a run in a fresh folder builds both executables

ARCHITECTURES = ("x64", "x86")
BINARIES = ("Brackenfold.exe", "BrackenfoldMsi.dll")
# The files of the source tree that each kit carries beside the binaries, under the same names.
DOCUMENTS = ("CHANGELOG.md", "LICENSE", "docs/game-definition.md",
             "docs/installers.md", "examples/demo-game-manual.txt", "examples/demo-game/demo_game.exe",
             "examples/demo-game/demo_game.rc", "examples/demo-game/game_definition.xml",
             "examples/inno/demo-game.iss", "examples/nsis/demo-game.nsi",
             "examples/wix/demo-game.wxs")
# The table of the shipped binaries' size budgets in docs/releasing.md, which these checks enforce.
SIZE_TABLE_ROW = re.compile(r"^\| `([\w.]+)` \| ([\d,]+) bytes \| ([\d,]+) bytes \|$", re.M)


def size_budgets():
    """The budget of each shipped binary by name and architecture, from docs/releasing.md."""
    with open(os.path.join(SOURCE, "docs", "releasing.md"), encoding="utf-8") as file:
        rows = SIZE_TABLE_ROW.findall(file.read())
    return {(name, architecture): int(size.replace(",", ""))
            for name, *sizes in rows for architecture, size in zip(ARCHITECTURES, sizes)}


def package(source, output, *options, environment=None):
    subprocess.run([os.path.join(source, "scripts", "package"), "--output", output, *options],
                   env=dict(os.environ, **(environment or {})), check=True,
                   stdout=subprocess.DEVNULL, timeout=PACKAGE_TIMEOUT_SECONDS)


def zip_name(kind):
    return f"brackenfold-{VERSION}-{kind}.zip"


def kit_folder(architecture):
    """The one folder that an architecture's zip unpacks into."""
    return f"Brackenfold-{VERSION}-{architecture}"


def read_member(zip_path, name):
    with zipfile.ZipFile(zip_path) as archive:
        return archive.read(name)


def sections(path):
    """The sections of a PE file by name, as (file offset, size), read by objdump."""
    listing = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", path], capture_output=True,
                             text=True, check=True).stdout
    found = {}
    for line in listing.splitlines():
        fields = line.split()
        if len(fields) == 7 and fields[0].isdigit():
            found[fields[1]] = (int(fields[5], 16), int(fields[2], 16))
    return found


class PackagedRelease:
    """One scripts/package run into a temporary folder, shared by the checks of one process."""

    folder = None

    @classmethod
    def get(cls):
        if cls.folder is None:
            cls.folder = tempfile.mkdtemp(prefix="brackenfold-dist-")
            package(SOURCE, cls.folder)
        return cls.folder


class ContentsTest(unittest.TestCase):
    def test_zips_hold_the_binaries_and_documents_and_checksums_cover_every_file(self):
        dist = PackagedRelease.get()
        self.assertEqual(sorted(os.listdir(dist)), sorted(
            ["SHA256SUMS", zip_name("debug"), zip_name("windows-x64"), zip_name("windows-x86")]))
        for architecture in ARCHITECTURES:
            with zipfile.ZipFile(os.path.join(dist, zip_name(f"windows-{architecture}"))) as zip:
                folder = kit_folder(architecture)
                self.assertEqual(zip.namelist(), sorted(
                    f"{folder}/{name}" for name in [*BINARIES, *DOCUMENTS, "README.md"]))
                for name in DOCUMENTS:
                    with open(os.path.join(SOURCE, name), "rb") as file:
                        self.assertEqual(zip.read(f"{folder}/{name}"), file.read(), name)
                self.check_kit_readme(zip.read(f"{folder}/README.md").decode("utf-8"))
        with zipfile.ZipFile(os.path.join(dist, zip_name("debug"))) as zip:
            self.assertEqual(zip.namelist(), [f"windows-{architecture}/{binary}.debug"
                                              for architecture in ARCHITECTURES
                                              for binary in BINARIES])
        with open(os.path.join(dist, "SHA256SUMS"), encoding="ascii") as file:
            listed = dict(reversed(line.split()) for line in file)
        actual = {}
        for name in os.listdir(dist):
            if name != "SHA256SUMS":
                with open(os.path.join(dist, name), "rb") as released:
                    actual[name] = hashlib.sha256(released.read()).hexdigest()
        self.assertEqual(listed, actual)

    def check_kit_readme(self, readme):
        """The kit's README is KIT-README.md with README.md's command-line sections in place of
        its pointer to them, and none of README.md's material for Brackenfold's developers."""
        with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as file:
            source_readme = file.read()
        with open(os.path.join(SOURCE, "KIT-README.md"), encoding="utf-8") as file:
            kit_readme = file.read()
        reference = "## Usage" + source_readme.partition("## Usage")[2].partition(
            "## Working on Brackenfold")[0]
        before, _, rest = kit_readme.partition("<!-- The command line:")
        after = rest.partition("<!-- End of the command line. -->\n")[2]
        self.assertTrue(after, "KIT-README.md's markers")
        self.assertEqual(readme, before + reference + after)
        self.assertNotIn("## Quick start", readme)

    def test_binaries_are_stripped_within_budget_and_linked_to_their_debug_files(self):
        dist = PackagedRelease.get()
        work = tempfile.mkdtemp(prefix="brackenfold-unzipped-")
        self.addCleanup(shutil.rmtree, work)
        budgets = size_budgets()
        self.assertEqual(sorted(budgets), sorted((binary, architecture) for binary in BINARIES
                                                 for architecture in ARCHITECTURES))
        for architecture in ARCHITECTURES:
            for binary in BINARIES:
                with self.subTest(architecture, binary=binary):
                    self.check_binary(dist, work, architecture, binary, budgets)

    def check_binary(self, dist, work, architecture, binary, budgets):
        debug_file = binary + ".debug"
        exe = os.path.join(work, f"{architecture}-{binary}")
        debug = os.path.join(work, f"{architecture}-{debug_file}")
        with open(exe, "wb") as file:
            file.write(read_member(os.path.join(dist, zip_name(f"windows-{architecture}")),
                                   f"{kit_folder(architecture)}/{binary}"))
        with open(debug, "wb") as file:
            file.write(read_member(os.path.join(dist, zip_name("debug")),
                                   f"windows-{architecture}/{debug_file}"))
        size = os.path.getsize(exe)
        print(f"{architecture}: {binary} {size} bytes, {debug_file} {os.path.getsize(debug)} bytes")
        self.assertLessEqual(size, budgets[(binary, architecture)])

        with open(exe, "rb") as file:
            headers = file.read(4096)
        pe_header = int.from_bytes(headers[0x3C:0x40], "little")
        self.assertEqual(headers[pe_header + 8:pe_header + 12], bytes(4), "link time")

        shipped = sections(exe)
        self.assertEqual([name for name in shipped if name.startswith(".debug")], [])
        self.assertIn(".debug_info", sections(debug))
        # The link: the debug file's name, padding to four bytes, its CRC-32.
        offset, length = shipped[".gnu_debuglink"]
        with open(exe, "rb") as file:
            file.seek(offset)
            link = file.read(length)
        self.assertEqual(link[:len(debug_file) + 1], debug_file.encode() + b"\0")
        with open(debug, "rb") as file:
            crc = zlib.crc32(file.read())
        self.assertEqual(int.from_bytes(link[-4:], "little"), crc)


class ReproducibleTest(unittest.TestCase):
    def test_package_from_a_copy_in_another_folder_gives_the_same_bytes(self):
        dist = PackagedRelease.get()
        commit_time = subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"],
                                     capture_output=True, text=True, check=True).stdout.strip()
        # The working tree's files as they are, tracked and new, without builds and .git.
        files = subprocess.run(["git", "-C", SOURCE, "ls-files", "-z", "--cached", "--others",
                                "--exclude-standard"], capture_output=True, check=True).stdout
        other = tempfile.mkdtemp(prefix="brackenfold-another-checkout-folder-")
        self.addCleanup(shutil.rmtree, other)
        copy = os.path.join(other, "source")
        for name in filter(None, files.decode().split("\0")):
            if os.path.isfile(os.path.join(SOURCE, name)):
                os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
                shutil.copy2(os.path.join(SOURCE, name), os.path.join(copy, name))
        other_dist = os.path.join(other, "dist")

        package(copy, other_dist, environment={"SOURCE_DATE_EPOCH": commit_time})

        self.assertEqual(sorted(os.listdir(other_dist)), sorted(os.listdir(dist)))
        for name in sorted(os.listdir(dist)):
            with open(os.path.join(dist, name), "rb") as first, \
                    open(os.path.join(other_dist, name), "rb") as second:
                self.assertTrue(first.read() == second.read(), f"{name} differs")
        with open(os.path.join(dist, "SHA256SUMS"), encoding="ascii") as file:
            print(file.read(), end="")


class SignedTest(unittest.TestCase):
    def test_signed_executables_verify_and_the_x64_one_runs_under_wine(self):
        work = tempfile.mkdtemp(prefix="brackenfold-signed-")
        self.addCleanup(shutil.rmtree, work)
        key, certificate = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=Brackenfold throwaway test signer", "-keyout", key,
                        "-out", certificate, "-addext", "keyUsage=critical,digitalSignature",
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        dist = os.path.join(work, "dist")

        package(SOURCE, dist, "--sign", key, certificate)

        for architecture in ARCHITECTURES:
            for binary in BINARIES:
                with self.subTest(architecture, binary=binary):
                    self.check_signature(dist, work, architecture, binary, certificate)

        prefix = WinePrefix()
        try:
            prefix.boot()
            prefix.copy_in(os.path.join(work, "x64-Brackenfold.exe"),
                           r"C:\Brackenfold\Brackenfold.exe")
            output = prefix.run(r"C:\Brackenfold\Brackenfold.exe")
        finally:
            prefix.close()
        # Its version's banner and the usage block, in the console's line breaks.
        self.assertEqual((output.stdout, output.status),
                         ((texts.BANNER + texts.USAGE).replace("\n", "\r\n"), 1), output)

    def check_signature(self, dist, work, architecture, binary, certificate):
        exe = os.path.join(work, f"{architecture}-{binary}")
        with open(exe, "wb") as file:
            file.write(read_member(os.path.join(dist, zip_name(f"windows-{architecture}")),
                                   f"{kit_folder(architecture)}/{binary}"))
        untrusted = subprocess.run(["osslsigncode", "verify", "-in", exe],
                                   capture_output=True, text=True)
        # Nobody trusts the throwaway certificate: the chain fails, and only the chain.
        self.assertNotEqual(untrusted.returncode, 0)
        self.assertIn("Error: self-signed certificate", untrusted.stdout)
        self.assertIn("Message digest algorithm  : SHA256", untrusted.stdout)
        self.assertRegex(untrusted.stdout, r"Current message digest\s*: (\w+) *\n"
                                           r"Calculated message digest\s*: \1 *\n")
        self.assertIn("Subject: /CN=Brackenfold throwaway test signer", untrusted.stdout)
        # Trusting it, the signature over that digest verifies.
        trusted = subprocess.run(["osslsigncode", "verify", "-CAfile", certificate,
                                  "-in", exe], capture_output=True, text=True)
        self.assertEqual(trusted.returncode, 0, trusted.stdout + trusted.stderr)
        self.assertIn("Signature verification: ok", trusted.stdout)


def main():
    global SOURCE, VERSION
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    SOURCE, VERSION = os.path.abspath(sys.argv[1]), sys.argv[2]
    try:
        result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], exit=False, verbosity=2).result
    finally:
        if PackagedRelease.folder is not None:
            shutil.rmtree(PackagedRelease.folder, ignore_errors=True)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
