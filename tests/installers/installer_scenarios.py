#!/usr/bin/env python3
"""Builds the installer examples of examples/ with makensis, wixl (and msibuild) and Inno Setup's
compiler, runs them silently under Wine, and checks their exit status, their logs and what they
leave registered; calls the MSI custom action DLL twice in one process; checks that the README's
installer snippets are lines of those examples and that its NSIS snippet compiles.

Usage: installer_scenarios.py WINDOWS_BUILD_DIR WINDOWS_X86_BUILD_DIR DEMO_GAME_EXE
                              [unittest options, such as -k Readme]
(WINDOWS_BUILD_DIR holds brackenfold.exe, BrackenfoldMsi.dll and msi_action_host.exe; the x86
build's folder its BrackenfoldMsi.dll)

One Wine prefix, booted for the run and removed at the end, serves every scenario: each scenario
ends with an uninstall, and each step is judged by how the system differs from the scenario's
start, so that a scenario does not depend on what ran before it.
"""

import concurrent.futures
import dataclasses
import glob
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
import program_texts as texts
from wine_prefix import (ANSI_CODE_PAGE, TASK_FOLDER_BELOW_APP_DATA, WITHOUT_GAME_EXPLORER,
                         Shortcut, WinePrefix)
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
README = os.path.join(SOURCE_ROOT, "KIT-README.md")
README_SECTION = "## Calling it from an installer"
QUOTED_FILES = {"nsis": NSIS_SCRIPT, "ini": INNO_SCRIPT, "xml": WIX_SOURCE}
# Game Explorer's own class ID, which a game that used it as its GUID would share with others.
GAME_EXPLORER_CLASS_ID = "9A5EA990-3034-4D6F-9128-01F3C61022BC"
# wixl writes the example's rollback and commit actions as immediate ones; msibuild sets their
# types: a DLL from the Binary table (1), continuing on error (64), rollback (256) or commit (512),
# deferred (1024), and in the all-users MSI not impersonated (2048).
ROLLBACK_ACTIONS = "Action='RollbackRegisterGame' OR Action='RollbackUnregisterGame'"
COMMIT_ACTION = "Action='RegisterUpgradedGame'"
TYPE_FIXES = (f"UPDATE CustomAction SET Type=3393 WHERE {ROLLBACK_ACTIONS}",
              f"UPDATE CustomAction SET Type=3585 WHERE {COMMIT_ACTION}")
PER_USER_TYPE_FIXES = (f"UPDATE CustomAction SET Type=1345 WHERE {ROLLBACK_ACTIONS}",
                       f"UPDATE CustomAction SET Type=1537 WHERE {COMMIT_ACTION}")
# An action that fails after the registration, inserted into a build of the example: the custom
# action without a command line shows the usage and fails the install.
FAILURE_AFTER_REGISTRATION = (
    "INSERT INTO CustomAction (Action, Type, Source, Target) "
    "VALUES ('FailAfterRegistration', 3073, 'BrackenfoldMsi', 'RunBrackenfold')",
    "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) "
    "VALUES ('FailAfterRegistration', 'NOT REMOVE=\"ALL\"', 6595)")
# The same after the unregister, for an uninstall given FAILUNINSTALL=1.
FAILURE_AFTER_UNREGISTRATION = (
    "INSERT INTO CustomAction (Action, Type, Source, Target) "
    "VALUES ('FailAfterUnregistration', 3073, 'BrackenfoldMsi', 'RunBrackenfold')",
    "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) "
    "VALUES ('FailAfterUnregistration', 'REMOVE=\"ALL\" AND FAILUNINSTALL=\"1\"', 3491)")
# Inno Setup's compiler, installed by scripts/install-dependencies --wine from npm.
ISCC_GLOB = "/usr*/lib/node_modules/innosetup-compiler/bin/ISCC.exe"
# The Inno Setup example's exit status when the game could not be added.
INNO_REGISTRATION_FAILED = 10


def example_game_guids():
    """The NSIS example's game GUIDs: its per-user flavour's, then its all-users flavour's (the
    WiX example's flavours have the same)."""
    with open(NSIS_SCRIPT, encoding="utf-8") as file:
        return re.findall(r'^ *!define GAME_GUID "(\{[0-9A-F-]{36}\})"$', file.read(), re.M)


