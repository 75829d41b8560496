#include "game_explorer.h"

#include "random_guid.h"

namespace {

constexpr int kBracedGuidCapacity = 39;

}  // namespace

GameExplorer::GameExplorer(std::shared_ptr<EmulatedMachine> machine)
    : machine_(std::move(machine)), games_(machine_->registry, machine_->user.userId) {}

HRESULT GameExplorer::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IGameExplorer)) {
        *object = static_cast<IGameExplorer*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG GameExplorer::AddRef() {
    return count_.AddReference();
}

ULONG GameExplorer::Release() {
    ULONG left = count_.DropReference();
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT GameExplorer::AddGame(BSTR binaryPath, BSTR installDirectory, GAME_INSTALL_SCOPE scope,
                              GUID* instanceId) {
    if (binaryPath == nullptr || installDirectory == nullptr || instanceId == nullptr) {
        return E_INVALIDARG;
    }
    GUID id = IsEqualGUID(*instanceId, GUID_NULL) ? NewRandomGuid() : *instanceId;
    wchar_t idText[kBracedGuidCapacity];
    StringFromGUID2(id, idText, kBracedGuidCapacity);
    HRESULT hr = games_.Add({idText, binaryPath, installDirectory, scope});
    if (SUCCEEDED(hr)) {
        *instanceId = id;
    }
    return hr;
}

HRESULT GameExplorer::RemoveGame(GUID instanceId) {
    return games_.Remove(instanceId);
}

HRESULT GameExplorer::VerifyAccess(BSTR binaryPath, BOOL* hasAccess) {
    if (binaryPath == nullptr || hasAccess == nullptr) {
        return E_INVALIDARG;
    }
    *hasAccess = TRUE;
    return S_OK;
}
