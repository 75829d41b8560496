#include "support/temporary_folder.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

TemporaryFolder::TemporaryFolder() : TemporaryFolder(std::filesystem::temp_directory_path()) {}

TemporaryFolder::TemporaryFolder(const std::filesystem::path& base) {
    std::error_code error;
    const std::filesystem::path parent =
        std::filesystem::is_directory(base, error) ? base : std::filesystem::temp_directory_path();
    std::string pattern = (parent / "emulated-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}
