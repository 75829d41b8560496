// Hostile input at process level: the built program on a temporary emulated system, given
// arguments of the longest length Windows allows, ten thousand task lines, names and paths with
// every kind of character, undecodable bytes, damaged registry files and a system it may not
// write. Every run must print exactly the lines the commands give and exit with 0 (1 only with
// the usage), and leave a system that is still readable and still holds everything it held.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "emulated/registry/reg_file_format.h"
#include "support/demo_game.h"
#include "support/expected_output.h"
#include "support/process_runner.h"
#include "support/reason_codes.h"
#include "support/text_lines.h"

namespace {

namespace fs = std::filesystem;

const std::string& kBanner = kExpectedBanner;
const std::string& kUsage = kExpectedUsage;

// The longest command line element Windows passes.
constexpr std::size_t kLongest = 32767;

// A game every test registers first, whose registration and shortcuts must survive the test.
const std::string kBaseExe = "C:\\Games\\Base\\base.exe";
const std::string kMineExe = "C:\\Games\\Mine\\mine.exe";

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "brackenfold-hostile-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        // Reachable by the unprivileged user of the read-only case.
        fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

// Every file of the system but its lock: path below the system folder to bytes.
using SystemFiles = std::map<std::string, std::string>;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True when every key and value of part is in whole with the same data; where says what is not.
bool Includes(const RegistryNode& whole, const RegistryNode& part, const std::string& path,
              std::string& where) {
    for (const RegistryValue& value : part.Values()) {
        const RegistryValue* kept = whole.FindValue(value.name);
        if (kept == nullptr || kept->type != value.type || kept->data != value.data) {
            where = path + " value " + std::string(value.name.begin(), value.name.end());
            return false;
        }
    }
    for (const auto& [name, child] : part.Children()) {
        const RegistryNode* kept = whole.Find(name);
        const std::string childPath = path + "\\" + std::string(name.begin(), name.end());
        if (kept == nullptr) {
            where = childPath;
            return false;
        }
        if (!Includes(*kept, *child, childPath, where)) {
            return false;
        }
    }
    return true;
}

std::wstring HiveOf(const std::string& file) {
    return file.find("HKEY_CURRENT_USER") != std::string::npos ? L"HKEY_CURRENT_USER"
                                                               : L"HKEY_LOCAL_MACHINE";
}

class HostileInputTest : public testing::Test {
  protected:
    void SetUp() override {
        InstallDemoGame(System(), kBaseExe);
        InstallDemoGame(System(), kMineExe);
        // The tasks' other targets exist, as an installer's do: none is reported missing.
        InstallDemoGame(System(), "C:\\Games\\Base\\manual.pdf", "manual");
        InstallDemoGame(System(), "C:\\Games\\Big\\manual.pdf", "manual");
        std::ofstream(data_.Path() / "x") << "x";
        ExpectRun({"-add", "all", kBaseExe, "Play;" + kBaseExe + ";play;-fullscreen",
                   "Manual;C:\\Games\\Base\\manual.pdf;support"},
                  TaskAddedLine("Play", 0) + TaskAddedLine("Manual", 0));
        ExpectRun({"-add", "current", kMineExe, "Play;" + kMineExe + ";play"},
                  TaskAddedLine("Play", 0));
        before_ = Files();
    }

    fs::path System() const { return data_.Path() / "brackenfold" / "system"; }
    fs::path HiveFile(const char* hive) const {
        return System() / "registry" / (std::string(hive) + ".reg");
    }

    ProcessResult Run(const std::vector<std::string>& arguments,
                      const std::string& locale = "C.UTF-8") const {
        ProcessOptions options;
        options.environment["XDG_DATA_HOME"] = data_.Path().string();
        options.environment["LC_ALL"] = locale;
        options.workingDirectory = data_.Path().string();
        return RunProcess(BRACKENFOLD_PROGRAM, arguments, options);
    }

    // Runs and expects these lines after the banner (then "done.") and these failure lines.
    void ExpectRun(const std::vector<std::string>& arguments, const std::string& out,
                   const std::string& err = "", const std::string& locale = "C.UTF-8") const {
        const ProcessResult result = Run(arguments, locale);
        EXPECT_EQ(result.out, kBanner + out + DoneLine());
        EXPECT_EQ(WithReasonCodesOnly(result.err), err);
        EXPECT_EQ(result.exitStatus, 0);
    }

