// The demo game (examples/demo-game) for the tests that add games on the emulated system, whose
// Game Explorer reads the game definition from the game's binary as Windows does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The committed demo game's bytes, and its definition document as (ASCII) text.
const std::string& DemoGame();
const std::string& DemoGameDefinition();

// The demo game with `document` (ASCII text) as its definition in place of its own, stored as
// its own is (UTF-16 with a byte order mark) and padded with blanks to the same size.
std::string DemoGameWithDefinition(std::string_view document);

// The demo game with the size that its definition's resource data entry claims set to
// `claimedSize`; the bytes that follow stay as they are.
std::string DemoGameClaimingDefinitionSize(std::uint32_t claimedSize);

// The host file of `windowsPath`, a plain ASCII path on drive C: with either separator, on the
// emulated system whose folder is `system`.
std::filesystem::path HostFileOnDriveC(const std::filesystem::path& system,
                                       std::string_view windowsPath);

// Puts `binary` (the demo game unless given) at `windowsPath`, a path on drive C: with either
// separator, of the emulated system whose folder is `system`, creating the folders on the way.
void InstallDemoGame(const std::filesystem::path& system, std::string_view windowsPath,
                     const std::string& binary = DemoGame());