PER_USER_GAME_GUID, GAME_GUID = example_game_guids()
NSIS_FOLDER = r"C:\Games\Demo"
NSIS_PER_USER_FOLDER = r"C:\Games\MyDemo"
NSIS_INSTALL_LOG = NSIS_FOLDER + r"\brackenfold.log"
SKIPPED_TASK_LINE = r"Manual;$INSTDIR\manual.txt"
MSI_FOLDER = r"C:\Program Files\Brackenfold Demo Game"
MSI_X86_FOLDER = r"C:\Program Files (x86)\Brackenfold Demo Game"
INNO_FOLDER = MSI_FOLDER
PRODUCT_NAME = "Brackenfold Demo Game"
UNINSTALL_KEYS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
LOGS = r"C:\Logs"
# msiexec's status for an install that failed (ERROR_INSTALL_FAILURE).
INSTALL_FAILURE = 1603
# Runs a program and waits for it; prints its whole exit status, of which the host sees only the
# low 8 bits when msiexec exits under Wine.
STATUS_BATCH = r"C:\Installers\status.bat"
# start reads a first argument in quotes as the window's title: the empty title comes first.
STATUS_BATCH_TEXT = '@start "" /wait %*\r\n@echo status %errorlevel%\r\n'
# Wine's Game Explorer keeps a user's games under a key named by the user's SID.
USER_GAMES = ALL_USERS_GAMES.rpartition("\\")[0] + r"\S-1-5-<user>"

# The examples' tasks: kind folder, name, installed file, arguments.
PLAY = ("PlayTasks", "Play", "demo_game.exe", "-windowed")
MANUAL_TASK = ("SupportTasks", "Manual", "manual.txt", None)
READ_ME = ("SupportTasks", "Read Me", "manual.txt", None)

PREFIX = None
INSTALLERS = {}  # Windows path of each installer built for the run, by name
BUILD = {}  # the Windows build's files and the demo game on the host, by role


def windows_path_of_host(path):
    """The path of a host file through Wine's drive Z:, the host's root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def nsis_builds(brackenfold_exe, demo_game_exe):
    """Each NSIS installer the scenarios run: its name and makensis's command without the output
    file's option."""
    files = [f"-DGAME_EXE={demo_game_exe}", f"-DBRACKENFOLD_EXE={brackenfold_exe}"]
    nsis = ["makensis", "-V2", *files]
    return {
        "nsis-x86": [*nsis, "-DTARGET=x86-unicode", NSIS_SCRIPT],
        "nsis-amd64": [*nsis, "-DTARGET=amd64-unicode", NSIS_SCRIPT],
        "nsis-current": [*nsis, "-DSCOPE=current", NSIS_SCRIPT],
        "nsis-play-only": [*nsis, '-DTASKS="Play;$INSTDIR\\demo_game.exe;play;-windowed"',
                           NSIS_SCRIPT],
        # A support task line without its kind, which the program skips.
        "nsis-task-line-skipped": [*nsis, '-DTASKS="Play;$INSTDIR\\demo_game.exe;play;-windowed" '
                                   f'"{SKIPPED_TASK_LINE}"', NSIS_SCRIPT],
        # A game without a game definition, which Game Explorer refuses to add.
        "nsis-undefined-game": ["makensis", "-V2", f"-DGAME_EXE={brackenfold_exe}",
                                f"-DBRACKENFOLD_EXE={brackenfold_exe}", NSIS_SCRIPT],
    }


def msi_builds(demo_game_exe):
    """Each MSI the scenarios run: its name, wixl's defines, and the SQL run on the build."""
    def defines(version, game=demo_game_exe, dll=BUILD["dll"]):
        # wixl takes a file's path relative to the current folder: the root, for the build.
        files = {"GameExe": game, "Manual": MANUAL, "CustomActionDll": dll}
        return [f"Version={version}",
                *(f"{name}={os.path.relpath(path, '/')}" for name, path in files.items())]
    return {
        "msi-1": (defines("1.0.0"), TYPE_FIXES),
        "msi-x86": ([*defines("1.0.0", dll=BUILD["x86_dll"]), "Platform=x86"], TYPE_FIXES),
        "msi-1-rebuilt": (defines("1.0.0"), TYPE_FIXES),
        "msi-2": (defines("2.0.0"), TYPE_FIXES),
        "msi-undefined-game": (defines("1.0.0", BUILD["program"]), TYPE_FIXES),
        "msi-2-undefined-game": (defines("2.0.0", BUILD["program"]), TYPE_FIXES),
        "msi-failing-after-registration": (defines("1.0.0"),
                                           [*TYPE_FIXES, *FAILURE_AFTER_REGISTRATION]),
        "msi-failing-after-unregistration": (defines("1.0.0"),
                                             [*TYPE_FIXES, *FAILURE_AFTER_UNREGISTRATION]),
        "msi-per-user": ([*defines("1.0.0"), "Scope=current"], PER_USER_TYPE_FIXES),
    }


