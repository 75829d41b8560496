// The locks of a game, taken in this process on the emulated system: one lock per game whatever
// the spelling of its path, within one deadline per run.
#include <cstdlib>

#include <gtest/gtest.h>

#include "emulated_test_support.h"
#include "registration/game_identity.h"
#include "support/demo_game.h"

namespace {

const HRESULT kTimedOut = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

// One system for the suite: the process keeps the system it opened first.
class GameLocksTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        data_ = new TemporaryFolder;
        ::setenv("XDG_DATA_HOME", data_->Path().c_str(), 1);
        InstallDemoGame(data_->Path() / "brackenfold" / "system",
                        "C:\\Games\\Long Folder\\demo.exe");
    }
    static void TearDownTestSuite() { delete data_; }

    static GamePath PathOf(const std::wstring& spelling) {
        GamePath path;
        EXPECT_EQ(MakeGamePath(spelling, path), S_OK);
        return path;
    }

    static inline TemporaryFolder* data_ = nullptr;
};

TEST_F(GameLocksTest, EverySpellingOfAPathWaitsForTheOneLock) {
    GameLocks holder;
    ASSERT_EQ(holder.LockPath(PathOf(L"C:\\Games\\Long Folder\\demo.exe")), S_OK);
    for (const wchar_t* spelling :
         {L"c:\\GAMES\\long folder\\DEMO.EXE", L"\\\\?\\C:\\Games\\Long Folder\\demo.exe",
          L"\\\\.\\C:\\Games\\Long Folder\\demo.exe", L"C:\\Games\\LONGFO~1\\demo.exe",
          L"C:\\Games\\Other\\..\\Long Folder\\demo.exe", L"C:/Games/Long Folder/demo.exe"}) {
        GameLocks waiter(50);
        EXPECT_EQ(waiter.LockPath(PathOf(spelling)), kTimedOut);
    }
    // Letters beyond ASCII fold the same in every locale.
    GameLocks accented;
    ASSERT_EQ(accented.LockPath(PathOf(L"C:\\Jeux\\\u00e9t\u00e9\\demo.exe")), S_OK);
    GameLocks upper(50);
    EXPECT_EQ(upper.LockPath(PathOf(L"C:\\JEUX\\\u00c9T\u00c9\\DEMO.EXE")), kTimedOut);
    // Another game is not held up.
    GameLocks other(50);
    EXPECT_EQ(other.LockPath(PathOf(L"C:\\Games\\Other\\demo.exe")), S_OK);
}

// The deadline is the run's, not each lock's: a run that spent it waiting for one lock does not
// wait again for the next.
TEST_F(GameLocksTest, OneDeadlineCoversEveryLockOfARun) {
    constexpr GUID kGame = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 4}};
    GameLocks holder;
    ASSERT_EQ(holder.LockPath(PathOf(L"C:\\Games\\Long Folder\\demo.exe")), S_OK);
    ASSERT_EQ(holder.LockGame(kGame), S_OK);
    GameLocks run(100);
    EXPECT_EQ(run.LockPath(PathOf(L"C:\\Games\\Long Folder\\demo.exe")), kTimedOut);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run.LockGame(kGame), kTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
}

}  // namespace