    // Installs the demo game at exe on drive C:, registers it for all users with one play task
    // on it, then removes it by its path.
    void ExpectAddedAndRemovedByPath(const std::string& exe, const std::string& locale) const {
        SCOPED_TRACE("path " + testing::PrintToString(exe) + " in " + locale);
        InstallDemoGame(System(), exe);
        // Quoted, so that a path holding a ";" is the task's whole target.
        ExpectRun({"-add", "all", exe, "Play;\"" + exe + "\";play"}, TaskAddedLine("Play", 0), "",
                  locale);
        ExpectRun({"-del", exe}, RegistrationRemovedLines(exe), "", locale);
    }

    SystemFiles Files() const {
        SystemFiles files;
        for (const auto& entry : fs::recursive_directory_iterator(System())) {
            if (entry.is_regular_file() && entry.path().filename() != "lock") {
                files[fs::relative(entry.path(), System()).string()] = ReadFile(entry.path());
            }
        }
        return files;
    }

    // Both registry files parse, every shortcut there before is there unchanged, and every key
    // and value there before is still there.
    void ExpectNothingLost(const SystemFiles& before) const {
        const SystemFiles now = Files();
        for (const auto& [file, bytes] : before) {
            SCOPED_TRACE(file);
            auto kept = now.find(file);
            ASSERT_NE(kept, now.end()) << "gone";
            if (!EndsWith(file, ".reg")) {
                EXPECT_EQ(kept->second, bytes) << "changed";
                continue;
            }
            const RegFileParse was = ParseRegFile(bytes, HiveOf(file));
            if (was.root == nullptr) {
                EXPECT_EQ(kept->second, bytes) << "an unreadable file was rewritten";
                continue;
            }
            const RegFileParse is = ParseRegFile(kept->second, HiveOf(file));
            ASSERT_TRUE(is.root != nullptr)
                << "unreadable: line " << is.errorLine << ": " << is.error;
            std::string where;
            EXPECT_TRUE(Includes(*is.root, *was.root, "", where)) << "lost " << where;
        }
    }

    // The baseline games are intact: nothing lost, and the program still finds and removes them.
    void ExpectBaselineIntact() const {
        ExpectNothingLost(before_);
        ExpectRun({"-del", kBaseExe}, RegistrationRemovedLines(kBaseExe));
        ExpectRun({"-del", kMineExe}, RegistrationRemovedLines(kMineExe));
    }

    std::size_t ShortcutCount(const char* extension = ".lnk") const {
        std::size_t count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(System())) {
            count += entry.path().extension() == extension ? 1 : 0;
        }
        return count;
    }

    TemporaryFolder data_;
    SystemFiles before_;
};

// ---- Arguments of the longest length ----------------------------------------------------------

TEST_F(HostileInputTest, ArgumentsOfTheLongestLengthEndWithTheirLines) {
    const std::string exe = "C:\\" + std::string(kLongest - 3, 'a');
    const std::string game = "C:\\Games\\Long\\long.exe";
    InstallDemoGame(System(), game);
    const std::string scope(kLongest, 'S');
    // A task name whose shortcut path cannot fit: refused, nothing created.
    const std::string longName(kLongest - 14, 'N');
    // A target of the longest length: more than a shortcut holds, refused.
    const std::string target = "C:\\" + std::string(kLongest - 13, 'b');
    ExpectRun({"-add", scope, game, longName + ";C:\\x.exe;play", "Long;" + target + ";play"}, "",
              TaskNotAddedLine(longName) + ReasonCode("0x800700CE") + TaskNotAddedLine("Long") +
                  ReasonCode("0x800700CE"));
    // No file has a name that long: there is no game to read a definition from.
    ExpectRun({"-add", scope, exe, "Play;" + exe + ";play"}, "",
              NotAddedLine(exe) + ReasonCode("0x800700CE"));

    // WMI's query cannot hold the path, and no record in the registry names it: nothing removed.
    ExpectRun({"-del", exe}, "", NotFoundLine(exe) + ReasonCode("0x80070490"));

    // A GUID option followed by text of the longest length is no GUID: refused, and the delete
    // looks the path up instead.
    const std::string option =
        "-guid:{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}" + std::string(kLongest - 44, 'x');
    ExpectRun(
        {option, "-del", exe}, "",
        GuidIgnoredLine(option.substr(6)) + exe + NotFoundLine("") + ReasonCode("0x80070490"));

    // An unknown command word or too few arguments for the delete command, however long they
    // are: the usage, status 1.
    const std::string longGuid(kLongest - 6, 'z');
    for (const auto& [arguments, err] :
         {std::pair{
              std::vector<std::string>{std::string(kLongest, 'c'), std::string(kLongest, 'd')},
              std::string()},
          std::pair{std::vector<std::string>{"-guid:" + longGuid, "-del"},
                    GuidIgnoredLine(longGuid)}}) {
        const ProcessResult usage = Run(arguments);
        EXPECT_EQ(usage.out, kBanner + kUsage);
        EXPECT_EQ(usage.err, err);
        EXPECT_EQ(usage.exitStatus, 1);
    }

    ExpectBaselineIntact();
}

