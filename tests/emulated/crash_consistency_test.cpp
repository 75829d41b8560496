// Crash consistency: adds and deletes with several tasks are killed with SIGKILL at random
// moments (fixed seed). After every kill both registry files must parse, and the next add and
// delete must succeed as on a system that never saw a crash, leaving no temporary file behind.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <iostream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "emulated/registry/reg_file_format.h"
#include "emulated_test_support.h"
#include "support/expected_output.h"

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// Under the sanitizers every run is several times slower: a fifth of the kills still checks the
// program's memory use on a system left by crashes, and the host build makes all 200.
constexpr int kKillsWanted = kSanitized ? 40 : 200;
// The kills are shared among this many systems that run at once, each its own runs one by one:
// a run mostly waits for its writes to reach the disk.
constexpr int kSystems = 2;
// A bound for a very slow machine: 200 kills take about 40 s on two cores busy with other builds.
constexpr std::chrono::seconds kTimeLimit{240};
constexpr int kRunTimeLimitMilliseconds = 30000;
constexpr unsigned kSeed = 20261207;
const std::string kGuidOption = "-guid:{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}";

using Clock = std::chrono::steady_clock;

// One emulated system on which runs are killed, and how it went.
class CrashRig {
  public:
    CrashRig() {
        std::string game = InstallTestGame(System());
        add_ = {kGuidOption,
                "-add",
                "all",
                game,
                "Play;" + game + ";play;-windowed",
                "Editor;" + game + ";play;-edit",
                "Manual;C:\\Games\\Demo\\manual.pdf;support"};
        delete_ = {kGuidOption, "-del", game};
    }

    // Kills runs until kills of them died by the kill, or the deadline passes; the number killed.
    int KillRuns(int wanted, unsigned seed, Clock::time_point deadline) {
        // Healthy runs: their output is what every run after a kill must print, and their
        // length bounds the moments at which the killed runs are stopped.
        Clock::time_point started = Clock::now();
        std::string healthyAdd = Run(add_);
        auto addLength = Clock::now() - started;
        started = Clock::now();
        std::string healthyDelete = Run(delete_);
        auto deleteLength = Clock::now() - started;
        if (healthyAdd.find(WithoutLineFeed(TaskAddedLine("Editor", 1))) == std::string::npos ||
            healthyDelete.find(RemovedLine("")) == std::string::npos) {
            ADD_FAILURE() << "a healthy run failed:\n" << healthyAdd << healthyDelete;
            return 0;
        }
        auto longest = std::chrono::duration_cast<std::chrono::microseconds>(
            std::max(addLength, deleteLength));
        std::mt19937 random(seed);
        std::uniform_int_distribution<long> moment(0, longest.count());

        int kills = 0;
        for (int attempt = 0; kills < wanted && Clock::now() < deadline; ++attempt) {
            bool killDelete = attempt % 2 == 1;
            if (killDelete && Run(add_) != healthyAdd) {
                ADD_FAILURE() << "an add failed before kill " << kills;
                return kills;
            }
            if (!RunAndKill(killDelete ? delete_ : add_,
                            std::chrono::microseconds(moment(random)))) {
                continue;  // it finished before the kill
            }
            ++kills;
            SCOPED_TRACE("after kill " + std::to_string(kills) + " of " +
                         (killDelete ? std::string("a delete") : std::string("an add")));
            ExpectBothHivesParse();
            EXPECT_EQ(Run(add_), healthyAdd);
            EXPECT_EQ(Run(delete_), healthyDelete);
            EXPECT_EQ(TemporaryFilesBelow(System()), std::vector<std::filesystem::path>{});
            if (testing::Test::HasFailure()) {
                return kills;
            }
        }
        return kills;
    }

  private:
    std::filesystem::path System() const { return data_.Path() / "brackenfold" / "system"; }

    // Runs the program to its end: what it printed on both streams, or "<failed>" when it
    // did not end with status 0 (or printed nothing for 30 s: it is then killed).
    std::string Run(const std::vector<std::string>& arguments) const {
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) {
            return "<no pipe>";
        }
        pid_t child = Spawn(arguments, output[1]);
        ::close(output[1]);
        if (child <= 0) {
            ::close(output[0]);
            return "<failed>";
        }
        std::string printed;
        char buffer[4096];
        pollfd readable{output[0], POLLIN, 0};
        for (ssize_t got = 1; got != 0;) {
            if (::poll(&readable, 1, kRunTimeLimitMilliseconds) == 0) {
                ::kill(child, SIGKILL);
                break;
            }
            got = ::read(output[0], buffer, sizeof buffer);
            if (got > 0) {
                printed.append(buffer, static_cast<std::size_t>(got));
            } else if (got < 0 && errno != EINTR) {
                break;
            }
        }
        ::close(output[0]);
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            return "<failed>";
        }
        return printed;
    }

    // Starts the program with its output discarded and kills it after delay; true when the kill
    // ended it (it may have finished first).
    bool RunAndKill(const std::vector<std::string>& arguments,
                    std::chrono::microseconds delay) const {
        int discard = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        pid_t child = Spawn(arguments, discard);
        ::close(discard);
        if (child <= 0) {
            return false;
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // Starts the program on this system with both output streams on output. posix_spawn, not
    // fork, as several systems run at once from threads of this process.
    pid_t Spawn(const std::vector<std::string>& arguments, int output) const {
        std::vector<std::string> words{BRACKENFOLD_PROGRAM};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        std::string dataHome = "XDG_DATA_HOME=" + data_.Path().string();
        std::vector<char*> envp;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (!std::string_view(*entry).starts_with("XDG_DATA_HOME=")) {
                envp.push_back(*entry);
            }
        }
        envp.push_back(dataHome.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        posix_spawn_file_actions_adddup2(&actions, output, 2);
        pid_t child = -1;
        int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start the program: " << spawned;
            return -1;
        }
        return child;
    }

    void ExpectBothHivesParse() const {
        for (std::string hive : {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"}) {
            std::string bytes = ReadBytes(System() / "registry" / (hive + ".reg"));
            RegFileParse parsed = ParseRegFile(bytes, std::wstring(hive.begin(), hive.end()));
            EXPECT_TRUE(parsed.root)
                << hive << " line " << parsed.errorLine << ": " << parsed.error;
        }
    }

    TemporaryFolder data_;
    std::vector<std::string> add_;
    std::vector<std::string> delete_;
};

TEST(CrashConsistencyTest, KilledRunsLeaveASystemThatTheNextRunsUseAsUsual) {
    Clock::time_point deadline = Clock::now() + kTimeLimit;
    std::vector<std::future<int>> systems;
    for (int system = 0; system < kSystems; ++system) {
        systems.push_back(std::async(std::launch::async, [system, deadline] {
            CrashRig rig;
            return rig.KillRuns(kKillsWanted / kSystems, kSeed + system, deadline);
        }));
    }
    int kills = 0;
    for (auto& system : systems) {
        kills += system.get();
    }
    std::cout << kills << " kills survived\n";
    RecordProperty("KillsSurvived", std::to_string(kills));
    EXPECT_GE(kills, kKillsWanted) << "too few kills within the time limit";
}

}  // namespace
