#include "support/demo_game.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// ASCII text as UTF-16LE with a byte order mark, the form the definition is embedded in.
std::string AsUtf16File(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const std::string& DefinitionFile() {
    static const std::string file =
        ReadAll(fs::path(BRACKENFOLD_DEMO_GAME).parent_path() / "game_definition.xml");
    return file;
}

}  // namespace

const std::string& DemoGame() {
    static const std::string game = ReadAll(BRACKENFOLD_DEMO_GAME);
    return game;
}

const std::string& DemoGameDefinition() {
    static const std::string text = [] {
        std::string ascii;
        for (std::size_t i = 2; i + 1 < DefinitionFile().size(); i += 2) {
            ascii += DefinitionFile()[i];
        }
        return ascii;
    }();
    return text;
}

std::string DemoGameWithDefinition(std::string_view document) {
    const std::string& original = DefinitionFile();
    std::string replacement = AsUtf16File(document);
    if (replacement.size() > original.size()) {
        throw std::length_error("a definition longer than the demo game's own");
    }
    while (replacement.size() < original.size()) {
        replacement += AsUtf16File(" ").substr(2);
    }
    std::string game = DemoGame();
    const std::size_t at = game.find(original);
    if (at == std::string::npos) {
        throw std::runtime_error("the demo game does not hold its definition file");
    }
    return game.replace(at, original.size(), replacement);
}

std::string DemoGameClaimingDefinitionSize(std::uint32_t claimedSize) {
    // A data entry is the data's address, its size, a code page and a reserved field; the demo
    // game's entries have zero in both of the last two.
    const auto entry = [](std::uint32_t size) {
        std::string bytes(12, '\0');
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        }
        return bytes;
    };
    std::string game = DemoGame();
    const std::string original = entry(static_cast<std::uint32_t>(DefinitionFile().size()));
    const std::size_t at = game.find(original);
    if (at == std::string::npos || game.find(original, at + 1) != std::string::npos) {
        throw std::runtime_error("the demo game's definition entry is not found once");
    }
    return game.replace(at, original.size(), entry(claimedSize));
}

fs::path HostFileOnDriveC(const fs::path& system, std::string_view windowsPath) {
    if (windowsPath.size() < 3 || (windowsPath[0] != 'C' && windowsPath[0] != 'c') ||
        windowsPath[1] != ':') {
        throw std::invalid_argument("not a path on drive C: " + std::string(windowsPath));
    }
    fs::path file = system / "drive_c";
    std::string name;
    for (char c : windowsPath.substr(3)) {
        if (c == '\\' || c == '/') {
            file /= name;
            name.clear();
        } else {
            name += c;
        }
    }
    return file / name;
}

void InstallDemoGame(const fs::path& system, std::string_view windowsPath,
                     const std::string& binary) {
    const fs::path file = HostFileOnDriveC(system, windowsPath);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << binary;
}
