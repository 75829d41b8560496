// The results of a query in the emulated games namespace: one class object per game, and the
// enumerator that hands them out. The results are complete when the query returns, so Next
// never waits.
#pragma once

#include <vector>

#include "emulated/com/com_object.h"
#include "emulated/gameux/game_records.h"
#include "platform_api.h"

// A game as a WMI object with the properties InstanceID (braced GUID text), GDFBinaryPath and
// InstallScope (2 or 3).
class WmiGameObject final : public SingleInterfaceObject<IWbemClassObject, nullptr> {
  public:
    explicit WmiGameObject(GameRecord game);

    // WBEM_E_NOT_FOUND for any other property name.
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override;

  private:
    ~WmiGameObject() override = default;

    GameRecord game_;
};

class WmiGameEnumerator final : public SingleInterfaceObject<IEnumWbemClassObject, nullptr> {
  public:
    explicit WmiGameEnumerator(std::vector<GameRecord> games);

    // S_OK when count objects were returned, WBEM_S_FALSE when fewer were left.
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                   ULONG* returned) override;

  private:
    ~WmiGameEnumerator() override = default;

    std::vector<GameRecord> games_;
    std::size_t next_ = 0;
};
