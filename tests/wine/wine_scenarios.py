#!/usr/bin/env python3
"""Runs the Windows build of Brackenfold under Wine, against Wine's own COM, Game Explorer,
registry, shell links and WMI, and checks exactly what it prints, its exit status and what it
leaves on the system.

Usage: wine_scenarios.py BRACKENFOLD_EXE DEMO_GAME_EXE [unittest options, such as -k delete]

Every run boots a Wine prefix of its own in a temporary folder and removes it at the end, so that
concurrent runs never share one. Each scenario installs its own copy of the demo game, and each
run of the program is judged by what it changed: the state read before and after it differs by
exactly the keys, folders and shortcuts the scenario expects, so the scenarios do not depend on
their order.
"""

import concurrent.futures
import dataclasses
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest
import xml.etree.ElementTree as ElementTree

from program_texts import (BANNER, DONE, GAME_LOCK_DEADLINE_SECONDS, REASON_LINE_START,
                           REASON_WITHOUT_MESSAGE, TASK_NAME_EMPTY_LINE, USAGE,
                           guid_obtained_line, leading_columns, listed_record_line,
                           listed_task_line, not_added_line, not_found_line,
                           registration_removed_lines, removed_line, replaced_line,
                           task_added_line,
                           task_line_too_short_line, task_not_added_line, tasks_not_removed_line,
                           tasks_removed_line)
from wine_prefix import (FOLDER, WITHOUT_GAME_EXPLORER, InternetShortcut, Output, Shortcut,
                         WinePrefix)

# The demo game's definition, UTF-16 with a byte order mark, as its binary embeds it.
DEFINITION_FILE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "demo-game",
                               "game_definition.xml")
# A text file that a new user might pass as the game.
README = os.path.join(os.path.dirname(__file__), "..", "..", "README.md")
PROGRAM = None  # the Windows build, set by main()
DEMO_GAME = None
PREFIX = None

GAMEUX = r"HKLM\Software\Microsoft\Windows\CurrentVersion\GameUX"
ALL_USERS_GAMES = GAMEUX + r"\Games"
ALL_USERS_UPGRADE = GAMEUX + r"\GamesToFindOnWindowsUpgrade"
CURRENT_USER_UPGRADE = (r"HKCU\Software\Classes\Software\Microsoft\Windows\CurrentVersion"
                        r"\GameUX\GamesToFindOnWindowsUpgrade")
# Wine's Game Explorer keeps a current user's games under a key named by the user's SID.
CURRENT_USER_GAMES = re.compile(re.escape(GAMEUX) + r"\\S-1-5-[0-9-]+")
# Keys and task folders are named by the braced upper-case form of a game's GUID.
BRACED_GUID = r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}"


def console(text):
    """The Windows C runtime writes its standard streams in text mode: every line feed reaches
    the pipe as a carriage return and a line feed."""
    return text.replace("\n", "\r\n")


def printed(stdout="", stderr="", status=0):
    return Output(console(stdout), console(stderr), status)


# The line after each failure line gives the system's message for the failure's code, which is
# Wine's own text here: the scenarios compare the code.
REASON_LINE = re.compile(rf"^{re.escape(REASON_LINE_START)}(?:.* \((0x[0-9A-F]{{8}})\)|"
                         rf"{re.escape(REASON_WITHOUT_MESSAGE)}(0x[0-9A-F]{{8}}))\r$",
                         re.MULTILINE)


def reason(code):
    """The reason line with code, as reason_codes_only leaves it."""
    return f"{REASON_LINE_START}{code}\n"


def reason_codes_only(output):
    stderr = REASON_LINE.sub(lambda line: REASON_LINE_START + (line[1] or line[2]) + "\r",
                             output.stderr)
    return Output(output.stdout, stderr, output.status)


@dataclasses.dataclass(frozen=True)
class DemoGame:
    """The identity that the demo game's embedded definition gives it."""

    game_id: str
    name: str
    description: str

    @staticmethod
    def read():
        namespace = {"gdf": "urn:schemas-microsoft-com:GameDescription.v1"}
        definition = ElementTree.parse(DEFINITION_FILE).getroot().find("gdf:GameDefinition",
                                                                        namespace)
        return DemoGame(definition.get("gameID"), definition.findtext("gdf:Name", None, namespace),
                        definition.findtext("gdf:Description", None, namespace))


DEMO = DemoGame.read()


@dataclasses.dataclass
class Changes:
    added: dict  # new or changed entries of the state, with their new contents
    removed: list  # names of entries that are gone, sorted

    @staticmethod
    def between(before, after):
        return Changes({name: value for name, value in after.items() if before.get(name) != value},
                       sorted(name for name in before if name not in after))


NO_CHANGES = Changes({}, [])


def text_value(text):
    return ("REG_SZ", text)


def folder_of(path):
    return path.rpartition("\\")[0]


def game_explorer_record(path):
    """What Wine's Game Explorer records for an added game: the paths it was given, and the
    identity, title and description from the game's embedded definition. Its 32-bit side, which
    the x86 build loads under WOW64, records the same in the same key of the 64-bit view."""
    return {
        "ApplicationId": text_value(DEMO.game_id),
        "ConfigApplicationPath": text_value(folder_of(path)),
        "ConfigGDFBinaryPath": text_value(path),
        "Description": text_value(DEMO.description),
        "Title": text_value(DEMO.name),
    }


def upgrade_record(path):
    return {"GDFBinaryPath": text_value(path), "GameInstallPath": text_value(folder_of(path))}


def task_tree(task_root, guid, shortcuts):
    """A game's task folder with every folder and shortcut below it, from the shortcuts given by
    their paths relative to it."""
    tree = {task_root + "\\" + guid: FOLDER}
    for relative_path, shortcut in shortcuts.items():
        parts = relative_path.split("\\")
        for depth in range(1, len(parts)):
            tree["\\".join([task_root, guid, *parts[:depth]])] = FOLDER
        tree["\\".join([task_root, guid, relative_path])] = shortcut
    return tree


def shortcut_to(target, arguments=None):
    """A task shortcut as the program writes it: the working folder is the target's folder with
    its trailing backslash."""
    return Shortcut(target, folder_of(target) + "\\", arguments)