// ---- Ten thousand task lines ------------------------------------------------------------------

TEST_F(HostileInputTest, TenThousandTaskLinesEachGetTheirLineAndIndex) {
    const std::string exe = "C:\\Games\\Big\\big.exe";
    InstallDemoGame(System(), exe);
    std::vector<std::string> arguments = {"-add", "all", exe};
    std::string out, err;
    int play = 0, support = 0, created = 0;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 50) {
            case 0:
                arguments.push_back("Play" + n + ";" + exe + ";play;-level " + n);
                out += TaskAddedLine("Play" + n, play++);
                ++created;
                break;
            case 25:
                arguments.push_back("Help" + n + ";C:\\Games\\Big\\manual.pdf;SUPPORT");
                out += TaskAddedLine("Help" + n, support++);
                ++created;
                break;
            case 5:
                arguments.push_back(";C:\\x.exe;play");
                out += TaskNameEmptyLine();
                break;
            case 7:  // a quoted name keeps its separator
                arguments.push_back("'quoted;name" + n + "';x;play");
                out += TaskAddedLine("quoted;name" + n, play++);
                ++created;
                break;
            case 6:
                arguments.push_back("bad*name" + n + ";C:\\x.exe;play");
                err += TaskNotAddedLine("bad*name" + n) + ReasonCode("0x8007007B");
                break;
            case 8:
                arguments.push_back("");
                err += TaskLineTooShortLine("");
                break;
            default:
                arguments.push_back("only" + n + ";two");
                err += WithoutLineFeed(TaskLineTooShortLine("only")) + n + ";two\n";
                break;
        }
    }
    const std::size_t shortcutsBefore = ShortcutCount();
    ExpectRun(arguments, out, err);
    EXPECT_EQ(ShortcutCount(), shortcutsBefore + static_cast<std::size_t>(created));

    ExpectRun({"-del", exe}, RegistrationRemovedLines(exe));
    EXPECT_EQ(ShortcutCount(), shortcutsBefore);
    ExpectBaselineIntact();
}

// ---- Every kind of character ------------------------------------------------------------------

struct NameCase {
    const char* name;
    enum { Added, Refused } outcome;
    // As its line shows it, where that differs: a control character is escaped.
    const char* printed = nullptr;
};

