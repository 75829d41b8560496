// The emulated WMI: a locator that connects to the games namespace, present exactly where Game
// Explorer is, and its services object, which answers the game query of wql_game_query.h from
// the games recorded in both scopes.
#pragma once

#include <memory>
#include <string_view>

#include "emulated/com/com_object.h"
#include "emulated/run_state/emulated_machine.h"
#include "platform/gameux.h"

// The games namespace without its local machine prefix "\\.\", which names it as well.
inline constexpr std::wstring_view kGamesNamespaceLocal =
    std::wstring_view(kGamesNamespace).substr(4);

class WbemLocator final : public SingleInterfaceObject<IWbemLocator, &IID_IWbemLocator> {
  public:
    explicit WbemLocator(std::shared_ptr<EmulatedMachine> machine);

    // WBEM_E_INVALID_NAMESPACE for any other namespace, or when Game Explorer is absent.
    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR networkResource, BSTR user, BSTR password,
                                            BSTR locale, LONG securityFlags, BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** services) override;

  private:
    ~WbemLocator() override = default;

    std::shared_ptr<EmulatedMachine> machine_;
};

class WbemGamesServices final : public SingleInterfaceObject<IWbemServices, nullptr> {
  public:
    explicit WbemGamesServices(std::shared_ptr<EmulatedMachine> machine);

    // WBEM_E_INVALID_QUERY_TYPE for a language other than WQL, WBEM_E_INVALID_QUERY for any
    // query but the game query, or the failure to read the registry.
    HRESULT STDMETHODCALLTYPE ExecQuery(BSTR language, BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** enumerator) override;

  private:
    ~WbemGamesServices() override = default;

    std::shared_ptr<EmulatedMachine> machine_;
};
