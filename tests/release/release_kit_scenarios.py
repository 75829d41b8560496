#!/usr/bin/env python3
"""The release kits as an installer author gets them: each zip that scripts/package makes (x64 and
x86) is unpacked into an empty folder with no repository around it, the NSIS, WiX and Inno Setup
examples are built there with the build lines of their headers, from the kit's own files under the
kit's names, and each installer is installed and uninstalled silently under Wine.

Usage: release_kit_scenarios.py SOURCE_FOLDER VERSION [unittest options]
"""

import os
import re
import shlex
import shutil
import signal
import subprocess
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
KITS = {}  # each unpacked kit's host folder, by architecture
# The code blocks of the kit's documents that hold shell commands, and the part of installers.md
# that names the tools those commands may call besides the kit's own files.
SHELL_BLOCK = re.compile(r"^```sh\n(.*?)^```$", re.M | re.S)
TOOLS_PART = "## Tools"
RECIPES_PART = "## Recipes"
BUILDING_PART = "## Building the examples"
# Shell built-ins and basic utilities a command line may use without the Tools part naming them.
SHELL_BASICS = {"cd", "cp", "echo", "export", "mkdir", "mktemp", "rm"}
MARKDOWN_LINK = re.compile(r"\]\(([^)#\s]+)(?:#[^)]*)?\)")


def part_of(text, heading):
    """A part of a Markdown document: from its heading to the next heading of its level."""
    level = heading.split()[0]
    return heading + text.partition(heading + "\n")[2].partition("\n" + level + " ")[0]


def read_kit_file(kit, name):
    with open(os.path.join(kit, name), encoding="utf-8") as file:
        return file.read()


def commands_of(line):
    """The program each command of a shell line starts, after any variable assignments. Quoted
    text without a command substitution in it is an argument, whatever it holds."""
    line = re.sub(r'"(?:[^"\\$]|\\.)*"|\'[^\']*\'', "argument", line)
    for command in re.split(r"&&|\|\||[;|()]", line):
        words = [word for word in command.split() if not re.match(r"^\w+=", word)]
        if words:
            yield words[0].strip("'\"")


def shell_lines(text):
    return [line for block in SHELL_BLOCK.findall(text) for line in block.splitlines() if line]


def run_shell_line(kit, line):
    """Runs one line of a kit document's shell block in the kit's folder, in the prefix's
    environment (Inno Setup's compiler runs under Wine)."""
    scenarios.run_build(["bash", "-c", line], cwd=kit, env=scenarios.PREFIX.environment)


def build_kit_installers(kit, architecture):
    """Builds the three examples and the two MSI flavours inside the unpacked kit with the lines of
    installers.md's "Building the examples", as an author pastes them, and the MSIs of its
    recipes; returns each installer's host path by name."""
    installers_md = read_kit_file(kit, "docs/installers.md")
    lines = [*shell_lines(part_of(installers_md, BUILDING_PART)),
             *(line for line in shell_lines(part_of(installers_md, RECIPES_PART))
               if not line.startswith("wine "))]
    for line in lines:
        if architecture == "x86":  # the x86 kit's MSIs, as the part says
            line = line.replace("wixl -a x64", "wixl -a x86 -D Platform=x86")
        run_shell_line(kit, line)
    examples = os.path.join(kit, "examples")
    name = f"kit-{architecture}"
    built = {f"{name}-nsis": os.path.join(examples, "nsis", "demo-game-setup.exe"),
             f"{name}-inno": os.path.join(examples, "inno", "Output", "demo-game-setup.exe")}
    for msi in glob_msis(kit):
        built[f"{name}-{os.path.splitext(msi)[0]}"] = os.path.join(kit, msi)
    # A version 2 whose install fails late, just before InstallFinalize: a failed upgrade.
    failing = os.path.join(kit, "failing-upgrade.msi")
    shutil.copyfile(os.path.join(kit, "demo-game-2.msi"), failing)
    for query in scenarios.FAILURE_AFTER_REGISTRATION:
        scenarios.run_build(["msibuild", failing, "-q", query])
    built[f"{name}-failing-upgrade"] = failing
    return built


def glob_msis(kit):
    return sorted(name for name in os.listdir(kit) if name.endswith(".msi"))


def recipe_steps(kit, architecture):
    """The msiexec runs of installers.md's recipes, in order, each as (option, MSI name,
    properties)."""
    installers_md = read_kit_file(kit, "docs/installers.md")
    runs = []
    for line in shell_lines(part_of(installers_md, RECIPES_PART)):
        if line.startswith("wine msiexec "):
            option, msi, *rest = shlex.split(line)[2:]
            runs.append((option, f"kit-{architecture}-{os.path.splitext(msi)[0]}",
                         [word for word in rest if word != "/qn"]))
    return runs


def unpack(zip_path, folder):
    """Unpacks a zip into an empty folder; returns the one folder that the zip holds."""
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)
    entries = os.listdir(folder)
    if len(entries) != 1:
        sys.exit(f"{zip_path} unpacks into {entries}, not into one folder")
    return os.path.join(folder, entries[0])


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
            scenarios.msiexec("/i", f"{name}-demo-game",
                              scenarios.registered(MSI_FOLDERS[architecture], tasks),
                              *scenarios.ADDED),
            scenarios.msiexec("/x", f"{name}-demo-game", {})]
        table[f"{architecture} kit, Inno Setup"] = [
            scenarios.inno_setup(f"{name}-inno",
                                 scenarios.registered(scenarios.INNO_FOLDER, tasks),
                                 *scenarios.ADDED),
            scenarios.inno_setup(f"{name}-inno", {}, uninstall=True)]
    return table