// Task names: control characters, the characters and names Windows refuses in file names,
// quotes, printf directives, and characters beyond ASCII (outside the locale when it is "C").
const NameCase kNames[] = {
    {"Plain", NameCase::Added},
    {" Blank around", NameCase::Added},
    {"Blank after ", NameCase::Refused},  // Windows would drop the blank
    {"Tab\there", NameCase::Refused, "Tab\\x09here"},
    {"New\nline", NameCase::Refused, "New\\nline"},
    {"Carriage\rreturn", NameCase::Refused, "Carriage\\rreturn"},
    {"Bell\x07", NameCase::Refused, "Bell\\x07"},
    {"Escape\x1b[31m", NameCase::Refused, "Escape\\x1B[31m"},
    {"Delete\x7f", NameCase::Added, "Delete\\x7F"},
    {"Back\\slash", NameCase::Refused},
    {"Forward/slash", NameCase::Refused},
    {"Colon:stream", NameCase::Refused},
    {"Pipe|", NameCase::Refused},
    {"Question?", NameCase::Refused},
    {"Star*", NameCase::Refused},
    {"Less<", NameCase::Refused},
    {"Greater>", NameCase::Refused},
    {".", NameCase::Refused},
    {"..", NameCase::Refused},
    {"...", NameCase::Refused},
    {"v1.0 ...final", NameCase::Added},
    {"nul", NameCase::Refused},  // device names reach the device, not a file
    {"Com1.txt", NameCase::Refused},
    {"nul .x", NameCase::Refused},
    {"COM1  .y", NameCase::Refused},
    {"CONIN$", NameCase::Refused},
    {"lpt\xc2\xb9.z", NameCase::Refused},  // LPT with a superscript one
    {"CONSOLE", NameCase::Added},
    {"it's", NameCase::Added},  // a quote inside a field is an ordinary character
    {"Percent %s %d %n %%", NameCase::Added},
    {"\xc3\x9c"
     "n"
     "\xc3\xaf"
     "c"
     "\xc3\xb6"
     "d"
     "\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80",
     NameCase::Added},
    {"Next\xc2\x85line", NameCase::Added},
    {"Right\xe2\x80\xaeto left", NameCase::Added},
    {"Order\xef\xbb\xbfmark", NameCase::Added},
};

// The task lines of kNames on target, and the lines the add command prints for them.
std::vector<std::string> NameLines(const std::string& target, std::string& out, std::string& err) {
    std::vector<std::string> lines;
    int index = 0;
    for (const NameCase& c : kNames) {
        lines.push_back(std::string(c.name) + ";" + target + ";play");
        const std::string printed = c.printed != nullptr ? c.printed : c.name;
        if (c.outcome == NameCase::Added) {
            out += TaskAddedLine(printed, index++);
        } else {
            err += TaskNotAddedLine(printed) + ReasonCode("0x8007007B");
        }
    }
    return lines;
}

TEST_F(HostileInputTest, TaskNamesOfEveryCharacterClassAreAddedOrRefusedByName) {
    for (const char* locale : {"C.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        const std::string exe = "C:\\Games\\Chars\\chars.exe";
        InstallDemoGame(System(), exe);
        std::string out, err;
        std::vector<std::string> arguments = {"-add", "current", exe};
        for (std::string& line : NameLines(exe, out, err)) {
            arguments.push_back(line);
        }
        const std::size_t shortcutsBefore = ShortcutCount();
        ExpectRun(arguments, out, err, locale);
        EXPECT_EQ(ShortcutCount(), shortcutsBefore + LinesOf(out).size());
        ExpectRun({"-del", exe}, RegistrationRemovedLines(exe), "", locale);
        EXPECT_EQ(ShortcutCount(), shortcutsBefore);
    }
    ExpectBaselineIntact();
}

// A shortcut keeps a target of at most 259 characters; the shell would cut a longer one. A line
// break in a web address would add lines of the address's choosing to the Internet shortcut.
TEST_F(HostileInputTest, TargetsCutByAShortcutAndAddressesWithLineBreaksAreRefused) {
    const std::string exe = "C:\\Games\\Long\\long.exe";
    InstallDemoGame(System(), exe);
    const std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'd');
    ExpectRun(
        {"-add", "all", exe, "Longest;" + longest + ";play", "Long;" + longest + "d;play",
         "Site;http://example.com/\r\nIconFile=\\\\evil\\share\\i.ico\r\nIconIndex=0;support"},
        TaskAddedLine("Longest", 0),
        TaskNotAddedLine("Long") + ReasonCode("0x800700CE") + TaskNotAddedLine("Site") +
            ReasonCode("0x8007007B"));
    EXPECT_EQ(ShortcutCount(".url"), 0u);
    ExpectRun({"-del", exe}, RegistrationRemovedLines(exe));
    ExpectBaselineIntact();
}

