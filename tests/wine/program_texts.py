"""The program's own texts, as the native build writes them into program_texts.json, and the lines
of a run built from them, each with its line feed: the suites expect what the program prints
without a copy of its texts."""

import json
import os

PATH = os.environ.get("BRACKENFOLD_PROGRAM_TEXTS") or os.path.join(
    os.path.dirname(__file__), "..", "..", "build", "native", "program_texts.json")
with open(PATH, encoding="utf-8") as texts_file:
    TEXTS = json.load(texts_file)

BANNER = TEXTS["banner"]
USAGE = TEXTS["usage"]
DONE = TEXTS["done"] + "\n"
GAME_LOCK_DEADLINE_SECONDS = int(TEXTS["game_lock_deadline_seconds"])
TASK_NAME_EMPTY_LINE = TEXTS["task_name_empty"] + "\n"
REASON_LINE_START = TEXTS["reason_line_start"]
REASON_WITHOUT_MESSAGE = TEXTS["reason_without_message"]
# Before each line the MSI custom action writes into the installer's log.
MSI_LOG_LINE_PREFIX = TEXTS["msi_log_line_prefix"]


def line(*parts):
    return "".join(str(part) for part in parts) + "\n"


def guid_obtained_line(text):
    return line(TEXTS["guid_line_start"], text, TEXTS["guid_obtained"])


def not_added_line(path):
    return line(path, TEXTS["not_added"])


def task_added_line(name, index):
    return line(TEXTS["task_line_start"], name, TEXTS["task_added_at"], index)


def task_not_added_line(name):
    return line(TEXTS["task_line_start"], name, TEXTS["not_added"])


def task_line_too_short_line(task_line):
    return line(TEXTS["task_line_too_short"], task_line)


def tasks_not_removed_line(path):
    return line(path, TEXTS["tasks_not_removed"])


def tasks_removed_line(path):
    return line(path, TEXTS["tasks_removed"])


def removed_line(path):
    return line(path, TEXTS["removed"])


def registration_removed_lines(path):
    """A registration removed whole by -del: its task folders, then its records."""
    return tasks_removed_line(path) + removed_line(path)


def replaced_line(path, guid):
    """-add: another GUID's registration of the game in the add's scope, replaced."""
    return line(path, TEXTS["other_registration"], guid, TEXTS["replaced"])


def not_found_line(path):
    return line(path, TEXTS["not_found"])


def listed_record_line(guid, path, upgrade_key=False):
    """-list's line of a current user's Game Explorer record, or with upgrade_key of the current
    user's upgrade key."""
    return line(guid, " ", TEXTS["current_user_scope_word"], " ", path,
                TEXTS["upgrade_key" if upgrade_key else "game_explorer_record"], TEXTS["record_end"])


def leading_columns(lines, expected):
    """-list's lines, each one that expected also has cut to the length of expected's line: the
    columns a test spells out (the emulated suite holds the lines whole), and the rest whole."""
    return [line[:len(expected[i])] if i < len(expected) else line
            for i, line in enumerate(lines)]


def listed_task_line(kind_word, index, name, target, arguments=None):
    return line(TEXTS["listed_task_indent"], kind_word, f" {index}: ", name,
                TEXTS["listed_task_target"], target, f" {arguments}" if arguments else "")