class WineTestCase(unittest.TestCase):
    maxDiff = None

    def install_game(self, folder):
        path = folder + "\\demo_game.exe"
        PREFIX.copy_in(DEMO_GAME, path)
        return path

    def run_program(self, *arguments, game_explorer=True):
        """Runs the program; returns what it printed and how it changed the system."""
        before = PREFIX.state()
        output = PREFIX.run(PROGRAM, *arguments,
                            environment=None if game_explorer else WITHOUT_GAME_EXPLORER)
        return reason_codes_only(output), Changes.between(before, PREFIX.state())

    def new_game_key(self, changes, parent):
        """The one registry key, named by a braced GUID, that a registration added below parent
        (a key path, or a compiled pattern for one); returns the key and the GUID."""
        parent_pattern = parent.pattern if isinstance(parent, re.Pattern) else re.escape(parent)
        keys = [key for key in changes.added
                if re.fullmatch(parent_pattern + r"\\" + BRACED_GUID, key)]
        self.assertEqual(len(keys), 1, f"expected one new game key below {parent}: {changes}")
        return keys[0], keys[0].rpartition("\\")[2]

    def add_game(self, scope_word, path, *task_lines):
        """Adds a game through Game Explorer that a scenario needs in place; returns its
        registry key and GUID."""
        output, changes = self.run_program("-add", scope_word, path, *task_lines)
        self.assertEqual(output.stderr, "", output)
        scope_games = CURRENT_USER_GAMES if scope_word == "current" else ALL_USERS_GAMES
        return self.new_game_key(changes, scope_games)