def run_build(command, **options):
    completed = subprocess.run(command, capture_output=True, text=True, timeout=300, **options)
    if completed.returncode != 0:
        sys.exit(f"{command} failed:\n{completed.stdout}{completed.stderr}")


def build_installers(demo_game_exe, folder):
    """Builds every NSIS installer and MSI into folder; returns their paths by name."""
    built = {}
    for name, command in nsis_builds(BUILD["program"], demo_game_exe).items():
        built[name] = os.path.join(folder, name + ".exe")
        run_build([*command[:-1], f"-DOUTFILE={built[name]}", command[-1]])
    for name, (defines, queries) in msi_builds(demo_game_exe).items():
        built[name] = os.path.join(folder, name + ".msi")
        options = [word for define in defines for word in ("-D", define)]
        architecture = "x86" if "Platform=x86" in defines else "x64"
        run_build(["wixl", "-a", architecture, *options, "-o", built[name], WIX_SOURCE], cwd="/")
        for query in queries:
            run_build(["msibuild", built[name], "-q", query])
    return built


def build_inno_setups(demo_game_exe, folder):
    """Compiles the Inno Setup example with ISCC.exe in the prefix: with the demo game, and with a
    game without a definition. Returns their paths by name."""
    iscc = glob.glob(ISCC_GLOB)[0]
    built = {}
    for name, game in (("inno", demo_game_exe), ("inno-undefined-game", BUILD["program"])):
        built[name] = os.path.join(folder, name + ".exe")
        run_build(["wine", iscc, "/Q", "/O" + windows_path_of_host(folder), "/F" + name,
                   "/DGameExe=" + windows_path_of_host(game),
                   "/DBrackenfoldExe=" + windows_path_of_host(BUILD["program"]),
                   windows_path_of_host(INNO_SCRIPT)],
                  env=PREFIX.environment)
    return built


def registered(folder, tasks, scope="all", game_explorer=True, guid=GAME_GUID):
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
    return {parent + "\\" + guid: record, **task_tree(task_root, guid, shortcuts)}


@dataclasses.dataclass(frozen=True)
class Step:
    command: list  # the installer (by name) or Windows program, and its arguments
    leaves: dict  # what the game has registered afterwards
    status: int = 0  # the installer's exit status
    environment: dict | None = None
    log: str | None = None  # the Windows path of a log the step writes
    logged: tuple = ()  # patterns, each of which must match a line of that log
    products: int | None = None  # how many products of the example's name are installed after it


def nsis_install(installer, *arguments, **step):
    return Step([installer, "/S", *arguments], **step)


def nsis_folder_option(option, folder):
    """NSIS's /D= or _?= with a folder, as words without blanks: Wine would quote a word with a
    blank, and NSIS reads neither option in quotes, but takes the words after it to the line's
    end as the folder."""
    return f"{option}={folder}".split(" ")


def nsis_install_in_folder(installer, folder=NSIS_FOLDER, **step):
    return nsis_install(installer, *nsis_folder_option("/D", folder), **step)


def nsis_uninstall(folder=NSIS_FOLDER, leaves=None, uninstaller_folder=None, **step):
    # The _? option runs the uninstaller in place, so that the run waits for it.
    return Step([(uninstaller_folder or folder) + r"\uninstall.exe", "/S",
                 *nsis_folder_option("_?", folder)], leaves or {}, **step)


def nsis_words(section, status):
    """The words with which the NSIS example's section reports a status of the program."""
    with open(NSIS_SCRIPT, encoding="utf-8") as file:
        body = file.read().partition(f'\nSection "{section}"')[2]
    words = re.search(rf'\$0 == {status}\n *!insertmacro Report "([^"]*)"', body)[1]
    return "^" + re.escape(words.replace("${NAME}", PRODUCT_NAME)) + "$"


def nsis_logged(*printed_lines):
    """Patterns for lines the program printed, in a log of the NSIS example's silent runs."""
    return tuple(logged_line(line, prefix="") for line in printed_lines)


def msiexec(option, installer, leaves, *logged, status=0, products=None, properties=()):
    log = rf"{LOGS}\{installer}-{option[1:]}.log"
    return Step(["msiexec", option, installer, *properties, "/qn", "/l*v", log], leaves, status,
                log=log, logged=logged, products=products)


