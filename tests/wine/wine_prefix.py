"""A Wine prefix of its own for one test run: made in a temporary folder, used to run Windows
programs, read back as the registry keys and task shortcuts they left, and removed at the end.
"""

import dataclasses
import os
import re
import shutil
import subprocess
import tempfile
import time

# Wine derives its code pages from the Unix locale. Pinned to C.UTF-8, which Wine treats as
# en-US: command-line arguments are decoded as UTF-8, a Windows program's narrow console text is
# in the ANSI code page 1252, and reg.exe writes to a pipe in the OEM code page 437.
UNIX_LOCALE = "C.UTF-8"
ANSI_CODE_PAGE = "cp1252"
OEM_CODE_PAGE = "cp437"

# No .NET installer is offered and no Wine diagnostics reach the streams under test. No menu
# entry is made for a saved shortcut: winemenubuilder would read each one in a process of its own,
# after the run, while the next run of a scenario may be removing it (a sharing violation).
BASE_ENVIRONMENT = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree=;winemenubuilder.exe=d",
    "LC_ALL": UNIX_LOCALE,
}
# Game Explorer disabled: creating its COM object fails, as on a system that has none.
WITHOUT_GAME_EXPLORER = {"WINEDLLOVERRIDES": "mscoree=;winemenubuilder.exe=d;gameux=d"}

# The registry trees the program writes to, directly or through Game Explorer, each read in the
# 64-bit view. The machine's tree of 32-bit programs (Wow6432Node, the 32-bit view of HKLM\Software)
# is read too: a 32-bit build that wrote there would leave keys where the system never looks. A
# user's Software\Classes\Software tree is one and the same in both views.
REGISTRY_ROOTS = (
    r"HKLM\Software\Microsoft\Windows\CurrentVersion\GameUX",
    r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\GameUX",
    r"HKCU\Software\Classes\Software\Microsoft\Windows\CurrentVersion\GameUX",
)
REGISTRY_ROOT_NAMES = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}

TASK_FOLDER_BELOW_APP_DATA = r"Microsoft\Windows\GameExplorer"
BOOT_TIMEOUT_SECONDS = 120
COMMAND_TIMEOUT_SECONDS = 60
SERVER_LINGER_SECONDS = 60

FOLDER = "folder"


@dataclasses.dataclass(frozen=True)
class Shortcut:
    """What a shortcut file points at, as lnkinfo reads it; None for a string it does not hold."""

    target: str | None
    working_directory: str | None = None
    arguments: str | None = None


@dataclasses.dataclass(frozen=True)
class InternetShortcut:
    """The web address an Internet shortcut (.url) file opens."""

    url: str | None


@dataclasses.dataclass(frozen=True)
class Output:
    """What a program printed, decoded from its code page, and how it ended."""

    stdout: str
    stderr: str
    status: int