// A FIFO blocks whoever opens it until its other end is opened: the add must fail at once.
TEST_F(HostileInputTest, FifoAsTheGameFailsAtOnce) {
    const fs::path fifo = data_.Path() / "game.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string path = "Z:" + fifo.string();
    ExpectRun({"-add", "all", path, "Play;" + path + ";play"}, "",
              NotAddedLine(path) + ReasonCode("0x80070005"));
    ExpectBaselineIntact();
}

// Adds of one game at once each remove the scope's tasks and write their own; the tasks left
// are one run's whole set, never a mix in which one run's removal took another's shortcuts.
TEST_F(HostileInputTest, ParallelAddsOfOneGameLeaveOneRunsWholeTaskSet) {
    const std::string exe = "C:\\Games\\Race\\race.exe";
    InstallDemoGame(System(), exe);
    const std::string guid = "{5A6B7C8D-9E0F-4A1B-8C2D-3E4F5A6B7C8D}";
    ProcessOptions options;
    options.environment["XDG_DATA_HOME"] = data_.Path().string();
    options.environment["LC_ALL"] = "C.UTF-8";
    const std::vector<std::string> parallel = {
        "-c",
        "for i in 1 2 3 4 5 6 7 8 9 10; do \"$0\" \"$@\" >/dev/null & done; wait",
        BRACKENFOLD_PROGRAM,
        "-guid:" + guid,
        "-add",
        "all",
        exe,
        "P;" + exe + ";play",
        "Q;" + exe + ";play",
        "R;" + exe + ";play",
        "S;" + exe + ";support"};
    const fs::path tasks =
        System() / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "GameExplorer" / guid;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const ProcessResult result = RunProcess("/bin/sh", parallel, options);
        EXPECT_EQ(result.err, "");
        std::vector<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(tasks)) {
            if (!entry.is_directory()) {
                left.push_back(fs::relative(entry.path(), tasks).generic_string());
            }
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"PlayTasks/0/P.lnk", "PlayTasks/1/Q.lnk",
                                                  "PlayTasks/2/R.lnk", "SupportTasks/0/S.lnk"}));
    }
    ExpectRun({"-del", exe}, RegistrationRemovedLines(exe));
    ExpectBaselineIntact();
}

// Adds of one game without a GUID at once, and a delete among them: each run's lookup,
// registration and tasks happen while no other run of that path is between its own, so the game
// is registered once (or not at all, when the delete came last) and never left without its tasks.
TEST_F(HostileInputTest, ParallelRunsOfOneGameByItsPathRegisterItAtMostOnce) {
    const std::string exe = "C:\\Games\\Race\\race.exe";
    InstallDemoGame(System(), exe);
    ProcessOptions options;
    options.environment["XDG_DATA_HOME"] = data_.Path().string();
    options.environment["LC_ALL"] = "C.UTF-8";
    const std::vector<std::string> parallel = {
        "-c",
        "for i in 1 2 3 4 5 6; do \"$0\" -add all \"$1\" \"$2\" >/dev/null & done; "
        "\"$0\" -del \"$1\" >/dev/null & wait",
        BRACKENFOLD_PROGRAM, exe, "P;" + exe + ";play"};
    const std::string removed = RegistrationRemovedLines(exe);
    // The delete may run before any add has registered the game: it then finds nothing.
    const std::string foundNothing = NotFoundLine(exe) + ReasonCode("0x80070490");
    const std::size_t baseline = ShortcutCount();
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const ProcessResult result = RunProcess("/bin/sh", parallel, options);
        EXPECT_THAT(WithReasonCodesOnly(result.err), testing::AnyOf("", foundNothing));
        const std::size_t shortcuts = ShortcutCount();
        const ProcessResult left = Run({"-del", exe});
        // Registered once with its one task, or removed with it by a delete that ran last.
        EXPECT_EQ(shortcuts, left.out == kBanner + DoneLine() ? baseline : baseline + 1);
        if (shortcuts != baseline) {
            EXPECT_EQ(left.out, kBanner + removed + DoneLine());
        }
        EXPECT_EQ(ShortcutCount(), baseline);
    }
    ExpectBaselineIntact();
}

