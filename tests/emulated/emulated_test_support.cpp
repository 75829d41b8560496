#include "emulated_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "emulated/base/utf16.h"
#include "support/demo_game.h"
#include "support/process_runner.h"

CurrentFolderScope::CurrentFolderScope(const std::filesystem::path& path)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
}

CurrentFolderScope::~CurrentFolderScope() {
    std::filesystem::current_path(previous_);
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Utf16FileAsText(const std::filesystem::path& path) {
    std::string bytes = ReadBytes(path);
    std::string text;
    for (wchar_t c :
         FromUtf16Le(std::string_view(bytes).substr(std::min<std::size_t>(2, bytes.size())))) {
        text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return text;
}

std::string LnkInfoField(const std::filesystem::path& shortcut, const std::string& field) {
    ProcessResult result = RunProcess("/usr/bin/lnkinfo", {shortcut.string()});
    if (result.exitStatus != 0) {
        return "<lnkinfo failed>";
    }
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t start = line.find_first_not_of('\t');
        if (start == std::string::npos || line.compare(start, field.size(), field) != 0) {
            continue;
        }
        std::size_t colon = line.find(": ", start + field.size());
        std::string between = line.substr(start + field.size(), colon - start - field.size());
        if (colon != std::string::npos && between.find_first_not_of('\t') == std::string::npos) {
            return line.substr(colon + 2);
        }
    }
    return "<absent>";
}

std::string InstallTestGame(const std::filesystem::path& systemFolder) {
    // A second copy beside it is the other game that some tests register first.
    InstallDemoGame(systemFolder, "C:\\Games\\Demo\\demo.exe.other");
    InstallDemoGame(systemFolder, "C:\\Games\\Demo\\demo.exe");
    return "C:\\Games\\Demo\\demo.exe";
}

std::vector<std::filesystem::path> TemporaryFilesBelow(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}
