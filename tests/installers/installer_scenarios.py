#!/usr/bin/env python3
"""Builds the installer examples of examples/ with makensis and wixl, runs them silently under
Wine, and checks what they leave registered; checks that the README's installer snippets are lines
of those examples.

Usage: installer_scenarios.py BRACKENFOLD_EXE DEMO_GAME_EXE [unittest options, such as -k Readme]

One Wine prefix, booted for the run and removed at the end, serves every scenario: each scenario
ends with an uninstall, and each step is judged by how the system differs from the scenario's
start, so that a scenario does not depend on what ran before it.
"""

import concurrent.futures
import dataclasses
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
# pylint: disable=wrong-import-position
from wine_prefix import WITHOUT_GAME_EXPLORER, WinePrefix
from wine_scenarios import (ALL_USERS_GAMES, ALL_USERS_UPGRADE, CURRENT_USER_GAMES,
                            CURRENT_USER_UPGRADE, Changes, game_explorer_record, shortcut_to,
                            stop_on_signal, task_tree, upgrade_record)

SOURCE_ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
EXAMPLES = os.path.join(SOURCE_ROOT, "examples")
NSIS_SCRIPT = os.path.join(EXAMPLES, "nsis", "demo-game.nsi")
WIX_SOURCE = os.path.join(EXAMPLES, "wix", "demo-game.wxs")
INNO_SCRIPT = os.path.join(EXAMPLES, "inno", "demo-game.iss")
MANUAL = os.path.join(EXAMPLES, "demo-game-manual.txt")
# The README's code blocks in its installer section, by their language, and the file that each
# must be quoted from.
README = os.path.join(SOURCE_ROOT, "README.md")
README_SECTION = "## Calling it from an installer"
QUOTED_FILES = {"nsis": NSIS_SCRIPT, "ini": INNO_SCRIPT, "xml": WIX_SOURCE}
# Game Explorer's own class ID, which a game that used it as its GUID would share with others.
GAME_EXPLORER_CLASS_ID = "9A5EA990-3034-4D6F-9128-01F3C61022BC"


def example_game_guid():
    with open(NSIS_SCRIPT, encoding="utf-8") as file:
        return re.search(r'^!define GAME_GUID "(\{[0-9A-F-]{36}\})"$', file.read(), re.M).group(1)


GAME_GUID = example_game_guid()
NSIS_FOLDER = r"C:\Games\Demo"
MSI_FOLDER = r"C:\Program Files\Brackenfold Demo Game"
# Wine's Game Explorer keeps a user's games under a key named by the user's SID.
USER_GAMES = ALL_USERS_GAMES.rpartition("\\")[0] + r"\S-1-5-<user>"

# The examples' tasks: kind folder, name, installed file, arguments.
PLAY = ("PlayTasks", "Play", "demo_game.exe", "-windowed")
MANUAL_TASK = ("SupportTasks", "Manual", "manual.txt", None)
READ_ME = ("SupportTasks", "Read Me", "manual.txt", None)

PREFIX = None
INSTALLERS = {}  # Windows path of each installer built for the run, by name


def installer_builds(brackenfold_exe, demo_game_exe):
    """Each installer the scenarios run: its name, then the build tool's command without the
    output file's option."""
    files = [f"-DGAME_EXE={demo_game_exe}", f"-DBRACKENFOLD_EXE={brackenfold_exe}"]
    nsis = ["makensis", "-V2", *files]
    return {
        "nsis-x86": [*nsis, "-DTARGET=x86-unicode", NSIS_SCRIPT],
        "nsis-amd64": [*nsis, "-DTARGET=amd64-unicode", NSIS_SCRIPT],
        "nsis-current": [*nsis, "-DSCOPE=current", NSIS_SCRIPT],
        "nsis-play-only": [*nsis, '-DTASKS="Play;$INSTDIR\\demo_game.exe;play;-windowed"',
                           NSIS_SCRIPT],
        # A game without a game definition, which Game Explorer refuses to add.
        "nsis-undefined-game": ["makensis", "-V2", f"-DGAME_EXE={brackenfold_exe}",
                                f"-DBRACKENFOLD_EXE={brackenfold_exe}", NSIS_SCRIPT],
        "msi-1": ["wixl", "-a", "x64", "-D", "Version=1.0.0", WIX_SOURCE],
        "msi-2": ["wixl", "-a", "x64", "-D", "Version=2.0.0", WIX_SOURCE],
    }