class AddTest(WineTestCase):
    def test_add_all_registers_game_for_all_users_with_play_and_support_shortcuts(self):
        game = self.install_game(r"C:\Games\Everyone")
        manual = r"C:\Games\Everyone\docs\manual.txt"
        PREFIX.write_text(manual, "Read me first.\n")

        output, changes = self.run_program(
            "-add", "all", game, f"Play;{game};play;-windowed",
            f"Play Safe Mode;{game};play;-safe -nosound", f"Manual;{manual};support")

        self.assertEqual(output, printed(BANNER + task_added_line("Play", 0) +
                                         task_added_line("Play Safe Mode", 1) +
                                         task_added_line("Manual", 0) + DONE))
        key, guid = self.new_game_key(changes, ALL_USERS_GAMES)
        self.assertEqual(changes, Changes({
            key: game_explorer_record(game),
            **task_tree(PREFIX.common_task_root, guid, {
                r"PlayTasks\0\Play.lnk": shortcut_to(game, "-windowed"),
                r"PlayTasks\1\Play Safe Mode.lnk": shortcut_to(game, "-safe -nosound"),
                r"SupportTasks\0\Manual.lnk": shortcut_to(manual),
            }),
        }, []))

    def test_add_current_registers_game_for_user_with_shortcuts_in_local_app_data(self):
        game = self.install_game(r"C:\Games\JustMe")

        output, changes = self.run_program("-add", "Current", game, f"Play;{game};play")

        self.assertEqual(output, printed(BANNER + task_added_line("Play", 0) + DONE))
        key, guid = self.new_game_key(changes, CURRENT_USER_GAMES)
        self.assertEqual(changes, Changes({
            key: game_explorer_record(game),
            **task_tree(PREFIX.local_task_root, guid,
                        {r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
        }, []))

    def test_non_ascii_path_and_task_name_reach_shortcut_and_registration(self):
        folder = r"C:\Jeux\Démo à Noël"
        game = self.install_game(folder)
        manual = folder + r"\manuel español.txt"
        PREFIX.write_text(manual, "manuel")

        output, changes = self.run_program(
            "-add", "all", game, f"Jouer à la démo;{game};play;-niveau=été",
            f"Aide en français;{manual};support")

        # The console lines hold the names in the ANSI code page of Wine's pinned locale.
        self.assertEqual(output, printed(BANNER + task_added_line("Jouer à la démo", 0) +
                                         task_added_line("Aide en français", 0) + DONE))
        key, guid = self.new_game_key(changes, ALL_USERS_GAMES)
        self.assertEqual(changes, Changes({
            key: game_explorer_record(game),
            **task_tree(PREFIX.common_task_root, guid, {
                r"PlayTasks\0\Jouer à la démo.lnk": shortcut_to(game, "-niveau=été"),
                r"SupportTasks\0\Aide en français.lnk": shortcut_to(manual),
            }),
        }, []))


    def test_quoted_fields_apostrophe_paths_and_web_addresses_make_the_tasks_they_say(self):
        folder = r"C:\Games\Baldur's Gate"
        game = self.install_game(folder)
        manual = folder + r"\Baldur's Manual.txt"
        PREFIX.write_text(manual, "Read me first.\n")

        output, changes = self.run_program(
            "-add", "all", game, f"Play;{game};play", f"Manual;{manual};support",
            # A path with an apostrophe is quoted with the other quotation mark.
            f"'Quoted;Name';\"{game}\";play;'-a;-b'",
            "Website;https://example.com/support;support")

        self.assertEqual(output, printed(BANNER + task_added_line("Play", 0) +
                                         task_added_line("Manual", 0) +
                                         task_added_line("Quoted;Name", 1) +
                                         task_added_line("Website", 1) + DONE))
        key, guid = self.new_game_key(changes, ALL_USERS_GAMES)
        self.assertEqual(changes, Changes({
            key: game_explorer_record(game),
            **task_tree(PREFIX.common_task_root, guid, {
                r"PlayTasks\0\Play.lnk": shortcut_to(game),
                r"SupportTasks\0\Manual.lnk": shortcut_to(manual),
                r"PlayTasks\1\Quoted;Name.lnk": shortcut_to(game, "-a;-b"),
                r"SupportTasks\1\Website.url": InternetShortcut("https://example.com/support"),
            }),
        }, []))

    def test_add_again_replaces_the_tasks_of_the_earlier_add(self):
        game = self.install_game(r"C:\Games\Repaired")
        key, guid = self.add_game("all", game, f"Old;{game};play", f"Help;{game};support")

        output, changes = self.run_program(f"-guid:{guid}", "-add", "all", game,
                                           f"Play;{game};play;-new")

        self.assertEqual(output, printed(
            BANNER + guid_obtained_line(guid) + task_added_line("Play", 0) + DONE))
        old = task_tree(PREFIX.common_task_root, guid,
                        {r"PlayTasks\0\Old.lnk": None, r"SupportTasks\0\Help.lnk": None})
        new = task_tree(PREFIX.common_task_root, guid,
                        {r"PlayTasks\0\Play.lnk": shortcut_to(game, "-new")})
        self.assertEqual(changes, Changes(
            {name: value for name, value in new.items() if name not in old},
            sorted(name for name in old if name not in new)))

    def test_add_again_whose_old_task_cannot_be_removed_reports_tasks_not_as_asked(self):
        """An old shortcut that stays beside the new one: the failure line, its reason, and with
        -exitcode status 3, so that an installer hears the tasks are not as asked."""
        game = self.install_game(r"C:\Games\Stuck")
        _, guid = self.add_game("all", game, f"Old;{game};play")
        old = PREFIX.host_path(rf"{PREFIX.common_task_root}\{guid}\PlayTasks\0\Old.lnk")
        # Immutable: not even root, as which the suite may run, can remove it.
        if subprocess.run(["chattr", "+i", old], capture_output=True).returncode != 0:
            self.skipTest("the host's file system has no immutable files")
        try:
            output, _ = self.run_program("-exitcode", f"-guid:{guid}", "-add", "all", game,
                                         f"New;{game};play")
        finally:
            subprocess.run(["chattr", "-i", old], check=True)
        self.assertEqual(output.status, 3, output)
        self.assertTrue(output.stderr.startswith(
            console(tasks_not_removed_line(game) + REASON_LINE_START)), output)
        self.assertIn(console(task_added_line("New", 0)), output.stdout)

    def test_game_path_of_260_characters_or_more_is_refused_before_anything_registers_it(self):
        # Wine's Game Explorer ends the process on a path this long (282 characters).
        game = self.install_game(r"C:\Games" + "\\Very long folder name" * 11 +
                                 "\\Deeper and deeper")
        self.assertEqual(len(game), 282)
        for game_explorer in (True, False):
            with self.subTest(game_explorer=game_explorer):
                output, changes = self.run_program("-add", "all", game, f"Play;{game};play",
                                                   game_explorer=game_explorer)

                self.assertEqual(output, printed(BANNER + DONE, not_added_line(game) +
                                                 reason("0x800700CE")))
                self.assertEqual(changes, NO_CHANGES)


class DeleteTest(WineTestCase):
    def test_delete_with_guid_removes_task_folders_and_registration_of_that_game_only(self):
        bystander = self.install_game(r"C:\Games\Staying")
        self.add_game("all", bystander, f"Play;{bystander};play")
        for scope_word, task_root in (("all", PREFIX.common_task_root),
                                      ("current", PREFIX.local_task_root)):
            with self.subTest(scope_word):
                game = self.install_game(rf"C:\Games\Leaving {scope_word}")
                key, guid = self.add_game(scope_word, game, f"Play;{game};play",
                                          f"Replay;{game};play;-replay", f"Help;{game};support")

                output, changes = self.run_program(f"-guid:{guid}", "-del", game)

                self.assertEqual(output, printed(
                    BANNER + guid_obtained_line(guid) + registration_removed_lines(game) + DONE))
                self.assertEqual(changes, Changes({}, sorted([key, *task_tree(task_root, guid, {
                    r"PlayTasks\0\Play.lnk": None,
                    r"PlayTasks\1\Replay.lnk": None,
                    r"SupportTasks\0\Help.lnk": None,
                })])))

    def test_delete_with_a_guid_registered_nowhere_goes_on_by_the_path(self):
        """An uninstaller whose GUID has no record (a version that moved to -guid:) removes the
        game registered at its path; when nothing is registered there either, it says so."""
        guid = "{0D1E2F30-4152-6374-8596-A7B8C9DAEBFC}"
        game = self.install_game(r"C:\Games\ByPath")
        key, found = self.add_game("all", game, f"Play;{game};play")

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-del", game)

        self.assertEqual(output, printed(
            BANNER + guid_obtained_line(guid) + registration_removed_lines(game) + DONE))
        self.assertEqual(changes, Changes({}, sorted([key, *task_tree(
            PREFIX.common_task_root, found, {r"PlayTasks\0\Play.lnk": None})])))

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-del", game)

        self.assertEqual(output, printed(BANNER + guid_obtained_line(guid) + DONE,
                                         not_found_line(game) + reason("0x80070490")))
        self.assertEqual(changes, NO_CHANGES)

    def test_delete_of_an_empty_path_is_refused_before_any_lookup(self):
        output, changes = self.run_program("-del", "")

        self.assertEqual(output, printed(BANNER + DONE, not_found_line("") + reason("0x80070057")))
        self.assertEqual(changes, NO_CHANGES)

    def test_records_naming_the_path_under_another_games_guid_never_steer_a_delete(self):
        """Keys whose names only start like game B's GUID, and B's GUID in the current user's
        upgrade keys (which the user can write), name game A's path: the delete of A removes A
        and that planted upgrade key alone; B keeps its registration and tasks."""
        other = self.install_game(r"C:\Games\Bystander")
        other_guid = self.add_game("all", other, f"Play;{other};play")[1]
        game = self.install_game(r"C:\Games\Planted")
        key, guid = self.add_game("all", game, f"Play;{game};play")
        for name in (other_guid + ".bak", other_guid + " old", other_guid[:-1]):
            PREFIX.run("reg", "add", ALL_USERS_GAMES + "\\" + name, "/v", "ConfigGDFBinaryPath",
                       "/d", game, "/f", "/reg:64")
        planted = CURRENT_USER_UPGRADE + "\\" + other_guid
        PREFIX.run("reg", "add", planted, "/v", "GDFBinaryPath", "/d", game, "/f", "/reg:64")

        output, changes = self.run_program("-del", game)

        self.assertEqual(output, printed(
            BANNER + registration_removed_lines(game) + removed_line(game) + DONE))
        self.assertEqual(changes, Changes({}, sorted([key, planted, *task_tree(
            PREFIX.common_task_root, guid, {r"PlayTasks\0\Play.lnk": None})])))

    def test_reinstall_keeps_the_guid_and_delete_by_path_removes_everything(self):
        """Wine's WMI has no games namespace: the game is found in Game Explorer's records, or
        without Game Explorer in the upgrade keys."""
        rows = (("with Game Explorer", True, ALL_USERS_GAMES, game_explorer_record),
                ("without Game Explorer", False, ALL_USERS_UPGRADE, upgrade_record))
        for row, game_explorer, parent, record in rows:
            with self.subTest(row):
                game = self.install_game(rf"C:\Games\Reinstalled {row}")
                output, changes = self.run_program("-add", "all", game, f"Play;{game};play",
                                                   f"Help;{game};support",
                                                   game_explorer=game_explorer)
                self.assertEqual(output.stderr, "", output)
                key, guid = self.new_game_key(changes, parent)
                self.assertEqual(changes.added[key], record(game))
                first = task_tree(PREFIX.common_task_root, guid, {
                    r"PlayTasks\0\Play.lnk": None, r"SupportTasks\0\Help.lnk": None})

                output, changes = self.run_program("-add", "all", game, f"Start;{game};play",
                                                   game_explorer=game_explorer)
                self.assertEqual(output, printed(BANNER + task_added_line("Start", 0) + DONE))
                second = task_tree(PREFIX.common_task_root, guid,
                                   {r"PlayTasks\0\Start.lnk": shortcut_to(game)})
                self.assertEqual(changes, Changes(
                    {name: value for name, value in second.items() if name not in first},
                    sorted(name for name in first if name not in second)))

                output, changes = self.run_program("-del", game, game_explorer=game_explorer)
                self.assertEqual(output, printed(
                    BANNER + registration_removed_lines(game) + DONE))
                self.assertEqual(changes, Changes({}, sorted([key, *second])))


    def test_delete_removes_an_upgrade_key_left_from_a_time_without_game_explorer(self):
        """The lookup finds the upgrade key too, so the removal cleans it: after the delete
        nothing names the path, and a second delete finds nothing."""
        game = self.install_game(r"C:\Games\Upgraded")
        output, changes = self.run_program("-add", "all", game, game_explorer=False)
        self.assertEqual(output.stderr, "", output)
        upgrade_key = self.new_game_key(changes, ALL_USERS_UPGRADE)[0]
        self.assertEqual(self.run_program("-add", "all", game)[0].stderr, "")

        output, changes = self.run_program("-del", game)
        self.assertEqual(output.stderr, "", output)
        self.assertIn(upgrade_key, changes.removed)
        output, changes = self.run_program("-del", game)
        self.assertEqual(output, printed(BANNER + DONE,
                                         not_found_line(game) + reason("0x80070490")))
        self.assertEqual(changes, NO_CHANGES)

    def test_parallel_adds_of_one_game_without_guid_register_it_once(self):
        """The lock named from the game's path is taken before the lookup, so runs that find no
        GUID yet cannot each register the game under a GUID of its own."""
        game = self.install_game(r"C:\Games\Parallel")
        before = PREFIX.state()
        with concurrent.futures.ThreadPoolExecutor(4) as pool:
            outputs = list(pool.map(
                lambda _: PREFIX.run(PROGRAM, "-add", "all", game, f"Play;{game};play"), range(4)))
        for output in outputs:
            self.assertEqual(output.stderr, "", output)
        self.new_game_key(Changes.between(before, PREFIX.state()), ALL_USERS_GAMES)
        self.assertEqual(self.run_program("-del", game)[0].stderr, "")

    def test_delete_by_another_spelling_of_the_path_removes_the_game(self):
        """A "\\\\?\\" path and a short (8.3) path name the game added under its long path."""
        def short_path(path):
            # Unquoted: Wine's cmd joins a quoted name to the current folder. So no blank in it.
            output = PREFIX.run("cmd", "/c", f"for %I in ({path}) do @echo %~sI")
            return output.stdout.strip()

        rows = (("VerbatimSpelling", lambda path: "\\\\?\\" + path),
                ("ShortSpelling", short_path))
        for row, spelling in rows:
            with self.subTest(row):
                game = self.install_game(rf"C:\Games\{row}")
                key, guid = self.add_game("all", game, f"Play;{game};play")
                other = spelling(game)
                self.assertNotEqual(other.lower(), game.lower())

                output, changes = self.run_program("-del", other)

                self.assertEqual(output, printed(
                    BANNER + registration_removed_lines(other) + DONE))
                self.assertEqual(changes, Changes({}, sorted([key, *task_tree(
                    PREFIX.common_task_root, guid, {r"PlayTasks\0\Play.lnk": None})])))


class IdentityTest(WineTestCase):
    """One game whatever the spelling of its path; every registration of a GUID removed; what
    the lookup sees, listed."""

    def add_with_guid(self, guid, scope_word, game):
        output, changes = self.run_program(f"-guid:{guid}", "-add", scope_word, game,
                                           f"Play;{game};play")
        self.assertEqual(output.stderr, "", output)
        return changes

    def test_an_add_under_another_guid_replaces_that_scopes_registration_of_the_file(self):
        """One registration of a file per scope: the old GUID's all-users record goes by its key
        (Wine's RemoveGame would take it from either scope), its current user's one stays."""
        game = self.install_game(r"C:\Games\Regrouped")
        old = "{0A0B0C0D-0E0F-4011-8213-141516171819}"
        new = "{1A1B1C1D-1E1F-4021-8223-242526272829}"
        for scope_word in ("all", "current"):
            self.run_program(f"-guid:{old}", "-add", scope_word, game, f"Play;{game};play")

        output, changes = self.run_program(f"-guid:{new}", "-add", "all", game)

        self.assertEqual(output, printed(
            BANNER + guid_obtained_line(new) + replaced_line(game, old) + DONE))
        self.assertIn(ALL_USERS_GAMES + "\\" + new, changes.added)
        self.assertIn(ALL_USERS_GAMES + "\\" + old, changes.removed)
        self.assertNotIn(old, " ".join(key for key in changes.removed if "S-1-5" in key))
        self.assertFalse(os.path.exists(PREFIX.host_path(
            PREFIX.common_task_root + "\\" + old + r"\PlayTasks")))
        self.assertTrue(os.path.exists(PREFIX.host_path(
            PREFIX.local_task_root + "\\" + old + r"\PlayTasks\0\Play.lnk")))

    def test_games_in_folders_that_differ_only_in_case_are_two_games(self):
        """Wine's drive Z: keeps the host's letter case: the two files are two games."""
        games = []
        for folder in ("Twin", "TWIN"):
            host = os.path.join(PREFIX.folder, "twins", folder)
            os.makedirs(host, exist_ok=True)
            shutil.copyfile(DEMO_GAME, os.path.join(host, "demo_game.exe"))
            games.append("Z:" + host.replace("/", "\\") + "\\demo_game.exe")
            output, _ = self.run_program("-add", "all", games[-1])
            self.assertEqual(output, printed(BANNER + DONE))

        output, changes = self.run_program("-del", games[1])

        self.assertEqual(output, printed(BANNER + registration_removed_lines(games[1]) + DONE))
        self.assertEqual(len([key for key in changes.removed
                              if key.startswith(ALL_USERS_GAMES + "\\")]), 1)
        output, _ = self.run_program("-del", games[0])
        self.assertEqual(output, printed(BANNER + registration_removed_lines(games[0]) + DONE))

    def test_a_delete_by_guid_removes_that_guids_registrations_of_both_scopes(self):
        """Wine's RemoveGame takes one record per call, the all users' one first: the delete
        calls it until none of the GUID is left, and says removed only then."""
        guid = "{5A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"
        mine = self.install_game(r"C:\Games\Flavour Mine")
        theirs = self.install_game(r"C:\Games\Flavour Everyone")
        added = self.add_with_guid(guid, "current", mine).added
        added.update(self.add_with_guid(guid, "all", theirs).added)

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-del", mine)

        self.assertEqual(output, printed(
            BANNER + guid_obtained_line(guid) + registration_removed_lines(mine) + DONE))
        self.assertEqual(changes, Changes({}, sorted(added)))

    def test_the_add_records_the_long_path_that_any_later_spelling_finds(self):
        game = self.install_game(r"C:\Games\LongFolderName")
        # Unquoted: Wine's cmd joins a quoted name to the current folder. So no blank in it.
        short = PREFIX.run("cmd", "/c", f"for %I in ({game}) do @echo %~sI").stdout.strip()
        self.assertNotEqual(short.lower(), game.lower())

        output, changes = self.run_program("-add", "all", "\\\\?\\" + short)
        self.assertEqual(output.stderr, "", output)
        key, _ = self.new_game_key(changes, ALL_USERS_GAMES)
        self.assertEqual(changes.added[key]["ConfigGDFBinaryPath"], text_value(game))

        shutil.rmtree(PREFIX.host_path(folder_of(game)))
        output, changes = self.run_program("-exitcode", "-del", game.upper())
        self.assertEqual(output.stderr, "", output)
        self.assertIn(key, changes.removed)

    def test_list_shows_every_record_with_its_tasks_and_changes_nothing(self):
        guid = "{6B2C3D4E-5F60-4B7C-9D8E-0F1A2B3C4D5E}"
        game = self.install_game(r"C:\Games\Listed")
        output, _ = self.run_program(f"-guid:{guid}", "-add", "current", game,
                                     f"Play;{game};play;-windowed", f"Help;{game};support")
        self.assertEqual(output.stderr, "", output)

        output, changes = self.run_program("-nologo", "-list")

        # The prefix is the whole run's: other scenarios' games are listed too.
        expected = (listed_record_line(guid, game)
                    + listed_task_line("play", 0, "Play", game, "-windowed")
                    + listed_task_line("support", 0, "Help", game)).splitlines()
        self.assertEqual(leading_columns(self.listed(output, guid), expected), expected)
        self.assertEqual((output.stderr, output.status), ("", 0))
        self.assertTrue(output.stdout.endswith(console(DONE)))
        self.assertEqual(changes, NO_CHANGES)
        self.assertEqual(self.run_program("-exitcode", "-del", game)[0].status, 0)
        self.assertEqual(self.listed(self.run_program("-nologo", "-list")[0], guid), [])

    def test_an_add_that_cannot_take_its_locks_in_time_is_not_added(self):
        """Another process holds the game's GUID lock past the run's one deadline: the add
        is not added, says why, and registers nothing."""
        guid = "{7C3D4E5F-6071-4C8D-9E0F-1A2B3C4D5E6F}"
        game = self.install_game(r"C:\Games\Locked")
        holder = subprocess.Popen(
            ["wine", os.path.join(os.path.dirname(PROGRAM), "mutex_holder.exe"),
             rf"Global\Brackenfold.Game.{guid}"], env=PREFIX.environment, cwd=PREFIX.drive_c,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            self.assertEqual(holder.stdout.readline().strip(), b"held")
            started = time.monotonic()
            output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-add", "all", game,
                                               f"Play;{game};play")
            waited = time.monotonic() - started
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)
            holder.stdout.close()
        self.assertEqual(output, printed(BANNER + guid_obtained_line(guid) + DONE,
                                         not_added_line(game) + reason("0x800705B4"), status=2))
        self.assertEqual(changes, NO_CHANGES)
        self.assertGreaterEqual(waited, GAME_LOCK_DEADLINE_SECONDS - 1)

    @staticmethod
    def listed(output, guid):
        """The lines of -list for guid's records, each followed by its indented task lines."""
        lines, taking = [], False
        for line in output.stdout.split("\r\n"):
            if not line.startswith(" "):
                taking = line.startswith(guid)
            if taking:
                lines.append(line)
        return lines


class WithoutGameExplorerTest(WineTestCase):
    """Game Explorer disabled: registration falls back to the keys that a later upgrade of the
    system reads, and removal deletes them. They must be in the 64-bit view, where the system
    reads them, also when the x86 build writes them under WOW64: the state holds the 32-bit view
    of the machine's keys (Wow6432Node) too, so a key written there is an unexpected change."""

    def test_add_with_guid_writes_upgrade_key_of_scope_and_delete_removes_it(self):
        cases = (
            ("all", "{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}", ALL_USERS_UPGRADE,
             PREFIX.common_task_root),
            # Given in lower case: the key is still named by the upper-case form.
            ("current", "{7b2c3d4e-5f60-4182-93a4-b5c6d7e8f90a}", CURRENT_USER_UPGRADE,
             PREFIX.local_task_root),
        )
        for scope_word, guid_text, parent, task_root in cases:
            with self.subTest(scope_word):
                game = self.install_game(rf"C:\Games\Upgrade {scope_word}")
                guid = guid_text.upper()
                key = parent + "\\" + guid
                added = {key: upgrade_record(game),
                         **task_tree(task_root, guid, {r"PlayTasks\0\Play.lnk": shortcut_to(game)})}

                output, changes = self.run_program(f"-guid:{guid_text}", "-add", scope_word,
                                                   game, f"Play;{game};play", game_explorer=False)
                self.assertEqual(output, printed(
                    BANNER + guid_obtained_line(guid_text) + task_added_line("Play", 0) + DONE))
                self.assertEqual(changes, Changes(added, []))

                output, changes = self.run_program(f"-guid:{guid_text}", "-del", game,
                                                   game_explorer=False)
                self.assertEqual(output, printed(
                    BANNER + guid_obtained_line(guid_text) + registration_removed_lines(game)
                    + DONE))
                self.assertEqual(changes, Changes({}, sorted(added)))

    def test_add_without_guid_names_upgrade_key_by_new_guid(self):
        game = self.install_game(r"C:\Games\Upgrade new")

        output, changes = self.run_program("-add", "all", game, f"Play;{game};play",
                                           game_explorer=False)

        self.assertEqual(output, printed(BANNER + task_added_line("Play", 0) + DONE))
        key, guid = self.new_game_key(changes, ALL_USERS_UPGRADE)
        self.assertNotEqual(guid, "{00000000-0000-0000-0000-000000000000}")
        self.assertEqual(changes, Changes({
            key: upgrade_record(game),
            **task_tree(PREFIX.common_task_root, guid,
                        {r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
        }, []))


class TaskTreeLinkTest(WineTestCase):
    """A user can write the task folders below their own application data, and a game's GUID is
    no secret: a link planted in a game's task tree is never entered, written through or deleted
    through. Wine reports a host symbolic link to a folder as a reparse point."""

    LINK_OR_FOREIGN_ENTRY = "0xA0040002"  # the program's own code for what it leaves there

    @staticmethod
    def outside_folder(name):
        """A host folder outside the task trees, holding one file."""
        folder = PREFIX.host_path(rf"C:\Outside\{name}")
        os.makedirs(folder)
        with open(os.path.join(folder, "keep.txt"), "w", encoding="utf-8") as file:
            file.write("keep")
        return folder

    def assert_untouched(self, folder):
        self.assertEqual(os.listdir(folder), ["keep.txt"])
        with open(os.path.join(folder, "keep.txt"), encoding="utf-8") as file:
            self.assertEqual(file.read(), "keep")

    def test_a_delete_and_an_add_again_leave_what_a_link_leads_to(self):
        game = self.install_game(r"C:\Games\Linked")
        key, guid = self.add_game("current", game, f"Play;{game};play", f"Help;{game};support")
        tree = rf"{PREFIX.local_task_root}\{guid}"
        inside = self.outside_folder("Inside")
        os.symlink(inside, PREFIX.host_path(tree + r"\PlayTasks\0\Planted"))
        # Wine lists a link to a file as a plain file, and its DeleteFileW deletes the file the
        # link leads to: one named like a shortcut must stay, and so must that file.
        os.symlink(os.path.join(inside, "keep.txt"),
                   PREFIX.host_path(tree + r"\SupportTasks\0\Evil.url"))
        left = printed(BANNER + guid_obtained_line(guid) + removed_line(game) + DONE,
                       tasks_not_removed_line(game) + reason(self.LINK_OR_FOREIGN_ENTRY), 2)

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-del", game)

        # The game is unregistered; of its tasks only the link and the folders above it stay.
        self.assertEqual(output, left)
        self.assertEqual(changes, Changes({}, sorted([
            key, tree + r"\PlayTasks\0\Play.lnk", tree + r"\SupportTasks\0\Help.lnk"])))
        self.assert_untouched(inside)

        # The game's folder itself a link: the add again registers the game, removes and writes
        # no task through it, and says so.
        shutil.rmtree(PREFIX.host_path(tree))
        elsewhere = self.outside_folder("Game")
        os.symlink(elsewhere, PREFIX.host_path(tree))
        refused = reason(self.LINK_OR_FOREIGN_ENTRY)

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-add", "current", game,
                                           f"Play;{game};play")

        self.assertEqual(output, printed(
            BANNER + guid_obtained_line(guid) + DONE,
            tasks_not_removed_line(game) + refused + task_not_added_line("Play") + refused, 3))
        self.assertEqual(changes, Changes({key: game_explorer_record(game)}, []))
        self.assert_untouched(elsewhere)

        output, changes = self.run_program("-exitcode", f"-guid:{guid}", "-del", game)

        self.assertEqual(output, left)
        self.assertEqual(changes, Changes({}, [key]))
        self.assert_untouched(elsewhere)


@dataclasses.dataclass
class CommandLineCase:
    name: str
    arguments: list
    output: Output
    shortcuts: dict | None = None  # the game's task shortcuts when the game is registered


DEVICE_TASK_NAMES = ["nul .x", "COM1 .y", "PRN .q", "AUX .q", "LPT1 .z", "CONIN$", "COM\u00b9"]
LONG_TARGET = "C:\\Games\\" + "x" * 266 + "\\demo.exe"  # 284 characters
LONG_TASK_NAME = "T" * 200  # a plain file name, but its shortcut path is over 260 characters
INJECTING_ADDRESS = "http://example.com/\r\nIconFile=\\\\evil\\share\\i.ico\r\nIconIndex=0"


class CommandLineTest(WineTestCase):
    def test_command_lines_print_exactly_and_leave_only_what_they_register(self):
        game = self.install_game(r"C:\Games\Lines")
        # Any executable without an embedded game definition, such as this program itself.
        undefined_game = r"C:\Games\Undefined\tool.exe"
        PREFIX.copy_in(PROGRAM, undefined_game)
        readme = r"C:\Games\Undefined\README.md"
        PREFIX.copy_in(README, readme)
        missing_game = r"C:\Games\Lines\missing.exe"
        PREFIX.copy_in(DEMO_GAME, game + ".")
        refused = reason("0x8007007B")
        guid = "{8C3D4E5F-6071-4293-A4B5-C6D7E8F90A1B}"
        play = f"Play;{game};play"
        cases = [
            CommandLineCase("no arguments", [], printed(BANNER + USAGE, status=1)),
            CommandLineCase("command word only", ["-del"], printed(BANNER + USAGE, status=1)),
            CommandLineCase("add without path", ["-add", "all"],
                            printed(BANNER + USAGE, status=1)),
            CommandLineCase("delete with guid and without path", [f"-guid:{guid}", "-del"],
                            printed(BANNER + guid_obtained_line(guid) + USAGE, status=1)),
            CommandLineCase("unknown command word", ["-remove", game, play],
                            printed(BANNER + USAGE, status=1)),
            CommandLineCase("upper-case guid option is an unknown command word",
                            [f"-GUID:{guid}", "-add", "all", game, play],
                            printed(BANNER + USAGE, status=1)),
            # Game Explorer refuses an executable that carries no game definition, and the reason
            # line says what the binary lacks.
            CommandLineCase("game without definition", ["-add", "all", undefined_game, play],
                            printed(BANNER + DONE, not_added_line(undefined_game)
                                    + reason("0x80070715"))),
            CommandLineCase("text file as game", ["-add", "all", readme, play],
                            printed(BANNER + DONE, not_added_line(readme)
                                    + reason("0x800700C1"))),
            CommandLineCase("game that does not exist", ["-add", "all", missing_game, play],
                            printed(BANNER + DONE, not_added_line(missing_game)
                                    + reason("0x80070002"))),
            CommandLineCase("delete of a game never added", ["-del", missing_game],
                            printed(BANNER + DONE, not_found_line(missing_game)
                                    + reason("0x80070490"))),
            # "\\?\" takes the path as written: "demo_game.exe." is another file, never the game.
            CommandLineCase("verbatim path that tidying would change",
                            ["-exitcode", "-add", "all", "\\\\?\\" + game + ".", play],
                            printed(BANNER + DONE, not_added_line("\\\\?\\" + game + ".")
                                    + refused, status=2)),
            CommandLineCase("delete by a verbatim path that tidying would change",
                            ["-exitcode", "-del", "\\\\?\\" + game + "."],
                            printed(BANNER + DONE, not_found_line("\\\\?\\" + game + ".")
                                    + refused, status=2)),
            CommandLineCase("reserved task name", ["-add", "all", game, f"COM1;{game};play"],
                            printed(BANNER + DONE, task_not_added_line("COM1") + refused),
                            shortcuts={}),
            CommandLineCase("task line with too few fields", ["-add", "all", game, f"Play;{game}"],
                            printed(BANNER + DONE, task_line_too_short_line(f"Play;{game}")),
                            shortcuts={}),
            # Wine saves a shortcut path of MAX_PATH or more and can then never delete it.
            CommandLineCase("shortcut path of MAX_PATH characters or more",
                            ["-add", "all", game, f"{LONG_TASK_NAME};{game};play", play],
                            printed(BANNER + task_added_line("Play", 0) + DONE,
                                    task_not_added_line(LONG_TASK_NAME) + reason("0x800700CE")),
                            shortcuts={r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
            CommandLineCase("empty task name", ["-add", "all", game, f";{game};play", play],
                            printed(BANNER + TASK_NAME_EMPTY_LINE + task_added_line("Play", 0)
                                    + DONE),
                            shortcuts={r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
            # Names that are not one plain file name are refused before anything is written, so
            # none can place a shortcut outside its task folder or in a file's data stream.
            CommandLineCase(
                "task names that are not plain file names",
                ["-add", "all", game, rf"..\Escape;{game};play", f"Half/Quarter;{game};play",
                 f"Why?;{game};play", f"Stream:Name;{game};support", f"..;{game};play",
                 f"nul;{game};play", f"COM1.txt;{game};support", f"Dot.;{game};play", play],
                printed(BANNER + task_added_line("Play", 0) + DONE,
                        "".join(task_not_added_line(name) + refused
                                for name in ("..\\Escape", "Half/Quarter", "Why?", "Stream:Name",
                                             "..", "nul", "COM1.txt", "Dot."))),
                shortcuts={r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
            # Windows drops the blanks before the dot and sends these to their devices; a target
            # longer than a shortcut holds would be cut to one that starts nothing; a line break
            # in a web address would add lines, such as a remote icon, to the Internet shortcut.
            CommandLineCase(
                "device names, a target a shortcut cuts and a web address with line breaks",
                ["-add", "all", game, *(f"{name};{game};play" for name in DEVICE_TASK_NAMES),
                 f"Long;{LONG_TARGET};play", f"Site;{INJECTING_ADDRESS};support", play],
                printed(BANNER + task_added_line("Play", 0) + DONE,
                        "".join(task_not_added_line(name) + refused for name in DEVICE_TASK_NAMES)
                        + task_not_added_line("Long") + reason("0x800700CE")
                        + task_not_added_line("Site") + refused),
                shortcuts={r"PlayTasks\0\Play.lnk": shortcut_to(game)}),
        ]
        for case in cases:
            with self.subTest(case.name):
                output, changes = self.run_program(*case.arguments)

                self.assertEqual(output, case.output)
                if case.shortcuts is None:
                    self.assertEqual(changes, NO_CHANGES)
                    continue
                key, added_guid = self.new_game_key(changes, ALL_USERS_GAMES)
                expected = {key: game_explorer_record(game)}
                if case.shortcuts:
                    expected.update(task_tree(PREFIX.common_task_root, added_guid, case.shortcuts))
                self.assertEqual(changes, Changes(expected, []))
                # The next case registers the game anew, not again under this GUID.
                self.assertEqual(self.run_program("-del", game)[0].stderr, "")

    def test_diagnostic_lines_reach_the_debug_output(self):
        # Wine logs what a program passes to OutputDebugString: on its channel "seh" in Wine 8,
        # "debugstr" in later versions.
        output = PREFIX.run(PROGRAM, environment={"WINEDEBUG": "-all,warn+seh,warn+debugstr"})
        self.assertEqual((output.stdout, output.status), (console(BANNER + USAGE), 1))
        # Each diagnostic line reaches it whole, with its line break, in one call.
        self.assertRegex(output.stderr, r'OutputDebugString[AW] "[^"]+\\r\\n"')


# The trace of Wine's Game Explorer gives the result of each add; the other lines it writes to
# standard error are the program's own.
GAMEUX_TRACE = {"WINEDEBUG": "-all,+gameux"}
WINE_DEBUG_LINE = re.compile(r"^[0-9a-f]{4}:[a-z]+:.*\r?\n", re.MULTILINE)
ADD_RESULT = re.compile(r":GAMEUX_RegisterGame returning (0x[0-9a-f]{8})")


class ListedValuesTest(WineTestCase):
    def test_list_shows_a_forged_upgrade_key_path_as_one_line_with_its_line_break_escaped(self):
        """Any process of the user can write the current user's upgrade keys: a path there that
        holds a line break and what reads as another game's record is one line of -list, its
        line break shown as the two characters \\n."""
        guid = "{8D4E5F60-7182-4D9E-8F1A-2B3C4D5E6F70}"
        forged_guid = "{99999999-9999-4999-8999-999999999999}"
        forged_tail = f"{forged_guid} all C:\\Windows\\forged.exe (Game Explorer record)"
        key = CURRENT_USER_UPGRADE + "\\" + guid
        PREFIX.run("reg", "add", key, "/v", "GDFBinaryPath", "/d",
                   r"C:\Games\Forged\x.exe" + "\n" + forged_tail, "/f", "/reg:64")
        self.addCleanup(PREFIX.run, "reg", "delete", key, "/f", "/reg:64")

        output, changes = self.run_program("-nologo", "-list")

        expected = listed_record_line(guid, r"C:\Games\Forged\x.exe\n" + forged_tail,
                                      upgrade_key=True).splitlines()
        self.assertEqual(leading_columns(IdentityTest.listed(output, guid), expected), expected)
        self.assertEqual(IdentityTest.listed(output, forged_guid), [])
        self.assertEqual((output.stderr, output.status), ("", 0))
        self.assertEqual(changes, NO_CHANGES)


def demo_game_claiming_definition_size(size):
    """The demo game with the size that its definition's resource data entry claims set to size
    (the entry: the data's address, its size, a code page and a reserved field of zero)."""
    with open(DEMO_GAME, "rb") as file:
        game = file.read()
    with open(DEFINITION_FILE, "rb") as file:
        entry = struct.pack("<III", len(file.read()), 0, 0)
    assert game.count(entry) == 1
    return game.replace(entry, struct.pack("<III", size, 0, 0))


def demo_game_variant(change):
    """The demo game's bytes with its definition (UTF-16 with byte order mark) changed by
    change(text), padded with blanks to the same size, or with change(bytes) applied to the whole
    file when change takes bytes."""
    with open(DEMO_GAME, "rb") as file:
        game = file.read()
    with open(DEFINITION_FILE, "rb") as file:
        definition = file.read()
    text = definition.decode("utf-16")
    document = ("\ufeff" + change(text)).encode("utf-16-le")
    assert len(document) <= len(definition) and game.count(definition) == 1
    return game.replace(definition, document + " ".encode("utf-16-le") *
                        ((len(definition) - len(document)) // 2))


@dataclasses.dataclass
class DefinitionCase:
    name: str
    game: bytes | None  # None: no file at all
    result: str | None  # what Wine's Game Explorer returns (None: it is never asked)
    record: dict | None = None  # the values Wine records for an add that it allows
    reason: str | None = None  # the code the program reports for an add that Wine refuses


class GameDefinitionTest(WineTestCase):
    def test_add_result_and_record_follow_the_embedded_game_definition(self):
        with open(DEMO_GAME, "rb") as file:
            game = file.read()
        resource_name = "__GDF_XML".encode("utf-16-le")
        cases = [
            # Not even its folder exists.
            DefinitionCase("missing file", None, "0x80004005", reason="0x80070003"),
            DefinitionCase("no definition resource", game.replace(
                resource_name, "__GDF_XMX".encode("utf-16-le")), "0x80004005",
                reason="0x80070716"),
            DefinitionCase("malformed document", demo_game_variant(lambda text: text[:150]),
                           "0x80004005", reason="0x80004005"),
            # Read as a data file, as Game Explorer reads it, the image's headers are whole but
            # its resources lie past the end: the loader's answer is ERROR_NOACCESS.
            DefinitionCase("truncated binary", game[:len(game) // 2], "0x80004005",
                           reason="0x800703E6"),
            # Wine's Game Explorer would read the 4 GiB the entry claims, and end the process.
            DefinitionCase("definition claiming 4 GiB", demo_game_claiming_definition_size(
                0xFFFFFFFF), None, reason="0x800700DF"),
            DefinitionCase("gameID not a GUID", demo_game_variant(
                lambda text: text.replace(DEMO.game_id, "not-a-guid")), "0x800401f3",
                reason="0x800401F3"),
            # Wine allows these two, which the definition's schema does not: a missing gameID
            # becomes the all-zero GUID and an empty Name an empty title.
            DefinitionCase("missing gameID", demo_game_variant(
                lambda text: text.replace(f' gameID="{DEMO.game_id}"', "")), "0x00000000",
                {"ApplicationId": text_value("{00000000-0000-0000-0000-000000000000}")}),
            DefinitionCase("empty Name", demo_game_variant(
                lambda text: text.replace(DEMO.name, "")), "0x00000000",
                {"Title": text_value("")}),
        ]
        for number, case in enumerate(cases):
            with self.subTest(case.name):
                path = rf"C:\Games\Definition {number}\game.exe"
                if case.game is not None:
                    PREFIX.write_bytes(path, case.game)
                before = PREFIX.state()
                output = PREFIX.run(PROGRAM, "-add", "all", path, f"Play;{path};play",
                                    environment=GAMEUX_TRACE)
                changes = Changes.between(before, PREFIX.state())

                self.assertEqual(ADD_RESULT.findall(output.stderr),
                                 [] if case.result is None else [case.result])
                output = reason_codes_only(Output(output.stdout,
                                                  WINE_DEBUG_LINE.sub("", output.stderr),
                                                  output.status))
                if case.record is None:
                    self.assertEqual(output, printed(BANNER + DONE,
                                                     not_added_line(path) + reason(case.reason)))
                    self.assertEqual(changes, NO_CHANGES)
                    continue
                self.assertEqual(output, printed(BANNER + task_added_line("Play", 0) + DONE))
                key, guid = self.new_game_key(changes, ALL_USERS_GAMES)
                self.assertEqual(changes, Changes({
                    key: {**game_explorer_record(path), **case.record},
                    **task_tree(PREFIX.common_task_root, guid,
                                {r"PlayTasks\0\Play.lnk": shortcut_to(path)}),
                }, []))


class ProgramsOwnReasonTest(WineTestCase):
    """Codes that the program raises itself, for which Wine keeps no text, still get a message."""

    def test_definition_claiming_more_than_a_mebibyte_is_refused_with_a_message(self):
        path = r"C:\Games\Own Reason\game.exe"
        PREFIX.write_bytes(path, demo_game_claiming_definition_size(0xFFFFFFFF))
        output = PREFIX.run(PROGRAM, "-add", "all", path)
        self.assertRegex(output.stderr, rf"(?m)^{re.escape(REASON_LINE_START)}[A-Z][^\r\n]* "
                                        r"\(0x800700DF\)\r$")


def stop_on_signal(signal_number, _frame):
    raise SystemExit(128 + signal_number)


def main():
    global PROGRAM, DEMO_GAME, PREFIX
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM, DEMO_GAME = (os.path.abspath(path) for path in sys.argv[1:3])
    for path in (PROGRAM, DEMO_GAME):
        if not os.path.isfile(path):
            sys.exit(f"{path} does not exist: build the windows preset first")
    for tool in ("wine", "wineserver", "lnkinfo"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-dependencies --wine")
    # A test run that is stopped still shuts the prefix's Wine processes down and removes it.
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGINT, stop_on_signal)
    PREFIX = WinePrefix()
    try:
        PREFIX.boot()
        result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], exit=False, verbosity=2).result
    finally:
        PREFIX.close()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
