#include "game_binary_check.h"

#include "platform/gameux.h"
#include "platform/loaded_module.h"
#include "platform/win32_failure.h"

namespace {

// Only the resources are wanted: no code of the game may run and no import be resolved.
constexpr DWORD kResourceOnlyLoad = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;

}  // namespace

HRESULT CheckGameBinary(const wchar_t* executablePath) {
    // Asked first because the loader reports a missing file in its own terms (a module that was
    // not found), where the file's own question tells a missing file from a missing folder.
    if (GetFileAttributesW(executablePath) == INVALID_FILE_ATTRIBUTES) {
        return LastErrorResult();
    }
    const LoadedModule binary(LoadLibraryExW(executablePath, nullptr, kResourceOnlyLoad));
    if (!binary) {
        return LastErrorResult();
    }
    if (FindResourceW(binary.Get(), kGameDefinitionResourceName, kGameDefinitionResourceType) ==
        nullptr) {
        return LastErrorResult();
    }
    return S_OK;
}

HRESULT RegistrationFailureCause(const wchar_t* executablePath, HRESULT result) {
    if (executablePath == nullptr || executablePath[0] == L'\0') {
        return result;
    }
    const HRESULT binaryFault = CheckGameBinary(executablePath);
    return FAILED(binaryFault) ? binaryFault : result;
}
