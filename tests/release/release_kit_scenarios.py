#!/usr/bin/env python3
"""The release kits as an installer author gets them: each zip that scripts/package makes (x64 and
x86) is unpacked into an empty folder with no repository around it, the NSIS, WiX and Inno Setup
examples are built there with the build lines of their headers, from the kit's own files under the
kit's names, and each installer is installed and uninstalled silently under Wine.

Usage: release_kit_scenarios.py SOURCE_FOLDER VERSION [unittest options]
"""

import glob
import os
import shutil
import signal
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "installers"))
# pylint: disable=wrong-import-position
import installer_scenarios as scenarios  # also puts tests/wine on the path
from release_checks import package
from wine_prefix import WinePrefix

ARCHITECTURES = ("x64", "x86")
# wixl's options for each kit's MSI, and the folder that MSI installs the game in.
WIXL_OPTIONS = {"x64": ["-a", "x64"], "x86": ["-a", "x86", "-D", "Platform=x86"]}
MSI_FOLDERS = {"x64": scenarios.MSI_FOLDER, "x86": scenarios.MSI_X86_FOLDER}
INSTALLERS = {}  # the Windows path of each installer built from a kit, by name


def unpack(zip_path, folder):
    """Unpacks a zip into an empty folder; returns the one folder that the zip holds."""
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)
    entries = os.listdir(folder)
    if len(entries) != 1:
        sys.exit(f"{zip_path} unpacks into {entries}, not into one folder")
    return os.path.join(folder, entries[0])


def build_kit_installers(kit, architecture):
    """Builds the three examples inside the unpacked kit, each with the command its header gives
    and no file named on the command line; returns each installer's host path by name."""
    examples = os.path.join(kit, "examples")
    scenarios.run_build(["makensis", "-V2", "demo-game.nsi"], cwd=os.path.join(examples, "nsis"))
    scenarios.run_build(["wixl", *WIXL_OPTIONS[architecture], "-o", "demo-game.msi",
                         "examples/wix/demo-game.wxs"], cwd=kit)
    scenarios.run_build(["msibuild", "demo-game.msi", "-q", scenarios.ROLLBACK_TYPE_FIX],
                        cwd=kit)
    inno = os.path.join(examples, "inno")
    scenarios.run_build(["wine", glob.glob(scenarios.ISCC_GLOB)[0], "/Q", "demo-game.iss"],
                        cwd=inno, env=scenarios.PREFIX.environment)
    name = f"kit-{architecture}"
    return {f"{name}-nsis": os.path.join(examples, "nsis", "demo-game-setup.exe"),
            f"{name}-msi": os.path.join(kit, "demo-game.msi"),
            f"{name}-inno": os.path.join(inno, "Output", "demo-game-setup.exe")}


def kit_scenarios():
    """For each kit, each of its installers installed (the game registered for all users with
    both tasks) and uninstalled (nothing of it left)."""
    tasks = [scenarios.PLAY, scenarios.MANUAL_TASK]
    table = {}
    for architecture in ARCHITECTURES:
        name = f"kit-{architecture}"
        table[f"{architecture} kit, NSIS"] = [
            scenarios.nsis_install_in_folder(f"{name}-nsis",
                                             leaves=scenarios.registered(scenarios.NSIS_FOLDER,
                                                                         tasks)),
            scenarios.nsis_uninstall()]
        table[f"{architecture} kit, MSI"] = [
            scenarios.msiexec("/i", f"{name}-msi",
                              scenarios.registered(MSI_FOLDERS[architecture], tasks),
                              *scenarios.ADDED),
            scenarios.msiexec("/x", f"{name}-msi", {})]
        table[f"{architecture} kit, Inno Setup"] = [
            scenarios.inno_setup(f"{name}-inno",
                                 scenarios.registered(scenarios.INNO_FOLDER, tasks),
                                 *scenarios.ADDED),
            scenarios.inno_setup(f"{name}-inno", {}, uninstall=True)]
    return table


class KitTest(unittest.TestCase):
    maxDiff = None

    def test_examples_built_in_each_unpacked_kit_install_and_uninstall(self):
        scenarios.check_scenarios(self, kit_scenarios(), INSTALLERS)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    source, version = os.path.abspath(sys.argv[1]), sys.argv[2]
    signal.signal(signal.SIGTERM, scenarios.stop_on_signal)
    signal.signal(signal.SIGINT, scenarios.stop_on_signal)
    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="brackenfold-kits-")
    prefix = scenarios.PREFIX = WinePrefix()
    try:
        dist = os.path.join(work, "dist")
        package(source, dist)
        # Inno Setup's compiler runs in the prefix, and its setups need a display even when silent.
        prefix.use_own_display()
        prefix.boot()
        prefix.prepare_for_windowed_programs()
        for architecture in ARCHITECTURES:
            folder = os.path.join(work, architecture)
            os.mkdir(folder)
            kit = unpack(os.path.join(dist, f"brackenfold-{version}-windows-{architecture}.zip"),
                         folder)
            for name, host_path in build_kit_installers(kit, architecture).items():
                INSTALLERS[name] = rf"C:\Installers\{name}{os.path.splitext(host_path)[1]}"
                prefix.copy_in(host_path, INSTALLERS[name])
        prefix.write_bytes(scenarios.STATUS_BATCH, scenarios.STATUS_BATCH_TEXT.encode("ascii"))
        os.makedirs(prefix.host_path(scenarios.LOGS), exist_ok=True)
        result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], exit=False, verbosity=2).result
    finally:
        prefix.close()
        shutil.rmtree(work, ignore_errors=True)
    print(f"release kits packaged, built and installed in {time.monotonic() - started:.0f} s")
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