def build_installers(brackenfold_exe, demo_game_exe, folder):
    """Builds every installer into folder; returns their paths by name. wixl takes its files from
    the current folder, so it runs in one that holds them under their installed names."""
    staging = os.path.join(folder, "files")
    os.mkdir(staging)
    for source, name in ((demo_game_exe, "demo_game.exe"), (MANUAL, "manual.txt"),
                         (brackenfold_exe, "Brackenfold.exe")):
        shutil.copyfile(source, os.path.join(staging, name))
    built = {}
    for name, command in installer_builds(brackenfold_exe, demo_game_exe).items():
        built[name] = os.path.join(folder, name + (".msi" if command[0] == "wixl" else ".exe"))
        output_option = ["-o", built[name]] if command[0] == "wixl" else [f"-DOUTFILE={built[name]}"]
        completed = subprocess.run([*command[:-1], *output_option, command[-1]], cwd=staging,
                                   capture_output=True, text=True, timeout=120)
        if completed.returncode != 0:
            sys.exit(f"{command} failed:\n{completed.stdout}{completed.stderr}")
    return built


def registered(folder, tasks, scope="all", game_explorer=True):
    """What the example game leaves registered when it is installed in folder: its Game
    Explorer record (or, without Game Explorer, its upgrade key) and its task shortcuts."""
    game = folder + r"\demo_game.exe"
    if game_explorer:
        parent = ALL_USERS_GAMES if scope == "all" else USER_GAMES
        record = game_explorer_record(game)
    else:
        parent = ALL_USERS_UPGRADE if scope == "all" else CURRENT_USER_UPGRADE
        record = upgrade_record(game)
    task_root = PREFIX.common_task_root if scope == "all" else PREFIX.local_task_root
    shortcuts = {rf"{kind}\0\{name}.lnk": shortcut_to(rf"{folder}\{file}", arguments)
                 for kind, name, file, arguments in tasks}
    return {parent + "\\" + GAME_GUID: record, **task_tree(task_root, GAME_GUID, shortcuts)}


@dataclasses.dataclass(frozen=True)
class Step:
    command: list  # the installer (by name) or Windows program, and its arguments
    leaves: dict  # what the game has registered afterwards
    status: int = 0  # the installer's exit status
    environment: dict | None = None


def nsis_install(installer, *arguments, **step):
    return Step([installer, "/S", *arguments], **step)


def nsis_install_in_folder(installer, **step):
    return nsis_install(installer, rf"/D={NSIS_FOLDER}", **step)


def nsis_uninstall(**step):
    # The _? option runs the uninstaller in place, so that the run waits for it.
    return Step([NSIS_FOLDER + r"\uninstall.exe", "/S", rf"_?={NSIS_FOLDER}"], {}, **step)


def scenarios():
    """Each scenario's name and steps: the installers run one after another."""
    game = registered(NSIS_FOLDER, [PLAY, MANUAL_TASK])
    return {
        **{f"NSIS {target}: install registers for all users, uninstall removes it all": [
            nsis_install_in_folder(f"nsis-{target}", leaves=game), nsis_uninstall()]
           for target in ("x86", "amd64")},
        "NSIS per-user: install registers for the user, uninstall removes it all": [
            nsis_install_in_folder("nsis-current",
                                   leaves=registered(NSIS_FOLDER, [PLAY, MANUAL_TASK], "user")),
            nsis_uninstall()],
        "NSIS without Game Explorer: the upgrade keys, removed on uninstall": [
            nsis_install_in_folder(
                "nsis-x86", environment=WITHOUT_GAME_EXPLORER,
                leaves=registered(NSIS_FOLDER, [PLAY, MANUAL_TASK], game_explorer=False)),
            nsis_uninstall(environment=WITHOUT_GAME_EXPLORER)],
        # Run without /D=: the installer finds the installed game's folder in its registration.
        "NSIS reinstall with one task fewer: the old task is gone": [
            nsis_install_in_folder("nsis-x86", leaves=game),
            nsis_install("nsis-play-only", leaves=registered(NSIS_FOLDER, [PLAY])),
            nsis_uninstall()],
        "NSIS install of a game that Game Explorer refuses: the installer says so": [
            nsis_install_in_folder("nsis-undefined-game", leaves={}, status=2),
            nsis_uninstall(status=2)],
        "MSI install, uninstall, then upgrade from version 1 to 2 and uninstall": [
            Step(["msiexec", "/i", "msi-1", "/qn"], registered(MSI_FOLDER, [PLAY, MANUAL_TASK])),
            Step(["msiexec", "/x", "msi-1", "/qn"], {}),
            Step(["msiexec", "/i", "msi-1", "/qn"], registered(MSI_FOLDER, [PLAY, MANUAL_TASK])),
            Step(["msiexec", "/i", "msi-2", "/qn"], registered(MSI_FOLDER, [PLAY, READ_ME])),
            Step(["msiexec", "/x", "msi-2", "/qn"], {})],
    }


