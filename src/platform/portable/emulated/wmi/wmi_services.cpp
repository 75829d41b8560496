#include "emulated/wmi/wmi_services.h"

#include "emulated/base/win32_codes.h"
#include "emulated/com/game_explorer_class.h"
#include "emulated/files/windows_path.h"
#include "emulated/gameux/game_records.h"
#include "emulated/wmi/wmi_game_objects.h"
#include "emulated/wmi/wql_game_query.h"
#include "text/case_folding.h"

WbemLocator::WbemLocator(std::shared_ptr<EmulatedMachine> machine) : machine_(std::move(machine)) {}

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
    HRESULT registration = GamesNamespaceRegistration(machine_->registry);
    if (FAILED(registration)) {
        return registration;
    }
    *services = new WbemGamesServices(machine_);
    return S_OK;
}

WbemGamesServices::WbemGamesServices(std::shared_ptr<EmulatedMachine> machine)
    : machine_(std::move(machine)) {}

HRESULT WbemGamesServices::ExecQuery(BSTR language, BSTR query, LONG /*flags*/,
                                     IWbemContext* /*context*/, IEnumWbemClassObject** enumerator) {
    if (language == nullptr || query == nullptr || enumerator == nullptr) {
        return WBEM_E_INVALID_PARAMETER;
    }
    *enumerator = nullptr;
    if (!EqualsIgnoringCase(language, kGameQueryLanguage)) {
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