TEST_F(HostileInputTest, ExecutablePathsOfEveryCharacterClassAreFoundAgainByPath) {
    const std::string paths[] = {
        "C:\\Games\\Odd 'single';semi\\\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\\demo.exe",
        "C:\\Games\\Percent %s %d %n\\demo.exe",
        "C:/Games/forward/demo.exe",
    };
    // Paths where no game can be: Game Explorer refuses them, and no lookup finds them. Quotes
    // and control characters are among the characters that Windows refuses in file names.
    // Each with the reason the binary check gives: a name Windows refuses, a missing file, a
    // missing folder; and as its lines show it where that differs (control characters escaped).
    struct Nowhere {
        std::string path;
        std::string reason;
        std::string printed = {};
    };
    const Nowhere nowhere[] = {
        {"C:\\Games\\Odd \"quoted\"\\ctl\x01\x1f\ttab\nline\\demo.exe", "0x8007007B",
         "C:\\Games\\Odd \"quoted\"\\ctl\\x01\\x1F\\x09tab\\nline\\demo.exe"},
        {"C:\\Games\\Query \" OR GDFBinaryPath LIKE \"%\\demo.exe", "0x8007007B"},
        {"C:\\Games\\Trailing\\", "0x80070002"},
        {"\\\\server\\share\\game.exe", "0x80070003"},
        {"Z:\\nowhere\\path.exe", "0x80070003"},
        {"relative.exe", "0x80070002"},
    };
    for (const char* locale : {"C.UTF-8", "C"}) {
        for (const std::string& path : paths) {
            ExpectAddedAndRemovedByPath(path, locale);
        }
        for (const auto& [path, reason, printed] : nowhere) {
            SCOPED_TRACE("path " + testing::PrintToString(path) + " in " + locale);
            const std::string& shown = printed.empty() ? path : printed;
            ExpectRun({"-add", "all", path, "Play;" + path + ";play"}, "",
                      NotAddedLine(shown) + ReasonCode(reason), locale);
            ExpectRun({"-del", path}, "", NotFoundLine(shown) + ReasonCode("0x80070490"), locale);
        }
    }
    // An empty path names no game: nothing is registered, and nothing is looked up to remove.
    ExpectRun({"-add", "all", "", "Play;x.exe;play"}, "",
              NotAddedLine("") + ReasonCode("0x80070057"));
    ExpectRun({"-del", ""}, "", NotFoundLine("") + ReasonCode("0x80070057"));
    ExpectBaselineIntact();
}

// The C locale names no encoding: its arguments are read as UTF-8, so a game added there is the
// same game in a UTF-8 locale, and the other way round.
TEST_F(HostileInputTest, PathsTypedInTheCLocaleNameTheSameGameInAUtf8Locale) {
    const std::string exe = "C:\\Games\\Caf\xc3\xa9\\game.exe";
    InstallDemoGame(System(), exe);
    const std::pair<const char*, const char*> kLocales[] = {{"C", "C.UTF-8"}, {"C.UTF-8", "POSIX"}};
    for (const auto& [addLocale, deleteLocale] : kLocales) {
        SCOPED_TRACE(std::string(addLocale) + " then " + deleteLocale);
        ExpectRun({"-add", "all", exe, "Play;" + exe + ";play"}, TaskAddedLine("Play", 0), "",
                  addLocale);
        ExpectRun({"-del", exe}, RegistrationRemovedLines(exe), "", deleteLocale);
    }
    ExpectBaselineIntact();
}