def inno_setup(installer, leaves, *logged, status=0, uninstall=False):
    log = rf"{LOGS}\{installer}{'-uninstall' if uninstall else ''}.log"
    program = INNO_FOLDER + r"\unins000.exe" if uninstall else installer
    return Step([program, "/VERYSILENT", "/SUPPRESSMSGBOXES", f"/LOG={log}"], leaves, status,
                log=log, logged=logged)


def log_lines(printed, prefix=texts.MSI_LOG_LINE_PREFIX):
    """The lines the program printed as a log holds them: each behind prefix, without its line
    feed; an empty line, which would log a bare prefix, is left out."""
    return [prefix + line for line in printed.split("\n") if line]


def log_line(printed_line, prefix=texts.MSI_LOG_LINE_PREFIX):
    return prefix + printed_line.removesuffix("\n")


def logged_line(printed_line, prefix=texts.MSI_LOG_LINE_PREFIX):
    """A pattern for a line of an installer's log that ends in a line the program printed."""
    return re.escape(log_line(printed_line, prefix)) + "$"


def reason_pattern(prefix=texts.MSI_LOG_LINE_PREFIX):
    return re.escape(prefix + texts.REASON_LINE_START) + r".* \(0x[0-9A-F]{8}\)$"


# The lines of the custom action and of the Inno Setup example (which logs the program's lines
# behind the same prefix) in their installers' logs.
ADDED = [logged_line(texts.task_added_line(name, 0)) for name in ("Play", "Manual")]
DONE = logged_line(texts.DONE)
NOT_ADDED = logged_line(texts.not_added_line(rf"{MSI_FOLDER}\demo_game.exe"))
REASON = reason_pattern()
REMOVED = logged_line(texts.removed_line(rf"{MSI_FOLDER}\demo_game.exe"))


