#include "emulated/gameux/game_explorer.h"

#include <fcntl.h>

#include <istream>

#include "emulated/base/random_guid.h"
#include "emulated/host/host_file_stream.h"

namespace {

HRESULT ReadDefinitionOf(const DriveMapping& drives, std::wstring_view binaryPath,
                         GameDefinition& definition) {
    const DriveMapping::HostPath binary = drives.ToHost(binaryPath);
    if (binary.error != ERROR_SUCCESS) {
        return E_FAIL;
    }
    HostFile file;
    if (file.Open(binary.path, O_RDONLY) != 0) {
        return E_FAIL;
    }
    HostFileStreamBuf buffer(file);
    std::istream stream(&buffer);
    return ReadGameDefinition(stream, definition);
}

}  // namespace

GameExplorer::GameExplorer(std::shared_ptr<EmulatedMachine> machine)
    : machine_(std::move(machine)), games_(machine_->registry, machine_->user.userId) {}

HRESULT GameExplorer::AddGame(BSTR binaryPath, BSTR installDirectory, GAME_INSTALL_SCOPE scope,
                              GUID* instanceId) {
    if (binaryPath == nullptr || installDirectory == nullptr || instanceId == nullptr) {
        return E_INVALIDARG;
    }
    GameDefinition definition;
    HRESULT hr = ReadDefinitionOf(machine_->drives, binaryPath, definition);
    if (FAILED(hr)) {
        return hr;
    }
    GUID id = IsEqualGUID(*instanceId, GUID_NULL) ? NewRandomGuid() : *instanceId;
    wchar_t idText[CHARS_IN_GUID];
    StringFromGUID2(id, idText, CHARS_IN_GUID);
    hr = games_.Add({idText, binaryPath, installDirectory, scope, std::move(definition)});
    if (SUCCEEDED(hr)) {
        *instanceId = id;
    }
    return hr;
}

HRESULT GameExplorer::RemoveGame(GUID instanceId) {
    return games_.Remove(instanceId);
}

HRESULT GameExplorer::UpdateGame(GUID /*instanceId*/) {
    return E_NOTIMPL;
}

HRESULT GameExplorer::VerifyAccess(BSTR binaryPath, BOOL* hasAccess) {
    if (binaryPath == nullptr || hasAccess == nullptr) {
        return E_INVALIDARG;
    }
    *hasAccess = TRUE;
    return S_OK;
}
