#include "wmi_services.h"

#include "case_folding.h"
#include "game_explorer_class.h"
#include "game_records.h"
#include "win32_codes.h"
#include "windows_path.h"
#include "wmi_game_objects.h"
#include "wql_game_query.h"

namespace {

HRESULT OfferUnknownOnly(IUnknown* self, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown)) {
        return E_NOINTERFACE;
    }
    *object = self;
    self->AddRef();
    return S_OK;
}

}  // namespace

WbemLocator::WbemLocator(std::shared_ptr<EmulatedMachine> machine) : machine_(std::move(machine)) {}

HRESULT WbemLocator::QueryInterface(REFIID iid, void** object) {
    if (object != nullptr && IsEqualGUID(iid, IID_IWbemLocator)) {
        *object = static_cast<IWbemLocator*>(this);
        AddRef();
        return S_OK;
    }
    return OfferUnknownOnly(this, iid, object);
}

ULONG WbemLocator::AddRef() {
    return count_.AddReference();
}

ULONG WbemLocator::Release() {
    ULONG left = count_.DropReference();
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT WbemLocator::ConnectServer(BSTR networkResource, BSTR /*user*/, BSTR /*password*/,
                                   BSTR /*locale*/, LONG /*securityFlags*/, BSTR /*authority*/,
                                   IWbemContext* /*context*/, IWbemServices** services) {
    if (networkResource == nullptr || services == nullptr) {
        return WBEM_E_INVALID_PARAMETER;
    }
    *services = nullptr;
    if (!SameWindowsPath(networkResource, kGamesNamespace) &&
        !SameWindowsPath(networkResource, kGamesNamespaceLocal)) {
        return WBEM_E_INVALID_NAMESPACE;
    }
    HRESULT registration = GameExplorerRegistration(machine_->registry);
    if (registration == REGDB_E_CLASSNOTREG) {
        return WBEM_E_INVALID_NAMESPACE;
    }
    if (FAILED(registration)) {
        return registration;
    }
    *services = new WbemGamesServices(machine_);
    return S_OK;
}

WbemGamesServices::WbemGamesServices(std::shared_ptr<EmulatedMachine> machine)
    : machine_(std::move(machine)) {}

HRESULT WbemGamesServices::QueryInterface(REFIID iid, void** object) {
    return OfferUnknownOnly(this, iid, object);
}

ULONG WbemGamesServices::AddRef() {
    return count_.AddReference();
}

ULONG WbemGamesServices::Release() {
    ULONG left = count_.DropReference();
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT WbemGamesServices::ExecQuery(BSTR language, BSTR query, LONG /*flags*/,
                                     IWbemContext* /*context*/, IEnumWbemClassObject** enumerator) {
    if (language == nullptr || query == nullptr || enumerator == nullptr) {
        return WBEM_E_INVALID_PARAMETER;
    }
    *enumerator = nullptr;
    if (!EqualsIgnoringCase(language, L"WQL")) {
        return WBEM_E_INVALID_QUERY_TYPE;
    }
    std::optional<std::wstring> path = ParseGameQuery(query);
    if (!path) {
        return WBEM_E_INVALID_QUERY;
    }
    std::vector<GameRecord> games;
    GameRecords records(machine_->registry, machine_->user.userId);
    if (HRESULT hr = records.FindByBinaryPath(*path, games); FAILED(hr)) {
        return hr;
    }
    *enumerator = new WmiGameEnumerator(std::move(games));
    return S_OK;
}