class WinePrefix:
    def __init__(self):
        # The prefix and a home folder of its own, for what Wine would otherwise put in the
        # user's home, both in one temporary folder.
        self.folder = tempfile.mkdtemp(prefix="brackenfold-wine-")
        self.path = os.path.join(self.folder, "prefix")
        home = os.path.join(self.folder, "home")
        os.mkdir(self.path)
        os.mkdir(home)
        self.environment = dict(os.environ, WINEPREFIX=self.path, HOME=home, **BASE_ENVIRONMENT)
        self.drive_c = os.path.join(self.path, "drive_c")
        self.keeper = None  # a program kept running for the prefix's whole life, if any
        self.display_server = None  # the prefix's own X server, if any

    def boot(self):
        """Starts the prefix's server, creates the prefix and finds its application data folders.

        The server and the system processes that the first program starts would inherit that
        program's output pipes, and a run would then wait for them to exit. So the server is
        started first, apart from any pipe, and kept for SERVER_LINGER_SECONDS after its last
        program, which outlasts the gaps between the test's programs but not an interrupted run.
        """
        subprocess.run(["wineserver", f"-p{SERVER_LINGER_SECONDS}"], env=self.environment,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                       timeout=COMMAND_TIMEOUT_SECONDS)
        subprocess.run(["wine", "wineboot", "-i"], env=self.environment,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                       timeout=BOOT_TIMEOUT_SECONDS)
        local, common = self._wine("cmd", "/c", "echo %LOCALAPPDATA%&echo %ProgramData%",
                                   check=True).stdout.decode(OEM_CODE_PAGE).splitlines()
        self.local_task_root = local + "\\" + TASK_FOLDER_BELOW_APP_DATA
        self.common_task_root = common + "\\" + TASK_FOLDER_BELOW_APP_DATA

    def use_own_display(self):
        """Gives the prefix's programs an X server of their own until close: Xvfb, through
        xvfb-run, for programs that need a real display even when silent (Inno Setup's setups).
        Call it before boot: the prefix's desktop takes its display driver when it starts."""
        authority = os.path.join(self.folder, "xauthority")
        display_file = os.path.join(self.folder, "display")
        # xvfb-run picks a free display and tells it only to its command, which writes it out and
        # then waits for its input to close.
        self.display_server = subprocess.Popen(
            ["xvfb-run", "--auto-servernum", "--auth-file=" + authority, "sh", "-c",
             'echo "$DISPLAY" >"$0.new" && mv "$0.new" "$0" && exec cat >/dev/null', display_file],
            env=self.environment, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + COMMAND_TIMEOUT_SECONDS
        while not os.path.exists(display_file):
            if self.display_server.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("xvfb-run did not start its X server")
            time.sleep(0.2)
        with open(display_file, encoding="ascii") as file:
            self.environment.update(DISPLAY=file.read().strip(), XAUTHORITY=authority)

    def prepare_for_windowed_programs(self):
        """Readies the prefix for windowed programs, such as installers: without a display of its
        own (use_own_display), gives them a display driver that shows nothing, and keeps one such
        program (Notepad) open until close. Without a driver, each run waits some ten seconds for
        a desktop and a COM service that cannot start without a display; without a program that
        stays, the prefix's desktop and services end with each run's last process and the next
        run waits for them to start again."""
        if self.display_server is None:
            self._wine("reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d",
                       "null", "/f", check=True)
        self.keeper = subprocess.Popen(["wine", "notepad"], env=self.environment, cwd=self.drive_c,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)

    def close(self):
        """Ends every Wine process of the prefix, waits for its server to exit, and removes it."""
        for option in ("-k", "-w"):
            subprocess.run(["wineserver", option], env=self.environment,
                           capture_output=True, timeout=COMMAND_TIMEOUT_SECONDS)
        if self.keeper:
            self.keeper.wait(timeout=COMMAND_TIMEOUT_SECONDS)
        if self.display_server:
            self.display_server.stdin.close()
            self.display_server.wait(timeout=COMMAND_TIMEOUT_SECONDS)
        shutil.rmtree(self.folder, ignore_errors=True)

    def host_path(self, windows_path):
        """The host path of a path on drive C:."""
        drive, _, rest = windows_path.partition(":\\")
        assert drive.upper() == "C", windows_path
        return os.path.join(self.drive_c, *rest.split("\\"))

    def copy_in(self, host_file, windows_path):
        os.makedirs(os.path.dirname(self.host_path(windows_path)), exist_ok=True)
        shutil.copyfile(host_file, self.host_path(windows_path))

    def write_bytes(self, windows_path, data):
        os.makedirs(os.path.dirname(self.host_path(windows_path)), exist_ok=True)
        with open(self.host_path(windows_path), "wb") as file:
            file.write(data)

    def write_text(self, windows_path, text):
        os.makedirs(os.path.dirname(self.host_path(windows_path)), exist_ok=True)
        with open(self.host_path(windows_path), "w", encoding="utf-8") as file:
            file.write(text)

    def run(self, program, *arguments, environment=None):
        """Runs a Windows program with the current folder C:\\ and returns what it printed."""
        completed = self._wine(program, *arguments, environment=environment)
        return Output(completed.stdout.decode(ANSI_CODE_PAGE),
                      completed.stderr.decode(ANSI_CODE_PAGE), completed.returncode)

    def state(self):
        """Everything the program can leave behind, by name: registry keys that hold values
        (name to value type and data), and the folders and shortcut files under both task roots.
        Keys without values and the task roots themselves are left out, so that what a run adds
        does not depend on which run came first."""
        found = {}
        for root in REGISTRY_ROOTS:
            found.update(self._registry_keys(root))
        for root in (self.local_task_root, self.common_task_root):
            found.update(self._task_files(root))
        return found

    def keys_below(self, root):
        """The registry keys below root (64-bit view) that hold values, by name: each value's name
        to its type and data."""
        return self._registry_keys(root)

    def _wine(self, *command, environment=None, check=False):
        return subprocess.run(["wine", *command], env=dict(self.environment, **(environment or {})),
                              cwd=self.drive_c if os.path.isdir(self.drive_c) else None,
                              capture_output=True, timeout=COMMAND_TIMEOUT_SECONDS, check=check)

    def _registry_keys(self, root):
        completed = self._wine("reg", "query", root, "/s", "/reg:64")
        if completed.returncode != 0:  # the root does not exist yet
            return {}
        keys = {}
        key = None
        for line in completed.stdout.decode(OEM_CODE_PAGE).splitlines():
            if line.startswith("HKEY_"):
                hive, _, rest = line.partition("\\")
                key = REGISTRY_ROOT_NAMES[hive] + "\\" + rest
            elif line.startswith("    "):
                name, value_type, data = line[4:].split("    ", 2)
                keys.setdefault(key, {})[name] = (value_type, data)
        return keys

    def _task_files(self, windows_root):
        found = {}
        host_root = self.host_path(windows_root)
        for folder, subfolders, files in os.walk(host_root):
            windows_folder = windows_root + folder[len(host_root):].replace("/", "\\")
            for name in subfolders:
                found[windows_folder + "\\" + name] = FOLDER
            for name in files:
                path = os.path.join(folder, name)
                found[windows_folder + "\\" + name] = (
                    read_shortcut(path) if name.endswith(".lnk")
                    else read_internet_shortcut(path) if name.endswith(".url") else "file")
        return found


SHORTCUT_FIELDS = {
    "Local path": "target",
    "Working directory": "working_directory",
    "Command line arguments": "arguments",
}


def read_shortcut(host_path):
    """Reads a shortcut file's target, working folder and arguments with lnkinfo."""
    text = subprocess.run(["lnkinfo", host_path], capture_output=True, check=True,
                          timeout=COMMAND_TIMEOUT_SECONDS).stdout.decode("utf-8")
    fields = {}
    for match in re.finditer(r"^\t([A-Za-z ]+?)\t+: (.*)$", text, re.MULTILINE):
        if match.group(1) in SHORTCUT_FIELDS:
            fields[SHORTCUT_FIELDS[match.group(1)]] = match.group(2)
    return Shortcut(target=fields.get("target"),
                    working_directory=fields.get("working_directory"),
                    arguments=fields.get("arguments"))


def read_internet_shortcut(host_path):
    """Reads the URL line of an Internet shortcut file's [InternetShortcut] section."""
    with open(host_path, encoding=ANSI_CODE_PAGE) as file:
        section = None
        for line in file.read().splitlines():
            if line.startswith("["):
                section = line
            elif section == "[InternetShortcut]" and line.startswith("URL="):
                return InternetShortcut(line[len("URL="):])
    return InternetShortcut(None)
