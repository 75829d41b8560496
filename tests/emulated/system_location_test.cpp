#include "emulated/location/system_location.h"

#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

namespace {

struct LoginCase {
    const char* name;
    const char* databaseName;
    const char* userVariable;
    std::wstring expected;
};

void PrintTo(const LoginCase& login, std::ostream* out) {
    *out << login.name;
}

class ProfileFolderName : public testing::TestWithParam<LoginCase> {};

// The login name becomes a folder below C:\Users: only a plain file name may be used as it is.
TEST_P(ProfileFolderName, IsAPlainFileNameOrUserAndTheUid) {
    const LoginCase& login = GetParam();
    EXPECT_EQ(SystemUserFor(42, login.databaseName, login.userVariable).loginName, login.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Logins, ProfileFolderName,
    testing::Values(LoginCase{"FromTheUserDatabase", "alice", "bob", L"alice"},
                    LoginCase{"FromUserWithoutAnEntry", nullptr, "bob", L"bob"},
                    LoginCase{"UserThatLeadsElsewhere", nullptr, "../../../tmp/x", L"user42"},
                    LoginCase{"UserThatIsTheParent", nullptr, "..", L"user42"},
                    LoginCase{"UserWithABackslash", nullptr, "a\\b", L"user42"},
                    LoginCase{"EmptyUser", nullptr, "", L"user42"},
                    LoginCase{"NoNameAtAll", nullptr, nullptr, L"user42"}),
    [](const auto& loginCase) { return std::string(loginCase.param.name); });

// Sets an environment variable (or removes it, for nullopt) for one scope.
class EnvironmentScope {
  public:
    EnvironmentScope(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;
    ~EnvironmentScope() { Set(old_); }

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SystemFolderFromEnvironment, RelativeHomeIsRefusedLikeAMissingOne) {
    EnvironmentScope dataHome("XDG_DATA_HOME", std::nullopt);
    {
        EnvironmentScope home("HOME", "relative/home");
        EXPECT_EQ(SystemFolderFromEnvironment(), std::filesystem::path());
    }
    EnvironmentScope home("HOME", "/home/a");
    EXPECT_EQ(SystemFolderFromEnvironment(), "/home/a/.local/share/brackenfold/system");
}

}  // namespace