TEST_F(HostileInputTest, UndecodableBytesComeBackAsTheSameBytes) {
    // Invalid in UTF-8: a stray continuation byte, a cut sequence, an encoded surrogate, an
    // overlong form, a code point beyond Unicode, bytes that never occur.
    const std::string bad[] = {"\x80",         "cut\xe4\xb8",         "sur\xed\xa0\x80",
                               "over\xc0\xaf", "big\xf4\x90\x80\x80", "\xfe\xff"};
    const std::string exe = "C:\\Games\\Bad\xff\\demo\xc3.exe";
    InstallDemoGame(System(), exe);
    std::vector<std::string> arguments = {"-add", "all", exe};
    std::string out;
    int index = 0;
    for (const std::string& name : bad) {
        arguments.push_back(name + ";" + exe + ";play;-name " + name);
        out += TaskAddedLine(name, index++);
    }
    ExpectRun(arguments, out);
    ExpectRun({"-del", exe}, RegistrationRemovedLines(exe));

    const std::string option = "-guid:{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}\xff\xc3";
    const ProcessResult unknown = Run({option, "-\xff", "x"});
    EXPECT_EQ(unknown.out, kBanner + kUsage);
    EXPECT_EQ(unknown.err, GuidIgnoredLine(option.substr(6)));
    EXPECT_EQ(unknown.exitStatus, 1);
    ExpectAddedAndRemovedByPath("C:\\\xed\xa0\x80\\\xf8\x88\x80\x80\x80.exe", "C.UTF-8");
    ExpectBaselineIntact();
}

// ---- Damaged registry files -------------------------------------------------------------------

struct Damage {
    std::string description;
    std::string bytes;
};

// Twelve cuts and twelve overwritten stretches at points drawn with a fixed seed, so that every
// run tries the same files.
std::vector<Damage> DamagedCopies(const std::string& file) {
    std::mt19937 random(20261207);
    std::vector<Damage> copies;
    for (int i = 0; i < 12; ++i) {
        const std::size_t cut =
            std::uniform_int_distribution<std::size_t>(0, file.size() - 1)(random);
        copies.push_back({"cut at " + std::to_string(cut), file.substr(0, cut)});
    }
    for (int i = 0; i < 12; ++i) {
        std::string bytes = file;
        const std::size_t at =
            std::uniform_int_distribution<std::size_t>(0, file.size() - 1)(random);
        const std::size_t length = std::uniform_int_distribution<std::size_t>(1, 3)(random);
        for (std::size_t j = at; j < at + length && j < bytes.size(); ++j) {
            bytes[j] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        }
        copies.push_back({"bytes overwritten at " + std::to_string(at), bytes});
    }
    return copies;
}

// A damaged file that still parses is simply the registry now; the run must then end normally
// and keep what that file holds.
void ExpectOrdinaryRun(const ProcessResult& result) {
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(EndsWith(result.out, DoneLine())) << result.out;
    for (const std::string& line : LinesOf(result.err)) {
        EXPECT_TRUE(EndsWith(line, kNotAddedText) || EndsWith(line, kNotRemovedText) ||
                    EndsWith(line, kNotFoundText) || line.rfind(kReasonLineStart, 0) == 0)
            << line;
    }
}

TEST_F(HostileInputTest, DamagedLocalMachineFileFailsTheRunAndIsLeftAsItWas) {
    const fs::path file = HiveFile("HKEY_LOCAL_MACHINE");
    const std::string original = ReadFile(file);
    InstallDemoGame(System(), "C:\\Games\\Other\\other.exe");
    int unreadable = 0;
    for (const Damage& damage : DamagedCopies(original)) {
        SCOPED_TRACE(damage.description);
        WriteFile(file, damage.bytes);
        const SystemFiles damaged = Files();
        if (ParseRegFile(damage.bytes, L"HKEY_LOCAL_MACHINE").root == nullptr) {
            ++unreadable;
            // Game Explorer, its WMI namespace and its records are kept there: the game is not
            // found, for the reason that the file is damaged, and a new one cannot be recorded
            // anywhere for all users.
            ExpectRun({"-del", kBaseExe}, "", NotFoundLine(kBaseExe) + ReasonCode("0x8007000D"));
            ExpectRun({"-add", "all", "C:\\Games\\Other\\other.exe", "Play;C:\\x.exe;play"}, "",
                      NotAddedLine("C:\\Games\\Other\\other.exe") + ReasonCode("0x8007000D"));
            EXPECT_EQ(ReadFile(file), damage.bytes);
        } else {
            ExpectOrdinaryRun(Run({"-add", "all", "C:\\Games\\Other\\other.exe"}));
        }
        ExpectNothingLost(damaged);
        WriteFile(file, original);
    }
    RecordProperty("unreadable_copies", unreadable);
    // Which copies still parse depends on the file's layout (user names differ between hosts);
    // the unreadable case must be reached all the same.
    EXPECT_GT(unreadable, 0);
    ExpectBaselineIntact();
}