def current_state():
    """The prefix's state, with the user's SID in key names replaced by a placeholder."""
    return {CURRENT_USER_GAMES.sub(lambda _: USER_GAMES, name): value
            for name, value in PREFIX.state().items()}


class InstallerTest(unittest.TestCase):
    maxDiff = None

    def test_installers_register_and_remove_the_game(self):
        for name, steps in scenarios().items():
            start = current_state()
            # A step that fails does not stop its scenario: the uninstall at its end still runs.
            for number, step in enumerate(steps, 1):
                with self.subTest(name, step=number):
                    program, *arguments = (INSTALLERS.get(word, word) for word in step.command)
                    output = PREFIX.run(program, *arguments, environment=step.environment)
                    self.assertEqual(output.status, step.status, output)
                    self.assertEqual(Changes.between(start, current_state()),
                                     Changes(step.leaves, []))


def readme_installer_section():
    with open(README, encoding="utf-8") as file:
        return file.read().partition(README_SECTION)[2].partition("\n## ")[0]


class ReadmeTest(unittest.TestCase):
    def test_readme_installer_snippets_are_lines_of_the_examples(self):
        blocks = re.findall(r"^```(\w+)\n(.*?)^```$", readme_installer_section(), re.M | re.S)
        self.assertEqual(sorted(language for language, _ in blocks), sorted(QUOTED_FILES))
        for language, block in blocks:
            with open(QUOTED_FILES[language], encoding="utf-8") as file:
                example_lines = {line.strip() for line in file}
            for line in block.splitlines():
                if line.strip() not in ("", "..."):
                    self.assertIn(line.strip(), example_lines, f"{language} snippet")

    def test_examples_use_the_game_guid_and_never_game_explorer_class_id(self):
        for path in QUOTED_FILES.values():
            with open(path, encoding="utf-8") as file:
                text = file.read().upper()
            self.assertIn(GAME_GUID[1:], text, path)
            self.assertNotIn(GAME_EXPLORER_CLASS_ID, text, path)
        self.assertNotIn(GAME_EXPLORER_CLASS_ID, readme_installer_section().upper())


def main():
    global PREFIX
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    brackenfold_exe, demo_game_exe = (os.path.abspath(path) for path in sys.argv[1:3])
    for tool in ("wine", "wineserver", "lnkinfo", "makensis", "wixl"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-dependencies --wine")
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGINT, stop_on_signal)
    PREFIX = WinePrefix()
    builds = tempfile.mkdtemp(prefix="brackenfold-installers-")
    try:
        # The installers are built while the prefix boots.
        with concurrent.futures.ThreadPoolExecutor(max_workers=1) as executor:
            built = executor.submit(build_installers, brackenfold_exe, demo_game_exe, builds)
            PREFIX.boot()
            PREFIX.prepare_for_windowed_programs()
        for name, host_path in built.result().items():
            INSTALLERS[name] = "C:\\Installers\\" + os.path.basename(host_path)
            PREFIX.copy_in(host_path, INSTALLERS[name])
        result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], exit=False, verbosity=2).result
    finally:
        PREFIX.close()
        shutil.rmtree(builds, ignore_errors=True)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
