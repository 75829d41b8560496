// The documents' statements that name a number, a file or a folder of the code are checked
// against it, so that a change of the code that makes one untrue fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "registration/game_locks.h"

namespace {

namespace fs = std::filesystem;
const fs::path kSource = BRACKENFOLD_SOURCE_DIR;

std::string Document(const fs::path& relative) {
    std::ifstream file(kSource / relative);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<fs::path> Documents() {
    std::vector<fs::path> documents = {"README.md", "KIT-README.md"};
    for (const auto& entry : fs::directory_iterator(kSource / "docs")) {
        if (entry.path().extension() == ".md") {
            documents.push_back(fs::relative(entry.path(), kSource));
        }
    }
    return documents;
}

// Every file of the tree's code, by its path below the tree's top.
std::vector<std::string> SourcePaths() {
    std::vector<std::string> paths;
    for (const char* folder : {"src", "tests", "fuzz", "bench", "examples", "scripts", "cmake"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
            paths.push_back(fs::relative(entry.path(), kSource).generic_string());
        }
    }
    return paths;
}

// Whether name is a file of the tree, named by its last names ("room/file.h").
bool NamesASourceFile(const std::vector<std::string>& paths, const std::string& name) {
    for (const std::string& path : paths) {
        if (path == name || path.ends_with("/" + name)) {
            return true;
        }
    }
    return false;
}

// Headers of the platform's SDK, which the documents name too.
const std::set<std::string> kPlatformHeaders = {"msi.h", "msiquery.h", "windows.h", "shlobj.h"};

TEST(Documents, TheLockDeadlineTheyStateIsTheCodes) {
    const std::string seconds = std::to_string(kGameLockDeadlineMilliseconds / 1000);
    EXPECT_NE(Document("README.md").find(seconds + "-second deadline"), std::string::npos);
    EXPECT_NE(Document("KIT-README.md").find("locks for " + seconds + " seconds"),
              std::string::npos);
    EXPECT_NE(Document("docs/architecture.md").find("deadline of " + seconds + " s"),
              std::string::npos);
}

TEST(Documents, EverySourceFileTheyNameExists) {
    const std::vector<std::string> paths = SourcePaths();
    const std::regex named("`([A-Za-z0-9_./-]+\\.(h|cpp|def|py|inc))`");
    for (const fs::path& document : Documents()) {
        const std::string text = Document(document);
        for (auto match = std::sregex_iterator(text.begin(), text.end(), named);
             match != std::sregex_iterator(); ++match) {
            const std::string name = (*match)[1].str();
            EXPECT_TRUE(NamesASourceFile(paths, name) || kPlatformHeaders.contains(name))
                << document << " names " << name;
        }
    }
}

TEST(Documents, TheRoomsOfThePortablePlatformTheyNameExist) {
    const std::string text = Document("docs/architecture.md");
    const std::regex order("So the include order is ([^\\n]*\\n[^\\n]*)");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(text, found, order));
    const std::string sentence = found[1].str();
    const std::regex room("`([a-z_]+)`");
    int rooms = 0;
    for (auto match = std::sregex_iterator(sentence.begin(), sentence.end(), room);
         match != std::sregex_iterator(); ++match, ++rooms) {
        EXPECT_TRUE(fs::is_directory(kSource / "src/platform/portable" / (*match)[1].str()))
            << (*match)[1].str();
    }
    EXPECT_GE(rooms, 4);
}

}  // namespace