TEST_F(HostileInputTest, DamagedCurrentUserFileIsLeftAsItWasWhileGameExplorerWorks) {
    const fs::path file = HiveFile("HKEY_CURRENT_USER");
    const std::string original = ReadFile(file);
    const std::string other = "C:\\Games\\Other\\other.exe";
    InstallDemoGame(System(), other);
    for (const Damage& damage : DamagedCopies(original)) {
        SCOPED_TRACE(damage.description);
        WriteFile(file, damage.bytes);
        const SystemFiles damaged = Files();
        // Game Explorer keeps its games in the local machine's file: the damage is not in the way
        // of the add. The user's upgrade keys may still name the game: its removal is not done.
        ExpectRun({"-add", "current", other, "Play;" + other + ";play"}, TaskAddedLine("Play", 0));
        ExpectRun({"-del", other}, TasksRemovedLine(other),
                  NotRemovedLine(other) + ReasonCode("0x8007000D"));
        EXPECT_EQ(ReadFile(file), damage.bytes);
        ExpectNothingLost(damaged);
        WriteFile(file, original);
    }
    ExpectBaselineIntact();
}

// ---- A system that may not be written ---------------------------------------------------------

TEST_F(HostileInputTest, SystemWithoutWritePermissionRefusesChangesAndKeepsEverything) {
    // Permissions do not stop root: run the program as an unprivileged user instead, through
    // setpriv, which util-linux always installs, so that the check is made on every machine.
    std::vector<std::string> prefix;
    if (::geteuid() == 0) {
        ASSERT_TRUE(fs::exists("/usr/bin/setpriv"))
            << "running as root: setpriv (util-linux) is needed to drop privileges";
        prefix = {"--reuid=65534", "--regid=65534", "--clear-groups", BRACKENFOLD_PROGRAM};
    }
    // A real game, so that only the registry is in the way of its registration.
    const std::string other = "C:\\Games\\Other\\other.exe";
    InstallDemoGame(System(), other);
    for (const auto& entry : fs::recursive_directory_iterator(System())) {
        fs::permissions(entry.path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        // Readable by anyone, so that only the missing write permission is in the way.
        fs::permissions(entry.path(),
                        entry.is_directory() ? fs::perms::others_read | fs::perms::others_exec
                                             : fs::perms::others_read,
                        fs::perm_options::add);
    }
    fs::permissions(System(), fs::perms::owner_write | fs::perms::group_write,
                    fs::perm_options::remove);
    const SystemFiles before = Files();

    auto run = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> all = prefix;
        all.insert(all.end(), arguments.begin(), arguments.end());
        ProcessOptions options;
        options.environment["XDG_DATA_HOME"] = data_.Path().string();
        options.workingDirectory = "/";
        return RunProcess(prefix.empty() ? BRACKENFOLD_PROGRAM : "/usr/bin/setpriv", all, options);
    };
    // The usage run touches no file: it shows that the program starts as that user at all.
    const ProcessResult probe = run({});
    ASSERT_EQ(probe.exitStatus, 1)
        << "the program did not run as an unprivileged user: " << probe.err;
    for (const char* scope : {"all", "current"}) {
        const ProcessResult add = run({"-add", scope, other, "Play;C:\\x.exe;play"});
        EXPECT_EQ(add.out, kBanner + DoneLine());
        EXPECT_EQ(WithReasonCodesOnly(add.err), NotAddedLine(other) + ReasonCode("0x80070005"));
        EXPECT_EQ(add.exitStatus, 0);
    }
    const ProcessResult del = run({"-del", kBaseExe});
    EXPECT_EQ(del.out, kBanner + DoneLine());
    EXPECT_EQ(WithReasonCodesOnly(del.err), NotFoundLine(kBaseExe) + ReasonCode("0x80070005"));
    EXPECT_EQ(del.exitStatus, 0);
    EXPECT_EQ(Files(), before);

    for (const auto& entry : fs::recursive_directory_iterator(System())) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::permissions(System(), fs::perms::owner_write, fs::perm_options::add);
    ExpectBaselineIntact();
}

}  // namespace