def recipe_scenarios(architecture):
    """installers.md's recipes as the tests run them from a kit: each msiexec line in order, with
    what it must leave, and the steps a tester adds between them (a task deleted before the
    repair, the upgrade's uninstall)."""
    runs = recipe_steps(KITS[architecture], architecture)
    if len(runs) != 11:
        raise AssertionError(f"installers.md's recipes changed: {runs}")
    steps = [lambda leaves, *logged, run=run, **step: scenarios.msiexec(
        run[0], run[1], leaves, *logged, properties=run[2], **step) for run in runs]
    tasks = [scenarios.PLAY, scenarios.MANUAL_TASK]
    game = scenarios.registered(MSI_FOLDERS[architecture], tasks)
    play = next(name for name in game if name.endswith(r"\Play.lnk"))
    local_app_data = scenarios.PREFIX.local_task_root.removesuffix(
        "\\" + scenarios.TASK_FOLDER_BELOW_APP_DATA)
    per_user_game = scenarios.registered(local_app_data + r"\Programs\Brackenfold Demo Game", tasks,
                                         "user", guid=scenarios.PER_USER_GAME_GUID)
    name = f"kit-{architecture}"
    failed = scenarios.INSTALL_FAILURE

    def products(count):
        # A 32-bit MSI's Add or Remove Programs entry is in the 32-bit view, which is not counted.
        return count if architecture == "x64" else None

    return {
        f"{architecture} kit, recipe: the rollback of the install and of the uninstall": [
            steps[0]({}, status=failed), steps[1](game), steps[2](game, status=failed),
            steps[3]({})],
        f"{architecture} kit, recipe: a repair writes a deleted task again": [
            scenarios.msiexec("/i", f"{name}-demo-game", game),
            scenarios.Step(["cmd", "/c", "del", play],
                           {key: value for key, value in game.items() if key != play}),
            steps[4](game), scenarios.msiexec("/x", f"{name}-demo-game", {})],
        f"{architecture} kit, recipe: an upgrade leaves one registration and one product": [
            steps[5](game, products=products(1)),
            steps[6](scenarios.registered(MSI_FOLDERS[architecture],
                                          [scenarios.PLAY, scenarios.READ_ME]),
                     products=products(1)),
            scenarios.msiexec("/x", f"{name}-demo-game-2", {}, products=products(0))],
        f"{architecture} kit, recipe: two flavours side by side": [
            steps[7](game), steps[8]({**game, **per_user_game}), steps[9](game), steps[10]({})],
        # The failing version 2 never registers the game (an upgrade registers it once its install
        # has succeeded): the old registration stays, and the old version's uninstall removes it.
        f"{architecture} kit, a failed upgrade keeps the old version installed and registered": [
            scenarios.msiexec("/i", f"{name}-demo-game", game, products=products(1)),
            scenarios.msiexec("/i", f"{name}-failing-upgrade", game, status=failed,
                              products=products(1)),
            scenarios.msiexec("/x", f"{name}-demo-game", {}, products=products(0))],
    }


class KitTest(unittest.TestCase):
    maxDiff = None

    def test_examples_built_in_each_unpacked_kit_install_and_uninstall(self):
        scenarios.check_scenarios(self, kit_scenarios(), INSTALLERS)

    def test_recipes_of_each_unpacked_kit_do_what_they_say(self):
        for architecture in ARCHITECTURES:
            scenarios.check_scenarios(self, recipe_scenarios(architecture), INSTALLERS)


class KitDocumentsTest(unittest.TestCase):
    """The kit's documents name only what the kit holds: each relative link leads to a file of
    the kit, and each command of a shell block is a kit file, a tool that installers.md's Tools
    part names, or a shell basic."""

    def test_links_and_commands_name_kit_files_or_named_tools(self):
        for architecture, kit in KITS.items():
            tools = {word.split()[0] for word in
                     re.findall(r"`([^`]+)`", part_of(read_kit_file(kit, "docs/installers.md"),
                                                      TOOLS_PART))}
            documents = [os.path.relpath(os.path.join(folder, name), kit)
                         for folder, _, names in os.walk(kit) for name in names
                         if name.endswith(".md")]
            self.assertEqual(sorted(documents), ["CHANGELOG.md", "README.md",
                                                 "docs/game-definition.md", "docs/installers.md"])
            for document in documents:
                text = read_kit_file(kit, document)
                for target in MARKDOWN_LINK.findall(text):
                    if not re.match(r"^\w+:", target):
                        path = os.path.join(kit, os.path.dirname(document), target)
                        self.assertTrue(os.path.isfile(path),
                                        f"{architecture} {document}: {target}")
                for line in shell_lines(text):
                    for command in commands_of(line):
                        self.assertTrue(command in SHELL_BASICS or command in tools
                                        or os.path.basename(command) in tools
                                        or os.path.isfile(os.path.join(kit, command)),
                                        f"{architecture} {document}: {command} in {line}")


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
            kit = KITS[architecture] = unpack(
                os.path.join(dist, f"brackenfold-{version}-windows-{architecture}.zip"), folder)
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