def scenarios():
    """Each scenario's name and steps: the installers run one after another."""
    game = registered(NSIS_FOLDER, [PLAY, MANUAL_TASK])
    per_user_game = registered(NSIS_PER_USER_FOLDER, [PLAY, MANUAL_TASK], "user",
                               guid=PER_USER_GAME_GUID)
    msi_game = registered(MSI_FOLDER, [PLAY, MANUAL_TASK])
    local_app_data = PREFIX.local_task_root.removesuffix("\\" + TASK_FOLDER_BELOW_APP_DATA)
    msi_per_user_folder = local_app_data + r"\Programs\Brackenfold Demo Game"
    # A silent uninstall keeps the program's lines in the user's temporary folder.
    uninstall_log = PREFIX.run("cmd", "/c", "echo %TEMP%").stdout.strip() + (
        r"\brackenfold-uninstall.log")
    first_folder, second_folder = r"C:\Games\Star Hopper", r"C:\Games\SH2"
    return {
        **{f"NSIS {target}: install registers for all users, uninstall removes it all": [
            nsis_install_in_folder(f"nsis-{target}", leaves=game),
            nsis_uninstall(log=uninstall_log, logged=nsis_logged(
                texts.removed_line(rf"{NSIS_FOLDER}\demo_game.exe"), texts.DONE))]
           for target in ("x86", "amd64")},
        # The earlier install's uninstaller runs first, for its folder (with a blank: /D= works
        # under Wine as words without blanks). An uninstaller run for that folder afterwards
        # leaves the new install's registration and Add/Remove Programs entry.
        "NSIS reinstall into another folder: the earlier install is removed first": [
            nsis_install_in_folder("nsis-x86", first_folder, products=1,
                                   leaves=registered(first_folder, [PLAY, MANUAL_TASK])),
            nsis_install_in_folder("nsis-x86", second_folder, products=1,
                                   leaves=registered(second_folder, [PLAY, MANUAL_TASK]),
                                   log=uninstall_log, logged=nsis_logged(
                                       texts.removed_line(rf"{first_folder}\demo_game.exe"))),
            nsis_uninstall(first_folder, uninstaller_folder=second_folder, products=1,
                           leaves=registered(second_folder, [PLAY, MANUAL_TASK])),
            nsis_uninstall(second_folder, products=0)],
        # Each flavour has a GUID of its own: the per-user one installed beside the all-users one
        # registers for the user, and its uninstall leaves the other's registration.
        "NSIS per-user beside all users: each registers and removes only its own": [
            nsis_install_in_folder("nsis-amd64", leaves=game),
            nsis_install("nsis-current", rf"/D={NSIS_PER_USER_FOLDER}",
                         leaves={**game, **per_user_game}),
            nsis_uninstall(NSIS_PER_USER_FOLDER, leaves=game),
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
        # A silent install keeps Brackenfold's lines in the install folder; the uninstall finds
        # nothing of the game and counts that as success.
        "NSIS install of a game that Game Explorer refuses: the installer says so and why": [
            nsis_install_in_folder("nsis-undefined-game", leaves={}, status=2,
                                   log=NSIS_INSTALL_LOG, logged=(
                                       *nsis_logged(texts.not_added_line(
                                           rf"{NSIS_FOLDER}\demo_game.exe")),
                                       reason_pattern(prefix=""), nsis_words("Install", 2))),
            nsis_uninstall()],
        "NSIS install with a task line the program skips: the installer says so and exits 3": [
            nsis_install_in_folder("nsis-task-line-skipped", leaves=registered(NSIS_FOLDER, [PLAY]),
                                   status=3, log=NSIS_INSTALL_LOG, logged=(
                                       *nsis_logged(texts.task_line_too_short_line(
                                           SKIPPED_TASK_LINE.replace("$INSTDIR", NSIS_FOLDER))),
                                       nsis_words("Install", 3))),
            nsis_uninstall()],
        "MSI install, uninstall, then upgrade from version 1 to 2 and uninstall": [
            msiexec("/i", "msi-1", msi_game, *ADDED, DONE),
            msiexec("/x", "msi-1", {}, REMOVED, DONE),
            msiexec("/i", "msi-1", msi_game),
            msiexec("/i", "msi-2", registered(MSI_FOLDER, [PLAY, READ_ME])),
            msiexec("/x", "msi-2", {})],
        # Each build has a product code of its own: the second replaces the first rather than
        # installing beside it.
        "MSI for 32-bit Windows: the x86 DLL registers in the 64-bit view": [
            msiexec("/i", "msi-x86", registered(MSI_X86_FOLDER, [PLAY, MANUAL_TASK]), *ADDED),
            msiexec("/x", "msi-x86", {})],
        "MSI rebuilt in the same version: the rebuild replaces the first build": [
            msiexec("/i", "msi-1", msi_game, products=1),
            msiexec("/i", "msi-1-rebuilt", msi_game, products=1),
            msiexec("/x", "msi-1-rebuilt", {}, products=0)],
        "MSI install of a game that Game Explorer refuses: the install fails and says why": [
            msiexec("/i", "msi-undefined-game", {}, NOT_ADDED, REASON, status=INSTALL_FAILURE)],
        # The upgrade registers the game once its files are installed; that failing fails the
        # upgrade, which leaves version 1 installed and registered as it was.
        "MSI upgrade of a game that Game Explorer refuses: version 1 stays registered": [
            msiexec("/i", "msi-1", msi_game, products=1),
            msiexec("/i", "msi-2-undefined-game", msi_game, NOT_ADDED, REASON,
                    status=INSTALL_FAILURE, products=1),
            msiexec("/x", "msi-1", {}, products=0)],
        "MSI install failing after the registration: the rollback removes the registration": [
            msiexec("/i", "msi-failing-after-registration", {}, *ADDED, REMOVED,
                    status=INSTALL_FAILURE)],
        "MSI uninstall failing after the unregister: the rollback registers the game again": [
            msiexec("/i", "msi-failing-after-unregistration", msi_game),
            msiexec("/x", "msi-failing-after-unregistration", msi_game, REMOVED, *ADDED,
                    status=INSTALL_FAILURE, properties=["FAILUNINSTALL=1"]),
            msiexec("/x", "msi-failing-after-unregistration", {})],
        "MSI per-user: install registers for the user, uninstall removes it all": [
            msiexec("/i", "msi-per-user",
                    registered(msi_per_user_folder, [PLAY, MANUAL_TASK], "user",
                               guid=PER_USER_GAME_GUID), *ADDED),
            msiexec("/x", "msi-per-user", {})],
        "Inno Setup install and uninstall": [
            inno_setup("inno", registered(INNO_FOLDER, [PLAY, MANUAL_TASK]), *ADDED, DONE),
            inno_setup("inno", {}, REMOVED, DONE, uninstall=True)],
        "Inno Setup install of a game that Game Explorer refuses: the setup says so and why": [
            inno_setup("inno-undefined-game", {}, NOT_ADDED, REASON,
                       status=INNO_REGISTRATION_FAILED),
            inno_setup("inno-undefined-game", {}, uninstall=True)],
    }


BANNER_LINES = [line for line in texts.BANNER.splitlines() if line]
# Before each line the MSI custom action logs in msi_action_host's output.
HOST_LOG_PREFIX = "log: " + texts.MSI_LOG_LINE_PREFIX


def current_state():
    """The prefix's state, with the user's SID in key names replaced by a placeholder."""
    return {CURRENT_USER_GAMES.sub(lambda _: USER_GAMES, name): value
            for name, value in PREFIX.state().items()}


def run_with_whole_status(program, *arguments, environment=None):
    """Runs a Windows program through STATUS_BATCH; returns its output and whole exit status."""
    output = PREFIX.run("cmd", "/c", STATUS_BATCH, program, *arguments, environment=environment)
    status = re.search(r"^status (-?\d+)\r?$", output.stdout, re.M)
    return output, int(status.group(1)) if status else None


def installed_products():
    """How many installed products carry the examples' name, as Add or Remove Programs lists
    them."""
    listed = PREFIX.keys_below(UNINSTALL_KEYS).values()
    return sum(values.get("DisplayName") == ("REG_SZ", PRODUCT_NAME) for values in listed)


def read_log(windows_path):
    """A log's lines: msiexec and Inno Setup write them in the ANSI code page, or in UTF-16 or
    UTF-8 with a byte order mark."""
    with open(PREFIX.host_path(windows_path), "rb") as file:
        data = file.read()
    for mark, encoding in ((b"\xff\xfe", "utf-16-le"), (b"\xef\xbb\xbf", "utf-8")):
        if data.startswith(mark):
            return data[len(mark):].decode(encoding).splitlines()
    return data.decode(ANSI_CODE_PAGE, errors="replace").splitlines()


def check_scenarios(test, table, installers):
    """Runs each scenario of table, by name, as subtests of test: its steps one after another, the
    installers named in them taken from installers (their Windows paths by name)."""
    for name, steps in table.items():
        start = current_state()
        # A step that fails does not stop its scenario: the uninstall at its end still runs.
        for number, step in enumerate(steps, 1):
            with test.subTest(name, step=number):
                program, *arguments = (installers.get(word, word) for word in step.command)
                output, status = run_with_whole_status(program, *arguments,
                                                       environment=step.environment)
                test.assertEqual(status, step.status, output)
                if step.leaves is not None:  # None: what it leaves is not checked
                    test.assertEqual(Changes.between(start, current_state()),
                                     Changes(step.leaves, []))
                if step.products is not None:
                    test.assertEqual(installed_products(), step.products)
                if step.log:
                    lines = read_log(step.log)
                    for pattern in step.logged:
                        test.assertTrue(any(re.search(pattern, line) for line in lines),
                                        f"{pattern} in {step.log}:\n" + "\n".join(lines))
                    # The program's lines reach a log without its banner.
                    test.assertFalse([line for line in lines for banner_line in BANNER_LINES
                                      if line.endswith(banner_line)], step.log)


class InstallerTest(unittest.TestCase):
    maxDiff = None

    def test_installers_register_and_remove_the_game(self):
        check_scenarios(self, scenarios(), INSTALLERS)


class MsiCustomActionTest(unittest.TestCase):
    """RunBrackenfold called four times by one process, as msiexec's custom action server reuses
    itself: each call's lines reach the log as the program printed them, every character and
    bracket kept, and each call's result follows its own run."""

    maxDiff = None
    GUID = "{D8A4F0B2-6C1E-4B7A-9E35-2F80C1A7B964}"
    FOLDER = "C:\\Games\\\u03a9mega [1]"

    def test_calls_in_one_process_each_log_their_own_lines_and_result(self):
        game = self.FOLDER + r"\demo_game.exe"
        missing = self.FOLDER + r"\missing.exe"
        PREFIX.copy_in(BUILD["demo_game"], game)
        start = current_state()
        output = PREFIX.run(INSTALLERS["msi_action_host"], INSTALLERS["brackenfold_msi"],
                            INSTALLERS["msi-1"],
                            f'-guid:{self.GUID} -add all "{game}" "Play;{game};play"',
                            f'-guid:{self.GUID} -add all "{missing}"', "",
                            f'-guid:{self.GUID} -del "{game}"')
        runs = [[line for line in run.splitlines() if line]
                for run in re.split(r"^result: \d+$", output.stdout.replace("\r", ""), flags=re.M)]
        results = re.findall(r"^result: (\d+)", output.stdout, re.M)
        escaped = self.FOLDER.replace("\u03a9", "\\u03a9")
        prefix = HOST_LOG_PREFIX
        obtained = texts.guid_obtained_line(self.GUID)
        self.assertEqual(results, ["0", "1603", "1603", "0"], output)
        self.assertEqual(runs[0][-3:], log_lines(
            obtained + texts.task_added_line("Play", 0) + texts.DONE, prefix))
        self.assertEqual(runs[1][-4:], [
            *log_lines(obtained + texts.not_added_line(escaped + "\\missing.exe"), prefix),
            runs[1][-2], log_line(texts.DONE, prefix)])
        self.assertTrue(runs[1][-2].startswith(prefix + texts.REASON_LINE_START), runs[1])
        self.assertEqual(runs[2], log_lines(texts.USAGE, prefix))
        self.assertIn(log_line(texts.removed_line(escaped + "\\demo_game.exe"), prefix), runs[3])
        self.assertEqual(Changes.between(start, current_state()), Changes({}, []))


def host_runs(*command_lines):
    """Calls RunBrackenfold once for each command line, in one msi_action_host process; returns
    each call's log lines, without msiexec's own, and each call's result."""
    output = PREFIX.run(INSTALLERS["msi_action_host"], INSTALLERS["brackenfold_msi"],
                        INSTALLERS["msi-1"], *command_lines).stdout.replace("\r", "")
    runs = [[line for line in run.splitlines() if line.startswith(HOST_LOG_PREFIX)]
            for run in re.split(r"^result: \d+$", output, flags=re.M)]
    return runs[:-1], re.findall(r"^result: (\d+)$", output, re.M)


class MsiActionDataTest(unittest.TestCase):
    """CustomActionData means what the same text means after the program's name on its own
    command line, and each line the program prints is one line of the MSI log."""

    maxDiff = None
    GUID = "{5B0C31E4-2A7D-4F19-8C6E-93D1A4B27F05}"
    FOLDER = r"C:\Games\Action Data"
    # Two quotes inside quotes, backslashes before quotes and a folder's backslashes.
    TASK_LINE = r'"Play;{game};play;-name ""a b"" -x \\"q\\" c:\\dir\\ end"'
    TASK_ARGUMENTS = r'-name "a b" -x \q\ c:\\dir\\ end'

    def setUp(self):
        self.game = self.FOLDER + r"\demo_game.exe"
        self.program = self.FOLDER + r"\brackenfold.exe"
        PREFIX.copy_in(BUILD["demo_game"], self.game)
        PREFIX.copy_in(BUILD["program"], self.program)
        self.start = current_state()

    def changes(self):
        return Changes.between(self.start, current_state())

    def test_action_data_gives_the_task_of_the_same_program_command_line(self):
        command_line = (f'-guid:{self.GUID} -add all "{self.game}" '
                        + self.TASK_LINE.format(game=self.game))
        delete = f'-guid:{self.GUID} -del "{self.game}"'
        # A batch file hands the program its command line exactly as written.
        batch = r"C:\Installers\action_data.bat"
        PREFIX.write_bytes(batch, f'@"{self.program}" -exitcode {command_line}\r\n'
                           '@echo status %errorlevel%\r\n'.encode("ascii"))
        program = PREFIX.run("cmd", "/c", batch)
        self.assertIn("status 0", program.stdout, program)
        by_program = self.changes()
        shortcuts = [value for value in by_program.added.values() if isinstance(value, Shortcut)]
        self.assertEqual(shortcuts, [shortcut_to(self.game, self.TASK_ARGUMENTS)])
        PREFIX.run(self.program, f"-guid:{self.GUID}", "-del", self.game)
        self.assertEqual(self.changes(), Changes({}, []))

        runs, results = host_runs(command_line)
        self.assertEqual(results, ["0"], runs)
        self.assertEqual(self.changes(), by_program)
        _, results = host_runs(delete)
        self.assertEqual(results, ["0"])

    def test_log_keeps_a_path_with_a_line_break_on_one_line_and_refuses_broken_task_lines(self):
        missing = self.FOLDER + "\\new\nline.exe"
        # The installer's folder property ends in a backslash, which escapes the closing quote.
        broken = (f'-guid:{self.GUID} -add all "{self.game}" '
                  f'"Play;{self.game};play;-data {self.FOLDER}\\"')
        runs, results = host_runs(f'-guid:{self.GUID} -add all "{missing}"', broken,
                                  f'-guid:{self.GUID} -del "{self.game}"')
        self.assertEqual(results, ["1603", "1603", "0"], runs)
        prefix = HOST_LOG_PREFIX
        self.assertIn(log_line(texts.not_added_line(self.FOLDER + "\\new\\nline.exe"), prefix),
                      runs[0])
        task_failure = runs[1].index(log_line(texts.task_not_added_line("Play"), prefix))
        self.assertRegex(runs[1][task_failure + 1], r"^" + re.escape(
            prefix + texts.REASON_LINE_START) + r"\S.* \(0x[0-9A-F]{8}\)$")
        self.assertEqual(self.changes(), Changes({}, []))


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

    def test_readme_nsis_snippet_compiles_on_its_own(self):
        block = re.search(r"^```nsis\n(.*?)^```$", readme_installer_section(), re.M | re.S)[1]
        folder = tempfile.mkdtemp(prefix="brackenfold-snippet-")
        self.addCleanup(shutil.rmtree, folder)
        script = os.path.join(folder, "snippet.nsi")
        with open(script, "w", encoding="utf-8") as file:
            file.write("".join(line + "\n" for line in block.splitlines() if line != "..."))
        # Only the installer's file name comes from outside the snippet.
        compiled = subprocess.run(["makensis", "-V2", "-WX",
                                   "-XOutFile " + os.path.join(folder, "snippet.exe"), script],
                                  capture_output=True, text=True, timeout=120)
        self.assertEqual(compiled.returncode, 0, compiled.stdout + compiled.stderr)

    def test_examples_use_the_game_guid_and_never_game_explorer_class_id(self):
        for path in QUOTED_FILES.values():
            with open(path, encoding="utf-8") as file:
                text = file.read().upper()
            self.assertIn(GAME_GUID[1:], text, path)
            self.assertNotIn(GAME_EXPLORER_CLASS_ID, text, path)
        self.assertNotIn(GAME_EXPLORER_CLASS_ID, readme_installer_section().upper())


def main():
    global PREFIX
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    windows_build, windows_x86_build, demo_game_exe = (os.path.abspath(path)
                                                         for path in sys.argv[1:4])
    BUILD.update(program=os.path.join(windows_build, "brackenfold.exe"),
                 dll=os.path.join(windows_build, "BrackenfoldMsi.dll"),
                 host=os.path.join(windows_build, "msi_action_host.exe"), demo_game=demo_game_exe,
                 x86_dll=os.path.join(windows_x86_build, "BrackenfoldMsi.dll"))
    for path in BUILD.values():
        if not os.path.isfile(path):
            sys.exit(f"{path} does not exist: build the windows preset first")
    for tool in ("wine", "wineserver", "lnkinfo", "makensis", "wixl", "msibuild", "xvfb-run"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-dependencies --wine")
    if not glob.glob(ISCC_GLOB):
        sys.exit("Inno Setup's compiler is missing: run scripts/install-dependencies --wine")
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGINT, stop_on_signal)
    PREFIX = WinePrefix()
    builds = tempfile.mkdtemp(prefix="brackenfold-installers-")
    try:
        # The NSIS installers and the MSIs are built while the prefix boots; Inno Setup's
        # compiler runs in the prefix.
        with concurrent.futures.ThreadPoolExecutor(max_workers=1) as executor:
            built = executor.submit(build_installers, demo_game_exe, builds)
            # Inno Setup's setups need a display even when silent.
            PREFIX.use_own_display()
            PREFIX.boot()
            PREFIX.prepare_for_windowed_programs()
            built = {**built.result(), **build_inno_setups(demo_game_exe, builds),
                     "brackenfold_msi": BUILD["dll"], "msi_action_host": BUILD["host"]}
        for name, host_path in built.items():
            INSTALLERS[name] = "C:\\Installers\\" + os.path.basename(host_path)
            PREFIX.copy_in(host_path, INSTALLERS[name])
        PREFIX.write_bytes(STATUS_BATCH, STATUS_BATCH_TEXT.encode("ascii"))
        os.makedirs(PREFIX.host_path(LOGS), exist_ok=True)
        result = unittest.main(argv=[sys.argv[0], *sys.argv[4:]], exit=False, verbosity=2).result
    finally:
        PREFIX.close()
        shutil.rmtree(builds, ignore_errors=True)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
