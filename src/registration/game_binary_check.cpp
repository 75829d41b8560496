#include "game_binary_check.h"

#include "platform/gameux.h"
#include "platform/owners.h"
#include "platform/win32_failure.h"

namespace {

// As Game Explorer reads a binary (Wine's maps it with this flag alone): the file is mapped as
// plain data, no code of the game runs and no import is resolved. Mapping it as an image
// resource as well would refuse images that Game Explorer reads, and blame them wrongly.
constexpr DWORD kGameExplorerLoad = LOAD_LIBRARY_AS_DATAFILE;

}  // namespace

HRESULT CheckGameBinary(const wchar_t* executablePath) {
    // Asked first because the loader reports a missing file in its own terms (a module that was
    // not found), where the file's own question tells a missing file from a missing folder.
    if (GetFileAttributesW(executablePath) == INVALID_FILE_ATTRIBUTES) {
        return LastErrorResult();
    }
    const LoadedModule binary(LoadLibraryExW(executablePath, nullptr, kGameExplorerLoad));
    if (!binary) {
        return LastErrorResult();
    }
    if (FindResourceW(binary.Get(), kGameDefinitionResourceName, kGameDefinitionResourceType) ==
        nullptr) {
        return LastErrorResult();
    }
    return S_OK;
}

HRESULT CheckGameDefinitionSize(const wchar_t* executablePath) {
    const LoadedModule binary(LoadLibraryExW(executablePath, nullptr, kGameExplorerLoad));
    const HRSRC definition = binary ? FindResourceW(binary.Get(), kGameDefinitionResourceName,
                                                    kGameDefinitionResourceType)
                                    : nullptr;
    // The size is the binary's claim, not what it holds: Game Explorer trusts the claim.
    if (definition != nullptr &&
        SizeofResource(binary.Get(), definition) > kMaxGameDefinitionBytes) {
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    }
    return S_OK;
}
